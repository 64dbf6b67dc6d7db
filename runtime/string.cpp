#include "runtime/string.h"

#include "runtime/gc.h"

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <vector>

String::Rep String::nullRep = {1, 0};

namespace {

using Char = String::Char;

bool sameChars(const Char* a, const Char* b, int n) {
    return n == 0 || std::memcmp(a, b, size_t(n) * sizeof(Char)) == 0;
}

} // namespace

void String::Rep::release() {
    refs = int(unsigned(refs) - 1u);
    if (refs == 0 && this != &nullRep) std::free(this);
}

String::Rep* String::Rep::alloc(int length) {
    if (length <= 0) return &nullRep;
    auto* r = static_cast<Rep*>(std::malloc(sizeof(Rep) + size_t(length) * sizeof(Char)));
    if (!r) {
        std::fputs("Out of memory allocating a string\n", stdout);
        std::fflush(stdout);
        std::exit(-1);
    }
    r->refs = 1;
    r->length = length;
    return r;
}

String& String::operator=(const String& s) {
    s.rep->retain();
    rep->release();
    rep = s.rep;
    return *this;
}

String& String::operator=(String&& s) noexcept {
    if (this != &s) {
        rep->release();
        rep = s.rep;
        s.rep = &nullRep;
    }
    return *this;
}

String::String(const Char* chars, int n) : rep(Rep::alloc(n)) {
    if (n > 0) std::memcpy(rep->data(), chars, size_t(n) * sizeof(Char));
}

String::String(const char* text) : rep(Rep::alloc(text ? int(std::strlen(text)) : 0)) {
    for (int i = 0; i < rep->length; ++i)
        rep->data()[i] = Char(static_cast<unsigned char>(text[i]));
}

String::String(const char16_t* text) {
    int n = 0;
    if (text)
        while (text[n]) ++n;
    rep = Rep::alloc(n);
    if (n > 0) std::memcpy(rep->data(), text, size_t(n) * sizeof(Char));
}

String::String(int value) {
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, "%i", value);
    rep = Rep::alloc(n);
    for (int i = 0; i < n; ++i) rep->data()[i] = Char(buf[i]);
}

String String::FromChar(int c) {
    Rep* r = Rep::alloc(1);
    r->data()[0] = Char(c & 0xffff);
    return String(r);
}

String String::FromChars(const Array<int>& chars) {
    int n = chars.Length();
    Rep* r = Rep::alloc(n);
    for (int i = 0; i < n; ++i) r->data()[i] = Char(chars[i] & 0xffff);
    return String(r);
}

bool String::operator==(const String& s) const {
    return rep == s.rep ||
           (rep->length == s.rep->length && sameChars(rep->data(), s.rep->data(), rep->length));
}

int String::Find(const String& sub, int start) const {
    if (start < 0) start = 0;
    int n = Length(), m = sub.Length();
    // i <= n - m rather than i + m <= n: a start near the top of the int range must not
    // overflow into a read outside the characters.
    for (int i = start; i <= n - m; ++i) {
        if (sameChars(rep->data() + i, sub.rep->data(), m)) return i;
    }
    return -1;
}

int String::FindLast(const String& sub) const {
    int m = sub.Length();
    for (int i = Length() - m; i >= 0; --i) {
        if (sameChars(rep->data() + i, sub.rep->data(), m)) return i;
    }
    return -1;
}

bool String::StartsWith(const String& sub) const {
    return Length() >= sub.Length() && sameChars(rep->data(), sub.rep->data(), sub.Length());
}

bool String::EndsWith(const String& sub) const {
    return Length() >= sub.Length() &&
           sameChars(rep->data() + Length() - sub.Length(), sub.rep->data(), sub.Length());
}

int String::ToInt() const {
    char buf[64];
    int n = Length() < 63 ? Length() : 63;
    for (int i = 0; i < n; ++i) buf[i] = char(rep->data()[i] & 0xff);
    buf[n] = 0;
    return std::atoi(buf);
}

String String::operator+(const String& s) const {
    if (Length() == 0) return s;
    if (s.Length() == 0) return *this;
    Rep* r = Rep::alloc(Length() + s.Length());
    std::memcpy(r->data(), rep->data(), size_t(Length()) * sizeof(Char));
    std::memcpy(r->data() + Length(), s.rep->data(), size_t(s.Length()) * sizeof(Char));
    return String(r);
}

String String::Slice(int from, int to) const {
    int n = Length();
    if (from < 0) {
        from += n;
        if (from < 0) from = 0;
    } else if (from > n) {
        from = n;
    }
    if (to < 0) {
        to += n;
    } else if (to > n) {
        to = n;
    }
    if (to <= from) return String();
    if (from == 0 && to == n) return *this;
    return String(rep->data() + from, to - from);
}

Array<String> String::Split(const String& separator) const {
    int n = Length(), m = separator.Length();
    if (m == 0) {
        Array<String> out(n);
        for (int i = 0; i < n; ++i) out[i] = FromChar(rep->data()[i]);
        return out;
    }
    int count = 0;
    for (int i = Find(separator); i != -1; i = Find(separator, i + m)) ++count;
    Array<String> out(count + 1);
    if (count == 0) {
        out[0] = *this;
        return out;
    }
    int start = 0, k = 0;
    for (int i = Find(separator); i != -1; i = Find(separator, i + m)) {
        out[k++] = Slice(start, i);
        start = i + m;
    }
    out[k] = Slice(start);
    return out;
}

String String::Join(const Array<String>& pieces) const {
    int count = pieces.Length();
    if (count == 0) return String();
    if (count == 1) return pieces[0];
    int total = Length() * (count - 1);
    for (int i = 0; i < count; ++i) total += pieces[i].Length();
    Rep* r = Rep::alloc(total);
    Char* p = r->data();
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            std::memcpy(p, rep->data(), size_t(Length()) * sizeof(Char));
            p += Length();
        }
        const String& piece = pieces[i];
        std::memcpy(p, piece.rep->data(), size_t(piece.Length()) * sizeof(Char));
        p += piece.Length();
    }
    return String(r);
}

String String::Replace(const String& find, const String& with) const {
    int m = find.Length();
    if (m == 0) return *this; // nothing to find: unchanged, and no endless search
    int count = 0;
    for (int i = Find(find); i != -1; i = Find(find, i + m)) ++count;
    if (count == 0) return *this;
    Rep* r = Rep::alloc(Length() + count * (with.Length() - m));
    Char* p = r->data();
    int start = 0;
    for (int i = Find(find); i != -1; i = Find(find, i + m)) {
        std::memcpy(p, rep->data() + start, size_t(i - start) * sizeof(Char));
        p += i - start;
        std::memcpy(p, with.rep->data(), size_t(with.Length()) * sizeof(Char));
        p += with.Length();
        start = i + m;
    }
    std::memcpy(p, rep->data() + start, size_t(Length() - start) * sizeof(Char));
    return String(r);
}

String String::Trim() const {
    int i = 0, j = Length();
    while (i < j && rep->data()[i] <= 32) ++i;
    while (j > i && rep->data()[j - 1] <= 32) --j;
    if (i == 0 && j == Length()) return *this;
    return Slice(i, j);
}

namespace {

template <class Map> String mapChars(const String& s, Map map) {
    int n = s.Length();
    const Char* d = s.Data();
    int first = 0;
    while (first < n && Char(map(d[first])) == d[first]) ++first;
    if (first == n) return s;
    String out(d, n);
    auto* w = const_cast<Char*>(out.Data()); // fresh representation, not yet shared
    for (int i = first; i < n; ++i) w[i] = Char(map(d[i]));
    return out;
}

} // namespace

String String::ToUpper() const {
    return mapChars(*this, [](Char c) { return std::towupper(wint_t(c)); });
}

String String::ToLower() const {
    return mapChars(*this, [](Char c) { return std::towlower(wint_t(c)); });
}

String String::FromBytes(const unsigned char* b, size_t count) {
    if (count == 0) return String();
    if (count >= 2 && ((b[0] == 0xfe && b[1] == 0xff) || (b[0] == 0xff && b[1] == 0xfe))) {
        bool bigEndian = b[0] == 0xfe;
        int n = int((count - 2) / 2);
        Rep* r = Rep::alloc(n);
        for (int i = 0; i < n; ++i) {
            unsigned char x = b[2 + 2 * i], y = b[3 + 2 * i];
            r->data()[i] = bigEndian ? Char(x << 8 | y) : Char(y << 8 | x);
        }
        return String(r);
    }
    if (count > 2 && b[0] == 0xef && b[1] == 0xbb && b[2] == 0xbf) {
        b += 3;
        count -= 3;
    }
    // UTF-8 gives at most one character per byte, so the byte count bounds the length.
    std::vector<Char> chars;
    chars.reserve(count);
    size_t i = 0;
    bool valid = true;
    while (i < count) {
        unsigned c = b[i];
        if (c < 0x80) {
            chars.push_back(Char(c));
            i += 1;
        } else if ((c & 0xe0) == 0xc0 && i + 1 < count && (b[i + 1] & 0xc0) == 0x80) {
            chars.push_back(Char((c & 0x1f) << 6 | (b[i + 1] & 0x3f)));
            i += 2;
        } else if ((c & 0xf0) == 0xe0 && i + 2 < count && (b[i + 1] & 0xc0) == 0x80 &&
                   (b[i + 2] & 0xc0) == 0x80) {
            chars.push_back(Char((c & 0x0f) << 12 | (b[i + 1] & 0x3f) << 6 | (b[i + 2] & 0x3f)));
            i += 3;
        } else {
            valid = false;
            break;
        }
    }
    if (valid) return String(chars.data(), int(chars.size()));
    Rep* r = Rep::alloc(int(count));
    for (size_t k = 0; k < count; ++k) r->data()[k] = Char(b[k]);
    return String(r);
}

String String::Load(FILE* stream) {
    std::vector<unsigned char> bytes;
    unsigned char block[4096];
    for (;;) {
        size_t n = std::fread(block, 1, sizeof block, stream);
        bytes.insert(bytes.end(), block, block + n);
        if (n < sizeof block) break;
    }
    return FromBytes(bytes.data(), bytes.size());
}

String::CString String::ToCString() const {
    std::string s(size_t(Length()), '\0');
    for (int i = 0; i < Length(); ++i) s[size_t(i)] = char(rep->data()[i] & 0xff);
    return CString(std::move(s));
}

void rtAppendUtf8(std::string& out, int c) {
    c &= 0xffff;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xc0 | (c >> 6));
        out += char(0x80 | (c & 0x3f));
    } else {
        out += char(0xe0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3f));
        out += char(0x80 | (c & 0x3f));
    }
}

std::string String::ToUtf8() const {
    std::string out;
    out.reserve(size_t(Length()) * 3);
    for (int i = 0; i < Length(); ++i) rtAppendUtf8(out, rep->data()[i]);
    return out;
}

String rtStrdup(const String& s) {
    if (s.Length() == 0) return String();
    return String(s.Data(), s.Length());
}
