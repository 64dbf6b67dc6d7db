// The server's decoding against the game's own scrambling: the framework's rt_quzo_Scramble
// and the server's decoder side by side, on every character and on payloads as the game
// builds them.
#include "framework/leaderboard.h"
#include "server/codec.h"
#include "server/games.h"
#include "server/payload.h"
#include "tests/framework/framework_support.h"

#include <climits>
#include <string>

namespace {

using namespace hexwend::server;
using hexwend::testing::FrameworkTest;

class ScoresCodecTest : public FrameworkTest {
  protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        // What the game sets at creation.
        rt_quzo_SetGameNumber(506);
        rt_quzo_SetKeyword(String("Rocks drop in rows. Guard each one"));
    }

    static std::string clientScramble(const std::string& text) { return rt_quzo_Scramble(String(text.c_str())).ToUtf8(); }
};

TEST_F(ScoresCodecTest, TheServerTableIsTheGameTable) {
    const GameInfo* game = findGame(506);
    ASSERT_NE(game, nullptr);
    for (int i = 0; i < kKeyTableSize; ++i) EXPECT_EQ(game->table[size_t(i)], rt_quzo_QUZO_Scramble[i]) << i;
}

TEST_F(ScoresCodecTest, UnscramblingUndoesTheGameForEveryCharacterAtEveryPosition) {
    const KeyTable& table = findGame(506)->table;
    // Two turns of the 64-entry table, so that the running sum wraps at every position.
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        for (int position = 0; position < 2 * kKeyTableSize; ++position) {
            std::string text(size_t(position + 1), 'Q');
            text[size_t(position)] = char(c);
            std::string sent = clientScramble(text);
            ASSERT_EQ(scramble(text, table), sent) << "character " << c << " at " << position;
            std::optional<std::string> back = unscramble(sent, table);
            ASSERT_TRUE(back.has_value());
            ASSERT_EQ(*back, text) << "character " << c << " at " << position;
        }
    }
}

TEST_F(ScoresCodecTest, EveryPayloadTheGameCanBuildDecodesBack) {
    // Names cover all 92 characters the scrambling carries, "{" among them, in 13-character
    // slices; identities, scores and extra values take their extremes.
    std::string alphabet;
    for (int c = kFirstChar; c <= kLastChar; ++c) alphabet += char(c);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < alphabet.size(); i += 5)
        names.push_back((alphabet + alphabet).substr(i, kNameLength));
    names.push_back("{{{{{{{{{{{{{");
    names.push_back("*!A!*  *!U!* ");
    const std::string identities[] = {"00000000000000000", "20261211123456789", "99999999999999999"};
    const std::int64_t bests[] = {0, 1, 4075, kMaxScore};
    const std::int64_t extras[] = {0, -1, INT_MIN, INT_MAX};

    int checked = 0;
    for (std::size_t n = 0; n < names.size(); ++n) {
        Submission s;
        s.identity = identities[n % 3];
        s.name = names[n];
        s.game = 506;
        s.version = 1;
        s.mode = 0;
        for (int t = 1; t <= 3; ++t) s.scores.push_back({t, bests[(n + size_t(t)) % 4], extras[(n + size_t(t)) % 4]});
        std::string query = "Game=0506&Score=" + escapeMarkers(clientScramble(buildPayload(s)));
        ParseResult decoded = decodeScoreQuery(query);
        ASSERT_TRUE(std::holds_alternative<Submission>(decoded))
            << "name '" << s.name << "': " << std::get<ParseError>(decoded).reason;
        const Submission& d = std::get<Submission>(decoded);
        EXPECT_EQ(d.identity, s.identity);
        EXPECT_EQ(d.name, s.name);
        ASSERT_EQ(d.scores.size(), 3u);
        for (std::size_t t = 0; t < 3; ++t) {
            EXPECT_EQ(d.scores[t].best, s.scores[t].best);
            EXPECT_EQ(d.scores[t].extra, s.scores[t].extra);
        }
        ++checked;
    }
    EXPECT_EQ(checked, int(names.size()));
}

TEST_F(ScoresCodecTest, AMarkerThatTheScramblingItselfProducedIsReadLiterally) {
    // Choose the name so that its scrambled form is "ab*!A!*cdefgh": the client sends "*!A!*"
    // unchanged, and reading it as a marker breaks the payload.
    const KeyTable& table = findGame(506)->table;
    Submission s;
    s.identity = "20261211000000042";
    s.name = "Marker Player";
    s.game = 506;
    s.version = 1;
    s.scores = {{1, 500, 0}, {2, 0, 0}, {3, 0, 0}};
    std::string scrambled = scramble(buildPayload(s), table);
    scrambled.replace(kIdentityLength + 1, kNameLength, "ab*!A!*cdefgh");
    std::string payload = *unscramble(scrambled, table);
    s.name = payload.substr(kIdentityLength + 1, kNameLength);
    ASSERT_EQ(buildPayload(s), payload);

    std::string sent = escapeMarkers(clientScramble(payload));
    ASSERT_NE(sent.find("ab*!A!*cdefgh"), std::string::npos);
    ASSERT_FALSE(std::holds_alternative<Submission>(
        parsePayload(*unscramble(unescapeMarkers(sent), table), *findGame(506))));
    ParseResult decoded = decodeScoreQuery("Game=0506&Score=" + sent);
    ASSERT_TRUE(std::holds_alternative<Submission>(decoded)) << std::get<ParseError>(decoded).reason;
    EXPECT_EQ(std::get<Submission>(decoded).identity, s.identity);
    EXPECT_EQ(std::get<Submission>(decoded).name, s.name);
    EXPECT_EQ(std::get<Submission>(decoded).scores[0].best, 500);
}

} // namespace
