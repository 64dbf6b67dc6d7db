#include "server/codec.h"

namespace hexwend::server {

namespace {

struct Marker {
    char character;
    char letter;
};

// The markers in the order the client applies them; none holds a character it replaces, so
// the order does not change the result.
constexpr std::array<Marker, 19> kMarkers{{
    {'&', 'A'}, {'\\', 'B'}, {'\'', 'C'}, {'`', 'D'}, {'"', 'E'}, {'/', 'F'}, {'>', 'G'},
    {'#', 'H'}, {'^', 'I'}, {'{', 'J'}, {'}', 'K'}, {'<', 'L'}, {'|', 'M'}, {'%', 'P'},
    {'?', 'Q'}, {'+', 'R'}, {'$', 'S'}, {',', 'T'}, {' ', 'U'},
}};

constexpr std::size_t kMarkerLength = 5; // "*!X!*"

std::optional<char> markerCharacter(char letter) {
    for (const Marker& m : kMarkers)
        if (m.letter == letter) return m.character;
    return std::nullopt;
}

std::optional<char> markerLetter(char character) {
    for (const Marker& m : kMarkers)
        if (m.character == character) return m.letter;
    return std::nullopt;
}

// The character a marker run at text[i] stands for, if one starts there.
std::optional<char> markerAt(std::string_view text, std::size_t i) {
    if (i + kMarkerLength > text.size()) return std::nullopt;
    if (text[i] != '*' || text[i + 1] != '!' || text[i + 3] != '!' || text[i + 4] != '*')
        return std::nullopt;
    return markerCharacter(text[i + 2]);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

KeyTable makeKeyTable(int gameNumber, std::string_view keyText) {
    KeyTable table{};
    if (keyText.empty() || gameNumber <= 0) return table;
    for (int i = 0; i < kKeyTableSize; ++i) {
        long long v = (long long)i + (unsigned char)keyText[size_t(i) % keyText.size()] + gameNumber;
        table[size_t(i)] = int(v % kAlphabetSize);
    }
    return table;
}

std::string scramble(std::string_view text, const KeyTable& table) {
    std::string out(text.size(), ' ');
    int s = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        s = (s + table[i % kKeyTableSize]) % kAlphabetSize;
        int c = (unsigned char)text[i];
        int v = c >= kFirstChar && c <= kLastChar ? c - kFirstChar : 0;
        out[i] = char((s + v) % kAlphabetSize + kFirstChar);
    }
    return out;
}

std::optional<std::string> unscramble(std::string_view text, const KeyTable& table) {
    std::string out(text.size(), ' ');
    int s = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        s = (s + table[i % kKeyTableSize]) % kAlphabetSize;
        int c = (unsigned char)text[i];
        if (c < kFirstChar || c > kLastChar) return std::nullopt;
        int v = ((c - kFirstChar - s) % kAlphabetSize + kAlphabetSize) % kAlphabetSize;
        out[i] = char(v + kFirstChar);
    }
    return out;
}

std::string escapeMarkers(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        if (auto letter = markerLetter(c)) {
            out += "*!";
            out += *letter;
            out += "!*";
        } else {
            out += c;
        }
    }
    return out;
}

std::size_t countMarkers(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (markerAt(text, i)) {
            ++count;
            i += kMarkerLength;
        } else {
            ++i;
        }
    }
    return count;
}

std::string unescapeMarkers(std::string_view text, std::size_t literalRun) {
    std::string out;
    out.reserve(text.size());
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (auto c = markerAt(text, i)) {
            if (run++ == literalRun) out.append(text.substr(i, kMarkerLength));
            else out += *c;
            i += kMarkerLength;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return out;
}

} // namespace hexwend::server
