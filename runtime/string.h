// String: the one text type of the system. An immutable sequence of 16-bit characters whose
// storage (one heap block: count, length, characters) is shared between copies through a
// plain, non-atomic reference count. Every operation that would reproduce the receiver
// unchanged hands back the receiver's own representation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

template <class T> class Array;

class String {
  public:
    using Char = char16_t;

    // One heap block: reference count, length, then `length` characters (no terminator).
    struct Rep {
        int refs;
        int length;

        Char* data() { return reinterpret_cast<Char*>(this + 1); }
        const Char* data() const { return reinterpret_cast<const Char*>(this + 1); }

        // The shared empty representation is counted by every empty string from any thread
        // and never freed, so its count may run past either end of the int range: the count
        // is stepped in unsigned arithmetic, where that wraps instead of being undefined.
        void retain() { refs = int(unsigned(refs) + 1u); }
        void release();
        // A new representation of `length` characters, count 1, characters uninitialised.
        // Length 0 gives the shared empty representation.
        static Rep* alloc(int length);
    };

    // The representation shared by every empty string; never freed.
    static Rep nullRep;

    String() : rep(&nullRep) {}
    String(const String& s) : rep(s.rep) { rep->retain(); }
    String(String&& s) noexcept : rep(s.rep) { s.rep = &nullRep; }
    ~String() { rep->release(); }
    String& operator=(const String& s);
    String& operator=(String&& s) noexcept;

    String(const Char* chars, int n);
    // 8-bit text, one character per byte (ASCII in practice).
    String(const char* text);
    // A NUL-terminated 16-bit literal, for text beyond ASCII: String(u"Pünktchen").
    String(const char16_t* text);
    // The decimal text of an int as "%i" writes it.
    explicit String(int value);

    static String FromChar(int c);
    static String FromChars(const Array<int>& chars);

    int Length() const { return rep->length; }
    int operator[](int i) const { return rep->data()[i]; }
    const Char* Data() const { return rep->data(); }

    bool operator==(const String& s) const;
    bool operator!=(const String& s) const { return !(*this == s); }

    int Find(const String& sub, int start = 0) const;
    int FindLast(const String& sub) const;
    bool StartsWith(const String& sub) const;
    bool EndsWith(const String& sub) const;
    int ToInt() const;

    String operator+(const String& s) const;
    String& operator+=(const String& s) { return *this = *this + s; }
    String Slice(int from, int to) const;
    String Slice(int from) const { return Slice(from, Length()); }
    Array<String> Split(const String& separator) const;
    String Join(const Array<String>& pieces) const;
    String Replace(const String& find, const String& with) const;
    String Trim() const;
    String ToUpper() const;
    String ToLower() const;

    // The rest of an open byte stream decoded as text: UTF-16 with either byte-order mark,
    // otherwise UTF-8 (one- to three-byte forms, optional mark), falling back to 8-bit text
    // when the bytes are not such UTF-8.
    static String Load(FILE* stream);
    // The same decoding of bytes already in memory.
    static String FromBytes(const unsigned char* bytes, size_t count);

    // A NUL-terminated 8-bit copy (the low 8 bits of every character), owned by the
    // expression that asked for it.
    class CString {
      public:
        explicit CString(std::string s) : text(std::move(s)) {}
        operator const char*() const { return text.c_str(); }
        const char* c_str() const { return text.c_str(); }

      private:
        std::string text;
    };
    CString ToCString() const;
    // The text as UTF-8 bytes (one to three bytes per character), used for file names.
    std::string ToUtf8() const;

    // Identity of the representation, for tests and identity checks.
    const Rep* RepIdentity() const { return rep; }

  private:
    explicit String(Rep* r) : rep(r) {} // takes over one count
    Rep* rep;
};

inline String operator+(const char* a, const String& b) {
    return String(a) + b;
}

// A deep copy with a fresh representation of count 1, for text handed to another thread.
String rtStrdup(const String& s);

// UTF-8 encoding of a single 16-bit character appended to out (one to three bytes).
void rtAppendUtf8(std::string& out, int c);
