// libFuzzer target: text loading over arbitrary bytes, then the string operations over what
// was loaded. Whatever the input, nothing may crash or read out of bounds, and a few
// properties must hold:
// - loading from a stream and decoding the same bytes in memory give the same text;
// - no decoding gives more characters than there are bytes;
// - the text written back as UTF-8 loads as the same text (less a leading U+FEFF, which
//   becomes the UTF-8 mark);
// - splitting and joining by one separator gives the text back; the case mappings keep the
//   length; a search finds a piece of the text no later than where it was taken from.
#include "runtime/gc.h"
#include "runtime/string.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

int readInt(const uint8_t* data, size_t size, size_t at) {
    int value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = int(unsigned(value) << 8 | (at + i < size ? data[at + i] : 0));
    return value;
}

void exercise(const String& s, const uint8_t* data, size_t size) {
    const int n = s.Length();
    volatile int sink = s.ToInt();

    String trimmed = s.Trim();
    check(trimmed.Length() <= n);
    check(s.ToUpper().Length() == n && s.ToLower().Length() == n);
    check(int(std::strlen(s.ToCString())) <= n);

    // Arbitrary indices, from the first bytes of the input.
    int from = readInt(data, size, 0), to = readInt(data, size, 4);
    String piece = s.Slice(from, to);
    check(piece.Length() <= n);
    check(s.Slice(from).Length() <= n);
    sink = s.Find(piece, from) + s.FindLast(piece) + s.StartsWith(piece) + s.EndsWith(piece);
    (void)sink;

    if (n > 0) {
        // A piece taken at a known place is found there or earlier.
        int at = int(unsigned(from) % unsigned(n));
        int length = int(unsigned(to) % unsigned(n - at + 1));
        String sub = s.Slice(at, at + length);
        int found = s.Find(sub);
        check(found >= 0 && found <= at);
        check(s.FindLast(sub) >= at);

        String separator = s.Slice(at, at + 1 + length % 3);
        Array<String> pieces = s.Split(separator);
        check(separator.Join(pieces) == s);
        check(s.Replace(separator, separator) == s);
        check(s.Replace(separator, String()).Length() ==
              n - (pieces.Length() - 1) * separator.Length());
    }
    check(s.Split(String()).Length() == n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    String decoded = String::FromBytes(data, size);
    check(decoded.Length() <= int(size));

    if (size > 0) {
        FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
        if (file) {
            String loaded = String::Load(file);
            std::fclose(file);
            check(loaded == decoded);
        }
    }

    std::string utf8 = decoded.ToUtf8();
    String again =
        String::FromBytes(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size());
    if (decoded.Length() > 0 && decoded[0] == 0xfeff) {
        check(again == decoded.Slice(1));
    } else {
        check(again == decoded);
    }

    exercise(decoded, data, size);

    // Everything allocated from the collector here is garbage now.
    gc_collect_all();
    gc_flush_free(INT_MAX);
    return 0;
}
