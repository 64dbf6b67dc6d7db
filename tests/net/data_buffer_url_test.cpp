// Data buffers (encodings, clamping, copies) and the URL parser: tables of cases.
#include "tests/net/net_support.h"

#include <gmock/gmock.h>

namespace hexwend::testing {
namespace {

using ::testing::ElementsAreArray;

class DataBufferTest : public NetTest {
  protected:
    c_DataBuffer* buffer(int length) { return keep((new c_DataBuffer())->m_new(length)); }
    static std::vector<int> bytes(c_DataBuffer* b, int address, int count) {
        Array<int> a = b->p_PeekBytes2(address, count);
        return std::vector<int>(a.Data(), a.Data() + a.Length());
    }
};

struct PokeCase {
    const char* name;
    std::u16string text;
    const char* encoding;
    int length;   // of the buffer
    int address;
    int returned;
    std::vector<int> written; // signed bytes from the address on
};

TEST_F(DataBufferTest, PokeStringEncodesAndClampsToTheBuffer) {
    const PokeCase cases[] = {
        {"e-acute as UTF-8", u"\u00e9", "utf8", 8, 0, 2, {-61, -87}},
        {"e-acute as ASCII", u"\u00e9", "ascii", 8, 0, 1, {-23}},
        {"euro sign as UTF-8", u"\u20ac", "utf8", 8, 1, 3, {-30, -126, -84}},
        {"ASCII text past the end", u"hello", "ascii", 12, 10, 5, {'h', 'e'}},
        {"UTF-8 cut inside a character", u"a\u20ac", "utf8", 3, 0, 4, {'a', -30, -126}},
        {"address past the end", u"abc", "ascii", 4, 9, 3, {}},
        {"negative address", u"abc", "utf8", 4, -2, 3, {}},
    };
    for (const PokeCase& c : cases) {
        SCOPED_TRACE(c.name);
        c_DataBuffer* b = buffer(c.length);
        String text(c.text.data(), int(c.text.size()));
        EXPECT_EQ(b->p_PokeString(c.address, text, String(c.encoding)), c.returned);
        EXPECT_THAT(bytes(b, std::max(c.address, 0), int(c.written.size())),
                    ElementsAreArray(c.written));
        if (c.address > c.length || c.address < 0) {
            EXPECT_THAT(bytes(b, 0, c.length), ::testing::Each(0)) << "nothing written";
        }
    }
}

struct PeekCase {
    const char* name;
    std::vector<int> bytes;
    const char* encoding;
    std::u16string text;
};

TEST_F(DataBufferTest, PeekStringDecodesOrFallsBackToOneCharacterPerByte) {
    const PeekCase cases[] = {
        {"two-byte form", {0xC3, 0xA9}, "utf8", u"\u00e9"},
        {"three-byte form", {0xE2, 0x82, 0xAC}, "utf8", u"\u20ac"},
        {"not UTF-8", {0x41, 0xE9, 0x42}, "utf8", u"A\u00e9B"},
        {"cut-off sequence", {0x41, 0xE2, 0x82}, "utf8", u"A\u00e2\u0082"},
        {"four-byte lead", {0xF0, 0x9F, 0x98, 0x80}, "utf8", u"\u00f0\u009f\u0098\u0080"},
        {"ASCII keeps every byte", {0xC3, 0xA9}, "ascii", u"\u00c3\u00a9"},
    };
    for (const PeekCase& c : cases) {
        SCOPED_TRACE(c.name);
        c_DataBuffer* b = buffer(int(c.bytes.size()));
        b->p_PokeBytes(0, Array<int>(c.bytes.data(), int(c.bytes.size())), 0, int(c.bytes.size()));
        EXPECT_EQ(chars(b->p_PeekString(0, int(c.bytes.size()), String(c.encoding))), c.text);
        EXPECT_EQ(chars(b->p_PeekString2(0, String(c.encoding))), c.text);
    }
}

TEST_F(DataBufferTest, BytesReadBackSignedAndTransfersAreClamped) {
    c_DataBuffer* b = buffer(16);
    b->p_PokeBytes(0, Array<int>{0xFF, 0x80, 0x7F, 0x141}, 0, 4);
    EXPECT_EQ(b->p_PeekByte(0), -1);
    EXPECT_EQ(b->p_PeekByte(1), -128);
    EXPECT_EQ(b->p_PeekByte(2), 127);
    EXPECT_EQ(b->p_PeekByte(3), 0x41) << "the low 8 bits";
    EXPECT_EQ(b->p_PeekByte(16), 0) << "outside the buffer";
    EXPECT_EQ(b->p_PeekByte(-1), 0);

    // Cut to the array's room after the offset, and to the buffer's end.
    b->p_PokeBytes(14, Array<int>{1, 2, 3, 4, 5}, 1, 10);
    EXPECT_THAT(bytes(b, 14, 5), ElementsAreArray({2, 3}));
    Array<int> out(4);
    b->p_PeekBytes(0, out, 2, 10);
    EXPECT_THAT(std::vector<int>(out.Data(), out.Data() + 4), ElementsAreArray({0, 0, -1, -128}));
    EXPECT_EQ(b->p_PeekBytes2(10, 100).Length(), 6);
    EXPECT_EQ(b->p_PeekBytes2(20, 1).Length(), 0);
}

TEST_F(DataBufferTest, CopyBytesMovesOverlappingRangesIntact) {
    c_DataBuffer* b = buffer(20);
    std::vector<int> seq;
    for (int i = 0; i < 20; ++i) seq.push_back(i + 1);
    b->p_PokeBytes(0, Array<int>(seq.data(), 20), 0, 20);
    b->p_CopyBytes(5, b, 0, 10); // down, overlapping
    EXPECT_THAT(bytes(b, 0, 10), ElementsAreArray({6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    b->p_PokeBytes(0, Array<int>(seq.data(), 20), 0, 20);
    b->p_CopyBytes(0, b, 5, 10); // up, overlapping
    EXPECT_THAT(bytes(b, 5, 10), ElementsAreArray({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    c_DataBuffer* small = buffer(4);
    b->p_CopyBytes(0, small, 2, 10); // cut to the destination's room
    EXPECT_THAT(bytes(small, 0, 4), ElementsAreArray({0, 0, 1, 2}));
}

TEST_F(DataBufferTest, BuffersKeepTheirBytesAndRefuseASecondAllocation) {
    c_DataBuffer* b = buffer(8);
    EXPECT_EQ(b->p_Length(), 8);
    EXPECT_FALSE(b->_New(16));
    EXPECT_EQ(b->p_Length(), 8);
    b->Discard();
    EXPECT_EQ(b->p_Length(), 0);
    EXPECT_EQ(b->_data, nullptr);
    EXPECT_TRUE(b->_New(4));

    const int before = gc_ext_new_bytes.load();
    buffer(100000);
    EXPECT_EQ(gc_ext_new_bytes.load() - before, 100000)
        << "the bytes count towards the collector's next sweep";
}

TEST_F(DataBufferTest, AnUnknownEncodingIsARuntimeError) {
    c_DataBuffer* b = buffer(4);
    EXPECT_EXIT(
        {
            ::dup2(2, 1);
            b->p_PokeString(0, String("x"), String("UTF8"));
        },
        ::testing::ExitedWithCode(255), "Vorpix Runtime Error : Invalid string encoding:UTF8");
    EXPECT_EXIT(
        {
            ::dup2(2, 1);
            b->p_PeekString(0, 1, String("latin1"));
        },
        ::testing::ExitedWithCode(255), "Invalid string encoding:latin1");
}

// --- URLs --------------------------------------------------------------------------------

struct UrlCase {
    const char* url;
    const char* scheme;
    const char* username;
    const char* password;
    const char* domain;
    int port;
    const char* path;
    const char* query;
    const char* fragment;
    const char* fullPath;
};

TEST_F(NetTest, UrlsSplitIntoTheirParts) {
    const UrlCase cases[] = {
        {"x://host1/a/b?k=1#top", "x", "", "", "host1", 80, "/a/b", "k=1", "top", "/a/b?k=1#top"},
        {"host1:8080", "http", "", "", "host1", 8080, "/", "", "", "/"},
        {"x://u:pw@h/p", "x", "u", "pw", "h", 80, "/p", "", "", "/p"},
        {"x://me@h", "x", "me", "", "h", 80, "/", "", "", "/"},
        {"x://h/p#a?b", "x", "", "", "h", 80, "/p", "", "a?b", "/p#a?b"},
        {"x://h:81", "x", "", "", "h", 81, "/", "", "", "/"},
        {"x://h/q:1", "x", "", "", "h", 80, "/q:1", "", "", "/q:1"},
        {"x://h:81/p?q", "x", "", "", "h", 81, "/p", "q", "", "/p?q"},
        {"h?a=b/c://d@e", "http", "", "", "h", 80, "/", "a=b/c://d@e", "", "/?a=b/c://d@e"},
        {"x://h:port/", "x", "", "", "h", 0, "/", "", "", "/"},
        {"", "http", "", "", "", 80, "/", "", "", "/"},
        {"#", "http", "", "", "", 80, "/", "", "", "/"},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        c_Url* u = keep((new c_Url())->m_new(String(c.url), String("http"), 80));
        EXPECT_EQ(u->m_url, String(c.url));
        EXPECT_EQ(u->m_scheme, String(c.scheme));
        EXPECT_EQ(u->m_username, String(c.username));
        EXPECT_EQ(u->m_password, String(c.password));
        EXPECT_EQ(u->p_Domain(), String(c.domain));
        EXPECT_EQ(u->p_Port(), c.port);
        EXPECT_EQ(u->m_path, String(c.path));
        EXPECT_EQ(u->m_query, String(c.query));
        EXPECT_EQ(u->m_fragment, String(c.fragment));
        EXPECT_EQ(u->p_FullPath(), String(c.fullPath));
    }
}

} // namespace
} // namespace hexwend::testing
