#include "framework/leaderboard.h"

#include "framework/quzo.h"

#include <string>

namespace {
constexpr int kTableSize = 64;
constexpr int kAlphabet = 92;
constexpr int kFirstChar = 32;
constexpr int kLastChar = 123;
} // namespace

int rt_quzo_SetGameNumber(int number) {
    // The absolute value, kept non-negative even for the most negative int.
    rt_quzo_QUZO_GameNum = number < 0 ? int(0u - unsigned(number)) & 0x7fffffff : number;
    rt_quzo_Rescramble();
    return 0;
}

int rt_quzo_SetKeyword(String key) {
    rt_quzo_QUZO_Keyword = key;
    rt_quzo_Rescramble();
    return 0;
}

int rt_quzo_Rescramble() {
    const String& key = rt_quzo_QUZO_Keyword;
    if (key.Length() == 0 || rt_quzo_QUZO_GameNum <= 0) return 0;
    for (int i = 0; i < kTableSize; ++i) {
        long long v = (long long)i + key[i % key.Length()] + rt_quzo_QUZO_GameNum;
        rt_quzo_QUZO_Scramble[i] = int(v % kAlphabet);
    }
    return 0;
}

String rt_quzo_Scramble(String text) {
    int n = text.Length();
    std::u16string out(size_t(n), u' ');
    int s = 0;
    for (int i = 0; i < n; ++i) {
        s = (s + rt_quzo_QUZO_Scramble[i % kTableSize]) % kAlphabet;
        int c = text[i];
        int v = c >= kFirstChar && c <= kLastChar ? c - kFirstChar : 0;
        out[size_t(i)] = char16_t((s + v) % kAlphabet + kFirstChar);
    }
    return String(out.data(), n);
}
