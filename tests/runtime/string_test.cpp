#include "runtime/string.h"

#include "runtime/gc.h"
#include "tests/runtime/runtime_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace hexwend::testing {
namespace {

using StringTest = RuntimeTest;

// --- Construction and the shared empty representation ------------------------------------

TEST_F(StringTest, EveryWayToMakeAnEmptyStringSharesTheEmptyRepresentation) {
    const String::Char none[1] = {u'x'};
    const std::vector<String> empties = {
        String(),
        String(none, 0),
        String(""),
        String(u""),
        String(static_cast<const char*>(nullptr)),
        String::FromChars(Array<int>()),
        String("abc").Slice(2, 1),
        String("   ").Trim(),
    };
    for (const String& s : empties) {
        EXPECT_EQ(s.Length(), 0);
        EXPECT_EQ(s.RepIdentity(), &String::nullRep);
    }
}

TEST_F(StringTest, CopiesShareOneRepresentationAndCountIt) {
    String a("shared");
    const String::Rep* rep = a.RepIdentity();
    EXPECT_EQ(rep->refs, 1);
    {
        String b = a;
        String c;
        c = b;
        EXPECT_EQ(b.RepIdentity(), rep);
        EXPECT_EQ(c.RepIdentity(), rep);
        EXPECT_EQ(rep->refs, 3);
        c = c; // self-assignment keeps the count
        EXPECT_EQ(rep->refs, 3);
    }
    EXPECT_EQ(rep->refs, 1);
    String moved = std::move(a);
    EXPECT_EQ(moved.RepIdentity(), rep);
    EXPECT_EQ(rep->refs, 1);
}

TEST_F(StringTest, EmptyRepresentationCountMayWrapWithoutHarm) {
    // The empty representation's count is touched by every empty string and means nothing;
    // a long run can carry it past either end of the int range.
    const int saved = String::nullRep.refs;
    String::nullRep.refs = INT_MAX;
    {
        String a;
        String b = a; // one past INT_MAX
        EXPECT_EQ(b.RepIdentity(), &String::nullRep);
    }
    String::nullRep.refs = INT_MIN;
    { String c(""); } // released once below INT_MIN
    String::nullRep.refs = 0;
    { String d = String(); } // reaches zero: still never freed
    EXPECT_EQ(String().Length(), 0);
    String::nullRep.refs = saved;
}

TEST_F(StringTest, IntegersFormatAsDecimalText) {
    const struct {
        int value;
        const char16_t* text;
    } cases[] = {
        {0, u"0"},
        {7, u"7"},
        {-7, u"-7"},
        {1000, u"1000"},
        {INT_MAX, u"2147483647"},
        {INT_MIN, u"-2147483648"},
    };
    for (const auto& c : cases) EXPECT_EQ(chars(String(c.value)), c.text) << c.value;
}

TEST_F(StringTest, CharactersAreTheLow16Bits) {
    EXPECT_EQ(chars(String::FromChar(0x41)), u"A");
    EXPECT_EQ(chars(String::FromChar(0x10041)), u"A");
    EXPECT_EQ(chars(String::FromChar(0x20ac)), u"\u20ac");
    EXPECT_EQ(chars(String::FromChars(Array<int>{0x48, 0x10069, 0x20ac})), u"Hi\u20ac");
    EXPECT_EQ(chars(String("\xe9")), u"\u00e9"); // one character per byte
}

// --- Queries -----------------------------------------------------------------------------

TEST_F(StringTest, EqualityComparesLengthAndEveryCharacter) {
    const struct {
        const char16_t* a;
        const char16_t* b;
        bool equal;
    } cases[] = {
        {u"", u"", true},
        {u"abc", u"abc", true},
        {u"abc", u"abd", false},
        {u"abc", u"ab", false},
        {u"", u"a", false},
        {u"a\u0100", u"a\u0100", true},
        {u"a\u0100", u"a\u0000", false},
    };
    for (const auto& c : cases) {
        String a(c.a), b(c.b);
        EXPECT_EQ(a == b, c.equal) << a.ToUtf8() << " vs " << b.ToUtf8();
        EXPECT_EQ(a != b, !c.equal);
    }
}

TEST_F(StringTest, SearchesAnswerTheIndexOrMinusOne) {
    const struct {
        const char16_t* text;
        const char16_t* sub;
        int start;
        int find;
        int findLast;
    } cases[] = {
        {u"a/b/c", u"/", 0, 1, 3},
        {u"a/b/c", u"/", 2, 3, 3},
        {u"a/b/c", u"/", 4, -1, 3},
        {u"a/b/c", u"/", -5, 1, 3},
        {u"abc", u"", 9, -1, 3},
        {u"abc", u"", 0, 0, 3},
        {u"abc", u"", 3, 3, 3},
        {u"abc", u"abcd", 0, -1, -1},
        {u"abcabc", u"abc", 1, 3, 3},
        {u"aaa", u"aa", 0, 0, 1},
        {u"", u"x", 0, -1, -1},
        {u"abc", u"c", INT_MAX, -1, 2}, // a start far past the end is clamped, not overflowed
        {u"abc", u"", INT_MAX, -1, 3},
    };
    for (const auto& c : cases) {
        String text(c.text), sub(c.sub);
        EXPECT_EQ(text.Find(sub, c.start), c.find) << text.ToUtf8() << " / " << sub.ToUtf8();
        EXPECT_EQ(text.FindLast(sub), c.findLast) << text.ToUtf8() << " / " << sub.ToUtf8();
    }
    EXPECT_EQ(String("a/b/c").Find(String("/")), 1); // start defaults to 0
}

TEST_F(StringTest, PrefixAndSuffixTests) {
    const struct {
        const char16_t* text;
        const char16_t* sub;
        bool starts;
        bool ends;
    } cases[] = {
        {u"hello", u"he", true, false},  {u"hello", u"lo", false, true},
        {u"hello", u"", true, true},     {u"hello", u"hello", true, true},
        {u"he", u"hello", false, false}, {u"", u"", true, true},
        {u"", u"a", false, false},
    };
    for (const auto& c : cases) {
        String text(c.text), sub(c.sub);
        EXPECT_EQ(text.StartsWith(sub), c.starts) << text.ToUtf8() << " / " << sub.ToUtf8();
        EXPECT_EQ(text.EndsWith(sub), c.ends) << text.ToUtf8() << " / " << sub.ToUtf8();
    }
}

TEST_F(StringTest, ToIntReadsLikeAtoiOverTheFirst63Characters) {
    const std::u16string zeros62(62, u'0');
    const struct {
        std::u16string text;
        int value;
    } cases[] = {
        {u"+5", 5},
        {u" 5", 5},
        {u"5 6", 5},
        {u"  12abc", 12},
        {u"-7", -7},
        {u"abc", 0},
        {u"", 0},
        {u"x12", 0},
        {u"\t\n42", 42},
        {u"2147483647", 2147483647},
        {u"\u0135", 5}, // narrowed to its low 8 bits: '5'
        {u"\u0100"
         u"9",
         0},                  // narrowed to a NUL, which ends the text
        {zeros62 + u"12", 1}, // the 64th character is not seen
        {std::u16string(63, u'1'), int(std::atoi(std::string(63, '1').c_str()))},
    };
    for (const auto& c : cases) {
        String s(c.text.data(), int(c.text.size()));
        EXPECT_EQ(s.ToInt(), c.value) << s.ToUtf8();
    }
}

// --- Derived strings ---------------------------------------------------------------------

TEST_F(StringTest, ConcatenationSharesAnEmptyOperandsPartner) {
    String a("ab"), b("cd"), empty;
    EXPECT_EQ(chars(a + b), u"abcd");
    EXPECT_EQ((a + empty).RepIdentity(), a.RepIdentity());
    EXPECT_EQ((empty + b).RepIdentity(), b.RepIdentity());
    EXPECT_EQ((empty + empty).RepIdentity(), &String::nullRep);
    String c = a;
    c += b;
    EXPECT_EQ(chars(c), u"abcd");
    EXPECT_EQ(chars(a), u"ab"); // the receiver never changes
    EXPECT_EQ(chars("x" + b), u"xcd");
}

TEST_F(StringTest, SliceClampsAndCountsNegativeIndicesFromTheEnd) {
    const String hello("hello");
    const int kWhole = INT_MIN; // marks "up to the end" (the one-argument form)
    const struct {
        int from;
        int to;
        const char16_t* text;
        bool sharesReceiver;
    } cases[] = {
        {1, 3, u"el", false},
        {-3, kWhole, u"llo", false},
        {2, 99, u"llo", false},
        {4, 2, u"", false},
        {0, -10, u"", false},
        {-99, 2, u"he", false},
        {0, kWhole, u"hello", true},
        {-99, 99, u"hello", true},
        {0, 5, u"hello", true},
        {0, -1, u"hell", false},
        {5, kWhole, u"", false},
        {99, kWhole, u"", false},
        {2, 2, u"", false},
        {-1, kWhole, u"o", false},
        {INT_MIN, INT_MAX, u"hello", true},
    };
    for (const auto& c : cases) {
        String s = c.to == kWhole ? hello.Slice(c.from) : hello.Slice(c.from, c.to);
        EXPECT_EQ(chars(s), c.text) << c.from << ", " << c.to;
        EXPECT_EQ(s.RepIdentity() == hello.RepIdentity(), c.sharesReceiver)
            << c.from << ", " << c.to;
        if (s.Length() == 0) {
            EXPECT_EQ(s.RepIdentity(), &String::nullRep);
        }
    }
}

TEST_F(StringTest, SplitCutsAtEveryNonOverlappingSeparator) {
    const struct {
        const char16_t* text;
        const char16_t* separator;
        std::vector<std::u16string> pieces;
    } cases[] = {
        {u"a,b,c", u",", {u"a", u"b", u"c"}},
        {u"a,,b,", u",", {u"a", u"", u"b", u""}},
        {u",a", u",", {u"", u"a"}},
        {u"", u",", {u""}},
        {u"", u"", {}},
        {u"ab", u"", {u"a", u"b"}},
        {u"a,b", u";", {u"a,b"}},
        {u"aaa", u"aa", {u"", u"a"}},
        {u"x--y----z", u"--", {u"x", u"y", u"", u"z"}},
        {u"sep", u"sep", {u"", u""}},
        {u"a\u20acb", u"\u20ac", {u"a", u"b"}},
    };
    for (const auto& c : cases) {
        String text(c.text);
        EXPECT_EQ(chars(text.Split(String(c.separator))), c.pieces) << text.ToUtf8();
    }
}

TEST_F(StringTest, SplitWithoutASeparatorHandsBackTheReceiver) {
    String text("a,b");
    Array<String> pieces = text.Split(String(";"));
    ASSERT_EQ(pieces.Length(), 1);
    EXPECT_EQ(pieces[0].RepIdentity(), text.RepIdentity());
    EXPECT_EQ(String().Split(String("")).GetRep(), Array<String>().GetRep());
}

TEST_F(StringTest, JoinPutsTheReceiverBetweenElements) {
    const struct {
        const char16_t* separator;
        std::vector<std::u16string> pieces;
        const char16_t* text;
    } cases[] = {
        {u",", {}, u""},
        {u",", {u"x"}, u"x"},
        {u"", {u"a", u"b"}, u"ab"},
        {u",", {u"a", u"b", u"c"}, u"a,b,c"},
        {u", ", {u"", u"", u""}, u", , "},
        {u"--", {u"one", u"", u"three"}, u"one----three"},
    };
    for (const auto& c : cases) {
        Array<String> pieces(int(c.pieces.size()));
        for (int i = 0; i < pieces.Length(); ++i)
            pieces[i] = String(c.pieces[size_t(i)].data(), int(c.pieces[size_t(i)].size()));
        EXPECT_EQ(chars(String(c.separator).Join(pieces)), c.text);
    }
    Array<String> one{String("x")};
    EXPECT_EQ(String(",").Join(one).RepIdentity(), one[0].RepIdentity());
    EXPECT_EQ(String(",").Join(Array<String>()).RepIdentity(), &String::nullRep);
}

TEST_F(StringTest, SplitAndJoinAreInverse) {
    for (const char16_t* text : {u"a,b,,c", u",", u"", u"no separator", u",,x,,"}) {
        String s(text), comma(",");
        EXPECT_EQ(chars(comma.Join(s.Split(comma))), text);
    }
}

TEST_F(StringTest, ReplaceSubstitutesEveryNonOverlappingOccurrence) {
    const struct {
        const char16_t* text;
        const char16_t* find;
        const char16_t* with;
        const char16_t* result;
    } cases[] = {
        {u"aaa", u"aa", u"b", u"ba"},        {u"a.b.c", u".", u"", u"abc"},
        {u"a.b.c", u".", u"::", u"a::b::c"}, {u"xyz", u"xyz", u"", u""},
        {u"\"q\"", u"\"", u"~q", u"~qq~q"},  {u"abab", u"ab", u"abab", u"abababab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chars(String(c.text).Replace(String(c.find), String(c.with))), c.result)
            << String(c.text).ToUtf8();
    }
    String text("nothing to see");
    EXPECT_EQ(text.Replace(String("zz"), String("y")).RepIdentity(), text.RepIdentity());
    EXPECT_EQ(text.Replace(String(""), String("y")).RepIdentity(), text.RepIdentity());
}

TEST_F(StringTest, TrimDropsControlCharactersAndSpacesAtBothEnds) {
    const struct {
        const char16_t* text;
        const char16_t* trimmed;
        bool sharesReceiver;
    } cases[] = {
        {u"x", u"x", true},
        {u" \t x y \r\n", u"x y", false},
        {u" \t \t", u"", false},
        {u"\u0001a\u001f", u"a", false},
        {u"a ", u"a", false},
        {u" a", u"a", false},
        {u"\u00a0a\u00a0", u"\u00a0a\u00a0", true}, // only codes up to 32 are trimmed
        {u"", u"", true},
    };
    for (const auto& c : cases) {
        String s(c.text);
        String t = s.Trim();
        EXPECT_EQ(chars(t), c.trimmed) << s.ToUtf8();
        EXPECT_EQ(t.RepIdentity() == s.RepIdentity(), c.sharesReceiver) << s.ToUtf8();
    }
}

TEST_F(StringTest, CaseMappingsCopyOnlyWhenSomethingChanges) {
    const struct {
        const char16_t* text;
        const char16_t* upper;
        const char16_t* lower;
    } cases[] = {
        {u"HTTP/1.0 200 ok", u"HTTP/1.0 200 OK", u"http/1.0 200 ok"},
        {u"Data/Common", u"DATA/COMMON", u"data/common"},
        {u"123 -_.", u"123 -_.", u"123 -_."},
        {u"", u"", u""},
        {u"ABCdef", u"ABCDEF", u"abcdef"},
    };
    for (const auto& c : cases) {
        String s(c.text);
        String upper = s.ToUpper(), lower = s.ToLower();
        EXPECT_EQ(chars(upper), c.upper);
        EXPECT_EQ(chars(lower), c.lower);
        EXPECT_EQ(upper.RepIdentity() == s.RepIdentity(), chars(s) == c.upper) << s.ToUtf8();
        EXPECT_EQ(lower.RepIdentity() == s.RepIdentity(), chars(s) == c.lower) << s.ToUtf8();
    }
}

// --- Loading text ------------------------------------------------------------------------

struct LoadCase {
    const char* name;
    std::vector<unsigned char> bytes;
    std::u16string text;
};

std::vector<LoadCase> loadCases() {
    return {
        {"nothing", {}, u""},
        {"one byte", {0x41}, u"A"},
        {"one high byte", {0xe9}, u"\u00e9"},
        {"utf16 little-endian, odd byte dropped", {0xff, 0xfe, 0x41, 0x00, 0x42}, u"A"},
        {"utf16 little-endian", {0xff, 0xfe, 0x41, 0x00, 0xac, 0x20}, u"A\u20ac"},
        {"utf16 big-endian", {0xfe, 0xff, 0x00, 0x41, 0x20, 0xac}, u"A\u20ac"},
        {"utf16 mark only", {0xfe, 0xff}, u""},
        {"utf16 mark and odd byte", {0xff, 0xfe, 0x41}, u""},
        {"utf16 keeps surrogates apart", {0xff, 0xfe, 0x3d, 0xd8, 0x00, 0xde}, u"\xd83d\xde00"},
        {"utf8 mark", {0xef, 0xbb, 0xbf, 0x41}, u"A"},
        {"utf8 mark only", {0xef, 0xbb, 0xbf}, u""},
        {"two bytes of a utf8 mark", {0xef, 0xbb}, u"\u00ef\u00bb"},
        {"invalid utf8 falls back to 8-bit", {0x41, 0xe9, 0x42}, u"A\u00e9B"},
        {"two-byte form", {0xc3, 0xa9}, u"\u00e9"},
        {"three-byte form", {0xe2, 0x82, 0xac}, u"\u20ac"},
        {"four-byte form is 8-bit text", {0xf0, 0x9f, 0x98, 0x80}, u"\u00f0\u009f\u0098\u0080"},
        {"overlong form accepted", {0xc0, 0x80}, std::u16string(1, u'\0')},
        {"surrogate code accepted", {0xed, 0xa0, 0x80}, u"\xd800"},
        {"continuation byte as lead", {0x80, 0x41}, u"\u0080A"},
        {"cut-short two-byte form", {0x41, 0xc3}, u"A\u00c3"},
        {"cut-short three-byte form", {0xe2, 0x82}, u"\u00e2\u0082"},
        {"bad continuation byte", {0xc3, 0x41}, u"\u00c3A"},
        {"bad third byte", {0xe2, 0x82, 0xc0}, u"\u00e2\u0082\u00c0"},
        {"fall-back keeps text after the utf8 mark", {0xef, 0xbb, 0xbf, 0xe9}, u"\u00e9"},
        {"utf16 mark wins over utf8 rules", {0xfe, 0xff, 0xd8, 0x00}, u"\xd800"},
        {"zero bytes are characters", {0x41, 0x00, 0x42}, {u'A', u'\0', u'B'}},
        {"mixed valid utf8", {0x61, 0xc3, 0xa9, 0xe2, 0x82, 0xac, 0x7a}, u"a\u00e9\u20acz"},
    };
}

TEST_F(StringTest, FromBytesDecodesByMarkThenUtf8ThenFallsBackTo8Bit) {
    for (const LoadCase& c : loadCases()) {
        String s = String::FromBytes(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(chars(s), c.text) << c.name;
        if (c.text.empty()) {
            EXPECT_EQ(s.RepIdentity(), &String::nullRep) << c.name;
        }
    }
}

TEST_F(StringTest, LoadReadsTheRestOfAStream) {
    for (const LoadCase& c : loadCases()) {
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        // A few bytes before the text that the reader has already consumed.
        std::fputs("skip", f);
        if (!c.bytes.empty()) std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
        std::fseek(f, 4, SEEK_SET);
        EXPECT_EQ(chars(String::Load(f)), c.text) << c.name;
        std::fclose(f);
    }
}

TEST_F(StringTest, LoadAcrossReadBlockBoundaries) {
    // Sizes around the 4096-byte read block, with a multi-byte character straddling each
    // boundary so that the blocks must be joined before decoding.
    for (size_t size : {4095u, 4096u, 4097u, 8191u, 8192u, 8193u, 20000u}) {
        std::string bytes;
        std::u16string expected;
        while (bytes.size() + 3 <= size) {
            if ((bytes.size() + 1) % 4096 == 0 || bytes.size() % 7 == 3) {
                bytes += "\xe2\x82\xac";
                expected += u'\u20ac';
            } else {
                bytes += char('a' + bytes.size() % 26);
                expected += char16_t('a' + (bytes.size() - 1) % 26);
            }
        }
        while (bytes.size() < size) {
            bytes += 'z';
            expected += u'z';
        }
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::rewind(f);
        String s = String::Load(f);
        std::fclose(f);
        EXPECT_EQ(s.Length(), int(expected.size())) << size;
        EXPECT_TRUE(chars(s) == expected) << size;
    }
}

TEST_F(StringTest, LoadOfAStreamThatCannotBeReadIsEmpty) {
    // A read error counts as the end of the data.
    std::FILE* f = std::fopen("/dev/null", "w");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(String::Load(f).RepIdentity(), &String::nullRep);
    std::fclose(f);
}

// --- Conversions -------------------------------------------------------------------------

TEST_F(StringTest, CStringKeepsTheLow8BitsOfEachCharacter) {
    String s(u"A\u00e9\u0142z");
    EXPECT_EQ(std::string(s.ToCString()), "A\xe9\x42z");
    EXPECT_EQ(std::string(String().ToCString()), "");
}

TEST_F(StringTest, Utf8UsesOneToThreeBytesPerCharacter) {
    const struct {
        char16_t c;
        const char* bytes;
    } cases[] = {
        {u'\u0001', "\x01"},         {u'\u007f', "\x7f"},
        {u'\u0080', "\xc2\x80"},     {u'\u07ff', "\xdf\xbf"},
        {u'\u0800', "\xe0\xa0\x80"}, {u'\u20ac', "\xe2\x82\xac"},
        {u'\uffff', "\xef\xbf\xbf"}, {char16_t(0xd83d), "\xed\xa0\xbd"},
    };
    for (const auto& c : cases) {
        String s(&c.c, 1);
        EXPECT_EQ(s.ToUtf8(), c.bytes) << int(c.c);
        // What is written as UTF-8 loads back as the same character.
        std::string bytes = s.ToUtf8();
        EXPECT_EQ(chars(String::FromBytes(reinterpret_cast<const unsigned char*>(bytes.data()),
                                          bytes.size())),
                  std::u16string(1, c.c));
    }
}

TEST_F(StringTest, StrdupMakesAFreshRepresentationOfCountOne) {
    String s("for another thread");
    String keep = s;
    String copy = rtStrdup(s);
    EXPECT_EQ(chars(copy), u"for another thread");
    EXPECT_NE(copy.RepIdentity(), s.RepIdentity());
    EXPECT_EQ(copy.RepIdentity()->refs, 1);
    EXPECT_EQ(s.RepIdentity()->refs, 2);
    EXPECT_EQ(rtStrdup(String()).RepIdentity(), &String::nullRep);
}

} // namespace
} // namespace hexwend::testing
