// The score server's pure parts: the payload and query parsers, the marker and percent
// escapes, the API's parameters, the answers' escaping and layout, and the rate limiter.
#include "server/api_query.h"
#include "server/codec.h"
#include "server/leaderboard.h"
#include "server/payload.h"
#include "server/rate_limiter.h"
#include "server/render.h"
#include "tests/server/server_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace hexwend::server;
using hexwend::testing::replyElements;

const std::string kId = "20261211123456789";
const std::string kName = "Bob{the best}";

std::string reasonOf(const ParseResult& r) {
    return std::holds_alternative<ParseError>(r) ? std::get<ParseError>(r).reason : "";
}

TEST(ScoresPayloadParser, ReadsTheFieldsByPositionAndRefusesWhatTheGameNeverSends) {
    const GameInfo& game = *findGame(506);
    const std::string head = kId + "{" + kName + "{0506{0001{0000{";
    struct Case {
        std::string payload;
        std::string error; // empty: accepted
    } cases[] = {
        {head + "100{0{200{7{300{-5{QUZO{", ""},
        {head + "99999999{2147483647{0{-2147483648{0{0{QUZO{", ""},
        {head + "100{0{QUZO{", ""},                                  // one game type
        {kId + "{" + kName + "{0506{0001{0003{QUZO{", ""},          // another mode: no scores
        {"", "payload too short"},
        {"2026121112345678x{" + kName + "{0506{0001{0000{1{0{QUZO{", "identity is not 17 digits"},
        {kId + "X" + kName + "{0506{0001{0000{1{0{QUZO{", "no separator after the identity"},
        {kId + "{" + kName + "X0506{0001{0000{1{0{QUZO{", "no separator after the 13-character name"},
        {head + "100{0{", "payload does not end with QUZO{"},
        {head + "100{0{QUZO", "payload does not end with QUZO{"},
        {head + "100{0{QUZO{x", "payload does not end with QUZO{"},
        {kId + "{" + kName + "{506{0001{0000{1{0{QUZO{", "game is not 4 digits"},
        {kId + "{" + kName + "{0507{0001{0000{1{0{QUZO{", "payload names another game than the request"},
        {kId + "{" + kName + "{0506{01{0000{1{0{QUZO{", "version is not 4 digits"},
        {kId + "{" + kName + "{0506{0001{abcd{1{0{QUZO{", "mode is not 4 digits"},
        {kId + "{" + kName + "{0506{0001{0002{1{0{QUZO{", "scores sent with a mode other than 0"},
        {head + "QUZO{", "wrong number of game types"},
        {head + "1{0{2{0{3{0{4{0{QUZO{", "wrong number of game types"},
        {head + "1{0{2{QUZO{", "a score without its extra value"},
        {head + "100000000{0{QUZO{", "score of type 1 is not 0 to 99999999"},
        {head + "-1{0{QUZO{", "score of type 1 is not 0 to 99999999"},
        {head + "1{0{{0{QUZO{", "score of type 2 is not 0 to 99999999"},
        {head + "1{2147483648{QUZO{", "extra value of type 1 is not a 32-bit number"},
        {head + "1{1.5{QUZO{", "extra value of type 1 is not a 32-bit number"},
    };
    for (const Case& c : cases) {
        ParseResult r = parsePayload(c.payload, game);
        EXPECT_EQ(reasonOf(r), c.error) << c.payload;
    }
    auto ok = std::get<Submission>(parsePayload(head + "100{0{200{7{300{-5{QUZO{", game));
    EXPECT_EQ(ok.identity, kId);
    EXPECT_EQ(ok.name, kName);
    ASSERT_EQ(ok.scores.size(), 3u);
    EXPECT_EQ(ok.scores[1].type, 2);
    EXPECT_EQ(ok.scores[1].best, 200);
    EXPECT_EQ(ok.scores[2].extra, -5);
}

TEST(ScoresQuery, FindsTheGameAndThePayloadInTheRawQuery) {
    Submission s{kId, kName, 506, 1, 0, {{1, 4075, 0}}};
    std::string good = encodeScoreQuery(s);
    EXPECT_TRUE(good.starts_with("Game=0506&Score="));
    struct Case {
        std::string query;
        std::string error;
    } cases[] = {
        {good, ""},
        {"Other=1&" + good + "&x", ""},                       // other keys are left alone
        {"Game=%30506&" + good.substr(10), ""},               // a proxy's percent escapes
        {"Game=0506", "Game and Score are both needed"},
        {good + "&Game=0506", "Game or Score given twice"},
        {"Game=506&" + good.substr(10), "Game is not 4 digits"},
        {"Game=0507&" + good.substr(10), "unknown game 0507"},
        {"Game=0506&Score=%zz", "bad percent escape in Score"},
        {"Game=0506&Score=%C3%A9", "Score holds a character the game never sends"},
        {"Game=0506&Score=abc", "payload too short"},
        {"", "Game and Score are both needed"},
    };
    for (const Case& c : cases) EXPECT_EQ(reasonOf(decodeScoreQuery(c.query)), c.error) << c.query;
}

TEST(ScoresMarkers, EachOfTheNineteenCharactersHasItsMarker) {
    EXPECT_EQ(escapeMarkers("a b"), "a*!U!*b");
    EXPECT_EQ(escapeMarkers("%"), "*!P!*");
    const std::string special = "&\\'`\"/>#^{}<|%?+$, ";
    const std::string letters = "ABCDEFGHIJKLMPQRSTU";
    for (std::size_t i = 0; i < special.size(); ++i) {
        std::string marker = std::string("*!") + letters[i] + "!*";
        EXPECT_EQ(escapeMarkers(special.substr(i, 1)), marker);
        EXPECT_EQ(unescapeMarkers(marker), special.substr(i, 1));
    }
    EXPECT_EQ(unescapeMarkers("*!N!**!O!*"), "*!N!**!O!*"); // no markers N and O
    EXPECT_EQ(unescapeMarkers("x*!A!*!B!*"), "x&!B!*");
    EXPECT_EQ(unescapeMarkers("*!A!**!B!*", 0), "*!A!*\\");
    EXPECT_EQ(countMarkers("*!A!**!B!*!C"), 2u);
    EXPECT_EQ(percentDecode("a%2Fb%2f"), "a/b/");
    EXPECT_EQ(percentDecode("%4"), std::nullopt);
}

TEST(ScoresApiQuery, TakesGameTypeAndLimitWithDefaultsAndACap) {
    struct Case {
        std::string query;
        int status; // 0: accepted
        int type, limit;
    } cases[] = {
        {"game=506&type=2&limit=20", 0, 2, 20},
        {"type=1", 0, 1, kDefaultApiLimit},
        {"type=3&limit=100", 0, 3, 100},
        {"type=3&limit=101", 0, 3, 100},
        {"type=3&limit=99999999999999999999", 0, 3, 100},
        {"type=%32&_=123", 0, 2, kDefaultApiLimit},
        {"", 400, 0, 0},
        {"type=0", 400, 0, 0},
        {"type=4", 400, 0, 0},
        {"type=x", 400, 0, 0},
        {"type=1&limit=0", 400, 0, 0},
        {"type=1&limit=-5", 400, 0, 0},
        {"type=1&type=2", 400, 0, 0},
        {"type=1&game=abc", 400, 0, 0},
        {"type=1&game=507", 404, 0, 0},
    };
    for (const Case& c : cases) {
        auto r = parseApiQuery(c.query);
        if (c.status == 0) {
            ASSERT_TRUE(std::holds_alternative<ApiQuery>(r)) << c.query << ": " << std::get<ApiError>(r).reason;
            EXPECT_EQ(std::get<ApiQuery>(r).type, c.type) << c.query;
            EXPECT_EQ(std::get<ApiQuery>(r).limit, c.limit) << c.query;
        } else {
            ASSERT_TRUE(std::holds_alternative<ApiError>(r)) << c.query;
            EXPECT_EQ(std::get<ApiError>(r).status, c.status) << c.query;
        }
    }
}

TEST(ScoresEscaping, HtmlAndJsonCarryEverySpecialCharacterLiterally) {
    EXPECT_EQ(htmlEscape("<b>&\"'x"), "&lt;b&gt;&amp;&quot;&#39;x");
    EXPECT_EQ(htmlEscape("plain {name}"), "plain {name}");
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString(std::string("\x01\n\x7f", 3)), "\"\\u0001\\u000a\\u007f\"");
    EXPECT_EQ(jsonString("\xc3\xa9"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(storedName("  Bob        "), "  Bob");
    EXPECT_EQ(storedName("             "), "");
}

GameTables tablesWith(std::vector<ScoreEntry> easy) {
    GameTables t;
    t.game = 506;
    t.types = {{1, std::int64_t(easy.size()), easy}, {2, 0, {}}, {3, 0, {}}};
    t.players = std::int64_t(easy.size());
    return t;
}


TEST(ScoresGameReply, PutsNamesAndScoresWhereTheGameReadsThem) {
    GameTables t = tablesWith({{kId, "Ann{", 900, 0, 1765454700}, {kId, "Bo", 800, 0, 1765454700}});
    t.types[2] = {3, 1, {{kId, "Cy", 77, 0, 0}}};
    std::vector<std::string> e = replyElements(renderGameReply(t, *findGame(506)));
    ASSERT_EQ(e.size(), 66u);
    EXPECT_EQ(e[0], "OnlineScores");
    for (int g = 1; g <= 3; ++g)
        for (int i = 0; i < 5; ++i) {
            int b = 22 * (g - 1) + 4 * i;
            EXPECT_EQ(e[size_t(b + 4)], std::to_string(i + 1)) << "place number of type " << g;
        }
    EXPECT_EQ(e[1], "2");      // players of type 1
    EXPECT_EQ(e[2], "Ann(");   // "{" never reaches the game
    EXPECT_EQ(e[3], "900");
    EXPECT_EQ(e[5], "20251211");
    EXPECT_EQ(e[6], "Bo");
    EXPECT_EQ(e[7], "800");
    EXPECT_EQ(e[10], "");      // third place of type 1: nobody
    EXPECT_EQ(e[11], "0");
    EXPECT_EQ(e[22], "2");     // type number
    EXPECT_EQ(e[44], "3");
    EXPECT_EQ(e[46], "Cy");
    EXPECT_EQ(e[47], "77");
}

TEST(ScoresRateLimiter, LetsABurstThroughThenTheRate) {
    RateLimiter limiter(2, 3);
    auto t0 = RateLimiter::Clock::now();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limiter.allow("10.0.0.1", t0)) << i;
    EXPECT_FALSE(limiter.allow("10.0.0.1", t0));
    EXPECT_TRUE(limiter.allow("10.0.0.2", t0)); // another address has its own bucket
    EXPECT_TRUE(limiter.allow("10.0.0.1", t0 + std::chrono::milliseconds(500)));
    EXPECT_FALSE(limiter.allow("10.0.0.1", t0 + std::chrono::milliseconds(600)));
    EXPECT_TRUE(RateLimiter(0, 1).allow("x", t0)); // rate 0: no limit

    // A crowd of addresses fills the table; a newcomer still gets its burst.
    RateLimiter small(1, 1, 16);
    for (int i = 0; i < 100; ++i) small.allow("crowd" + std::to_string(i), t0);
    EXPECT_TRUE(small.allow("newcomer", t0));
}

} // namespace
