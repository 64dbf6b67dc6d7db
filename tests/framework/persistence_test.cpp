// Settings, identity and the state record, through the real state file: every test runs in a
// fresh working folder, where the host keeps "./.vorpixstate".
#include "framework/persistence.h"
#include "runtime/random.h"
#include "tests/framework/framework_support.h"
#include "tests/support/temp_folder.h"

#include <climits>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace hexwend::framework;
using namespace hexwend::framework::persist;
using hexwend::testing::InWorkingFolder;
using hexwend::testing::TempFolder;

constexpr int kGame = 506;
constexpr const char* kStateFile = ".vorpixstate";

// Name elements of a text: character codes minus 32, the rest spaces (0).
void setName(const std::string& text) {
    for (int i = 0; i < kNameLength; ++i) {
        rt_quzo_QUZO_Username[i] = i < int(text.size()) ? text[size_t(i)] - 32 : 0;
    }
}

std::string utf8(const String& s) {
    return s.ToUtf8();
}

int today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

class PersistenceTest : public hexwend::testing::FrameworkTest {
  protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        rt_quzo_QUZO_GameNum = kGame;
    }

    // A new run of the program: every global back at its start-up value, the game number set
    // as the game sets it.
    void restart(int gameNumber = kGame) {
        game.startRuntime<c_App>(registerModules);
        rt_quzo_QUZO_GameNum = gameNumber;
    }

    static bool stateExists() { return std::ifstream(kStateFile).good(); }

    static std::string readState() {
        std::ifstream in(kStateFile, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeState(const std::string& text) {
        std::ofstream(kStateFile, std::ios::binary) << text;
    }

    // The state file split at "|".
    static std::vector<std::string> readElements() {
        std::vector<std::string> out;
        std::string text = readState(), piece;
        size_t start = 0;
        for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1) {
            out.push_back(text.substr(start, bar - start));
        }
        out.push_back(text.substr(start));
        return out;
    }
    static void writeElements(const std::vector<std::string>& elements) {
        std::string text;
        for (size_t i = 0; i < elements.size(); ++i) text += (i ? "|" : "") + elements[i];
        writeState(text);
    }

    // A record with every group filled, saved to the state file.
    void saveFullRecord() {
        for (int i = 0; i < 256; ++i) rt_quzo_QUZO_Set[i] = i * 37 - 1000;
        rt_quzo_QUZO_Set[0] = 3;
        rt_quzo_QUZO_Set[1] = 9;
        rt_quzo_QUZO_Set[11] = 0;
        rt_quzo_QUZO_Set[12] = 0;
        rt_quzo_QUZO_Set[21] = 4;
        rt_quzo_QUZO_Set[22] = 1;
        rt_quzo_QUZO_Set[23] = 1;
        setName("Wendy Hexwright!");
        rt_quzo_QUZO_UserIDA = 20240131;
        rt_quzo_QUZO_UserIDB = 987654321;
        for (int m = 0; m < kScores; ++m) rt_quzo_QUZO_Score[m] = (m * 7919) % 100003 - 50000;
        rt_quzo_Save();
    }
    static int savedScore(int m) { return (m * 7919) % 100003 - 50000; }

    // Scores that differ from the saved full record, by block.
    static std::vector<int> changedBlocks() {
        std::vector<int> blocks;
        for (int m = 0; m < kScores; ++m) {
            if (rt_quzo_QUZO_Score[m] != savedScore(m)) {
                int b = m / kScoreBlock;
                if (blocks.empty() || blocks.back() != b) blocks.push_back(b);
            }
        }
        return blocks;
    }
    static bool blockIsZero(int b) {
        for (int m = b * kScoreBlock; m < (b + 1) * kScoreBlock; ++m) {
            if (rt_quzo_QUZO_Score[m] != 0) return false;
        }
        return true;
    }

    static void expectDefaultSettings() {
        EXPECT_EQ(rt_quzo_QUZO_Set[0], 7);
        EXPECT_EQ(rt_quzo_QUZO_Set[1], 7);
        EXPECT_EQ(rt_quzo_QUZO_Set[11], 1);
        EXPECT_EQ(rt_quzo_QUZO_Set[12], 1);
        EXPECT_EQ(rt_quzo_QUZO_Set[21], 0);
        EXPECT_EQ(rt_quzo_QUZO_Set[22], 0);
    }

    // A fresh identity of this run: today's date, a time of day and a number below 1000.
    static void expectFreshIdentity() {
        EXPECT_EQ(rt_quzo_QUZO_UserIDA, today());
        EXPECT_GE(rt_quzo_QUZO_UserIDB, 0);
        EXPECT_LE(rt_quzo_QUZO_UserIDB, 235959999);
        EXPECT_NE(rt_quzo_QUZO_UserIDB, 987654321);
    }

    TempFolder folder;
    InWorkingFolder inFolder{folder.path()};
};

// --- Fresh start and the round trip -------------------------------------------------------

TEST_F(PersistenceTest, FreshStartHasDefaultsAndANewIdentityAndWritesNothing) {
    game.advance(4321);
    rt_quzo_Load();

    expectDefaultSettings();
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Enter Name   ");
    expectFreshIdentity();
    // The identity's random part comes from the generator seeded with the clock.
    EXPECT_EQ(rt_quzo_QUZO_Seed, game.millisecs());
    for (int m = 0; m < kScores; ++m) ASSERT_EQ(rt_quzo_QUZO_Score[m], 0);
    EXPECT_FALSE(stateExists());
}

TEST_F(PersistenceTest, SaveWritesTheRecordLayout) {
    for (int i = 0; i < 256; ++i) rt_quzo_QUZO_Set[i] = 0;
    rt_quzo_QUZO_Set[0] = 1500;
    rt_quzo_QUZO_Set[1] = 10;
    setName("Bob");
    rt_quzo_QUZO_UserIDA = 20240131;
    rt_quzo_QUZO_UserIDB = 12345;
    rt_quzo_QUZO_Score[40] = 1000;
    rt_quzo_QUZO_Score[9999] = -7;
    rt_quzo_Save();

    const std::string text = readState();
    EXPECT_EQ(text.rfind("QUZO_v2.0|1500|10|0|0|0|0|506|", 0), 0u) << text.substr(0, 40);
    EXPECT_EQ(text.back(), '|');

    std::vector<std::string> e = readElements();
    ASSERT_EQ(e.size(), size_t(kRecordElements + 1));
    EXPECT_EQ(e.back(), "");
    // Check numbers for game 506: settings and identity modulo 1506, score blocks modulo 12875.
    EXPECT_EQ(e[kSettingsCheckElement], "510");
    EXPECT_EQ(e[kFirstNameElement], "34");
    EXPECT_EQ(e[kUserIdAElement], "20240131");
    EXPECT_EQ(e[kUserIdBElement], "12345");
    EXPECT_EQ(e[kIdentityCheckElement], "1473");
    EXPECT_EQ(e[scoreElement(31) + 1], "3845");
    EXPECT_EQ(e[scoreElement(40)], "1000");
    EXPECT_EQ(e[scoreElement(63) + 1], "5869");
    EXPECT_EQ(e[scoreElement(9999)], "-7");
    EXPECT_EQ(scoreElement(9999), kRecordElements - 1);
}

TEST_F(PersistenceTest, RoundTripThroughTheStateFileKeepsEveryPersistedValue) {
    saveFullRecord();
    ASSERT_TRUE(stateExists());

    restart();
    rt_quzo_Load();

    for (int i = 0; i < kSettings; ++i) {
        int expected = i * 37 - 1000;
        if (i == 0) expected = 3;
        if (i == 1) expected = 9;
        if (i == 6) expected = kGame;
        if (i == 11 || i == 12) expected = 0;
        if (i == 21 || i == 23) expected = 0; // these do not carry over into a new run
        if (i == 22) expected = 1;
        EXPECT_EQ(rt_quzo_QUZO_Set[i], expected) << "setting " << i;
    }
    // Settings beyond the persisted ones are not in the record.
    EXPECT_EQ(rt_quzo_QUZO_Set[201], 0);
    EXPECT_EQ(rt_quzo_QUZO_DebugMode, 1);
    EXPECT_EQ(rt_quzo_QUZO_ScreenshotMode, 0);

    EXPECT_EQ(utf8(rt_quzo_MyName()), "Wendy Hexwrig");
    EXPECT_EQ(rt_quzo_QUZO_Username[13], 'h' - 32);
    EXPECT_EQ(rt_quzo_QUZO_Username[15], '!' - 32);
    EXPECT_EQ(rt_quzo_QUZO_UserIDA, 20240131);
    EXPECT_EQ(rt_quzo_QUZO_UserIDB, 987654321);
    EXPECT_TRUE(changedBlocks().empty());
}

TEST_F(PersistenceTest, SavingAfterALoadWritesTheSameRecord) {
    saveFullRecord();
    restart();
    rt_quzo_Load();
    rt_quzo_Save();
    const std::string first = readState();

    restart();
    rt_quzo_Load();
    rt_quzo_Save();
    EXPECT_EQ(readState(), first);
}

// --- Each check failing throws away its own group -------------------------------------------

TEST_F(PersistenceTest, SettingsCheckOffByOneLaysTheDefaultsOverTheLoadedSettings) {
    saveFullRecord();
    std::vector<std::string> e = readElements();
    e[kSettingsCheckElement] = std::to_string(std::stoi(e[kSettingsCheckElement]) + 1);
    writeElements(e);

    restart();
    rt_quzo_Load();

    expectDefaultSettings();
    EXPECT_EQ(rt_quzo_QUZO_DebugMode, 0);
    // The settings the defaults do not cover stay as loaded, and the other groups load.
    EXPECT_EQ(rt_quzo_QUZO_Set[2], 2 * 37 - 1000);
    EXPECT_EQ(rt_quzo_QUZO_Set[5], 5 * 37 - 1000);
    EXPECT_EQ(rt_quzo_QUZO_Set[200], 200 * 37 - 1000);
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Wendy Hexwrig");
    EXPECT_EQ(rt_quzo_QUZO_UserIDB, 987654321);
    EXPECT_TRUE(changedBlocks().empty());
}

TEST_F(PersistenceTest, IdentityCheckFailingMakesAFreshIdentityAndDropsTheName) {
    saveFullRecord();
    std::vector<std::string> e = readElements();
    e[kUserIdBElement] = "987654320";
    writeElements(e);

    restart();
    rt_quzo_Load();

    expectFreshIdentity();
    // The whole name went with the failed group: none of it is shown or sent.
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Enter Name   ");
    for (int i = 4; i < kNameLength; ++i) EXPECT_EQ(rt_quzo_QUZO_Username[i], 0) << i;
    // The other groups load.
    EXPECT_EQ(rt_quzo_QUZO_Set[0], 3);
    EXPECT_EQ(rt_quzo_QUZO_Set[2], 2 * 37 - 1000);
    EXPECT_TRUE(changedBlocks().empty());
}

TEST_F(PersistenceTest, AChangedScoreClearsExactlyItsBlock) {
    saveFullRecord();
    const std::vector<std::string> saved = readElements();

    struct Case {
        int score;        // the score changed in the text
        int clearedBlock; // the block that becomes 0, -1 when the change goes unnoticed
    };
    const Case cases[] = {{0, 0},      {31, 0},    {40, 1},   {5000, 156},
                          {9983, 311}, {9984, -1}, {9999, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        std::vector<std::string> e = saved;
        e[size_t(scoreElement(c.score))] = std::to_string(savedScore(c.score) + 1);
        writeElements(e);

        restart();
        rt_quzo_Load();

        if (c.clearedBlock >= 0) {
            EXPECT_EQ(changedBlocks(), std::vector<int>{c.clearedBlock});
            EXPECT_TRUE(blockIsZero(c.clearedBlock));
        } else {
            // The last 16 scores have no check: the changed value is taken as it is.
            EXPECT_EQ(rt_quzo_QUZO_Score[c.score], savedScore(c.score) + 1);
            EXPECT_EQ(changedBlocks(), std::vector<int>{c.score / kScoreBlock});
        }
        // Settings and identity are untouched by a score block.
        EXPECT_EQ(rt_quzo_QUZO_Set[0], 3);
        EXPECT_EQ(rt_quzo_QUZO_UserIDB, 987654321);
    }
}

TEST_F(PersistenceTest, AChangedBlockCheckClearsItsBlockOnly) {
    saveFullRecord();
    std::vector<std::string> e = readElements();
    const size_t check = size_t(scoreElement(7 * kScoreBlock + 31) + 1);
    e[check] = std::to_string(std::stoi(e[check]) + 1);
    writeElements(e);

    restart();
    rt_quzo_Load();
    EXPECT_EQ(changedBlocks(), std::vector<int>{7});
}

TEST_F(PersistenceTest, ARecordOfAnotherGameLoadsNoNameIdentityOrScores) {
    rt_quzo_QUZO_GameNum = 507;
    saveFullRecord();

    restart(kGame);
    rt_quzo_Load();

    expectDefaultSettings();
    // Its other settings stay under the defaults, except the screenshot switch, which never
    // carries over into a new run.
    EXPECT_EQ(rt_quzo_QUZO_Set[2], 2 * 37 - 1000);
    EXPECT_EQ(rt_quzo_QUZO_Set[23], 0);
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Enter Name   ");
    expectFreshIdentity();
    for (int m = 0; m < kScores; ++m) ASSERT_EQ(rt_quzo_QUZO_Score[m], 0) << m;
}

TEST_F(PersistenceTest, AnotherHeaderLoadsNothing) {
    saveFullRecord();
    std::vector<std::string> e = readElements();
    e[0] = "QUZO_v1.0";
    writeElements(e);

    restart();
    rt_quzo_Load();
    expectDefaultSettings();
    EXPECT_EQ(rt_quzo_QUZO_Set[2], 0);
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Enter Name   ");
    EXPECT_EQ(rt_quzo_QUZO_Score[0], 0);
}

// --- Bad input ----------------------------------------------------------------------------

TEST_F(PersistenceTest, ARecordCutShortLoadsWhatIsThere) {
    saveFullRecord();
    const std::vector<std::string> saved = readElements();

    // Cut inside the scores: the blocks before the cut load with their checks, the scores of
    // the last, unchecked part load as they are, and the missing ones keep their values.
    const int lastScore = 100; // block 3 is cut after its 5th score, before its check
    std::vector<std::string> e(saved.begin(), saved.begin() + scoreElement(lastScore) + 1);
    writeElements(e);
    restart();
    rt_quzo_QUZO_Score[101] = 77;
    rt_quzo_Load();
    for (int m = 0; m <= lastScore; ++m) ASSERT_EQ(rt_quzo_QUZO_Score[m], savedScore(m)) << m;
    EXPECT_EQ(rt_quzo_QUZO_Score[101], 77);
    EXPECT_EQ(rt_quzo_QUZO_Score[102], 0);
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Wendy Hexwrig");

    // Cut before the identity check: name and identity load unchecked.
    e.assign(saved.begin(), saved.begin() + kIdentityCheckElement);
    writeElements(e);
    restart();
    rt_quzo_Load();
    EXPECT_EQ(rt_quzo_QUZO_UserIDA, 20240131);
    EXPECT_EQ(rt_quzo_QUZO_UserIDB, 987654321);
    EXPECT_EQ(rt_quzo_QUZO_Set[0], 3);

    // Cut inside the settings, before the game number: the record counts as another game's.
    e.assign(saved.begin(), saved.begin() + 5);
    writeElements(e);
    restart();
    rt_quzo_Load();
    expectDefaultSettings();
    EXPECT_EQ(rt_quzo_QUZO_Set[2], 2 * 37 - 1000);
    expectFreshIdentity();
}

TEST_F(PersistenceTest, TextThatIsNotANumberReadsAsZero) {
    saveFullRecord();
    const std::vector<std::string> saved = readElements();

    // Garbage in place of a setting fails the settings check.
    std::vector<std::string> e = saved;
    e[3] = "three";
    writeElements(e);
    restart();
    rt_quzo_Load();
    expectDefaultSettings();
    EXPECT_EQ(rt_quzo_QUZO_Set[2], 0);

    // Garbage between two bars inserts an element: every score behind it moves one place,
    // so every checked block fails and the unchecked last scores take their neighbours'
    // values; the groups before it load.
    e = saved;
    e.insert(e.begin() + scoreElement(10), "x");
    writeElements(e);
    restart();
    rt_quzo_Load();
    EXPECT_EQ(rt_quzo_QUZO_Set[0], 3);
    EXPECT_EQ(rt_quzo_QUZO_UserIDB, 987654321);
    for (int b = 0; b < kScores / kScoreBlock; ++b) ASSERT_TRUE(blockIsZero(b)) << b;
    EXPECT_EQ(rt_quzo_QUZO_Score[9999], savedScore(9998));

    // A number followed by garbage reads as the number.
    e = saved;
    e[size_t(scoreElement(9999))] = std::to_string(savedScore(9999)) + "abc";
    writeElements(e);
    restart();
    rt_quzo_Load();
    EXPECT_TRUE(changedBlocks().empty());
}

TEST_F(PersistenceTest, NumbersOutOfRangeLoadWithoutHarm) {
    // A record whose checks are right but whose values are not: no overscan off the console,
    // an identity of date 0 (made afresh, added to the loaded time), extreme name codes.
    for (int i = 0; i < 256; ++i) rt_quzo_QUZO_Set[i] = 0;
    rt_quzo_QUZO_Set[5] = INT_MAX;
    rt_quzo_QUZO_Set[21] = -40;
    rt_quzo_QUZO_Username[0] = INT_MAX;
    rt_quzo_QUZO_Username[1] = INT_MIN;
    rt_quzo_QUZO_Username[12] = -32;
    rt_quzo_QUZO_UserIDA = 0;
    rt_quzo_QUZO_UserIDB = INT_MAX;
    rt_quzo_QUZO_Score[0] = INT_MIN;
    rt_quzo_QUZO_Score[1] = INT_MAX;
    rt_quzo_Save();

    restart();
    rt_quzo_Load();
    EXPECT_EQ(rt_quzo_QUZO_Set[5], INT_MAX);
    EXPECT_EQ(rt_quzo_QUZO_Set[21], 0);
    EXPECT_EQ(rt_quzo_QUZO_UserIDA, today());
    EXPECT_EQ(rt_quzo_MyName().Length(), 13);
    EXPECT_EQ(rt_quzo_MyUserID().Length(), 17);
    EXPECT_EQ(rt_quzo_QUZO_Score[0], INT_MIN);
    EXPECT_EQ(rt_quzo_QUZO_Score[1], INT_MAX);

    // Numbers too long for an int, and a minus sign alone, only fail their checks.
    std::vector<std::string> e = readElements();
    e[size_t(scoreElement(2))] = "99999999999999999999999";
    e[kUserIdBElement] = "-";
    writeElements(e);
    restart();
    rt_quzo_Load();
    EXPECT_TRUE(blockIsZero(0));
    EXPECT_EQ(rt_quzo_QUZO_UserIDA, today());
}

TEST_F(PersistenceTest, AHugeRecordLoadsItsFirstElementsOnly) {
    saveFullRecord();
    std::string text = readState();
    text.reserve(text.size() + 8'000'000);
    for (int i = 0; i < 2'000'000; ++i) text += "123|";
    text += std::string(1'000'000, '9');
    writeState(text);

    restart();
    rt_quzo_Load();
    EXPECT_EQ(rt_quzo_QUZO_Set[0], 3);
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Wendy Hexwrig");
    EXPECT_TRUE(changedBlocks().empty());
}

TEST_F(PersistenceTest, BytesThatAreNotTextLoadNothing) {
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes.push_back(char((i * 131 + 7) & 0xff));
    writeState(bytes);
    rt_quzo_Load();
    expectDefaultSettings();
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Enter Name   ");
}

// --- Name, identity, defaults and seeding -------------------------------------------------

TEST_F(PersistenceTest, DisplayName) {
    struct Case {
        std::string name;
        std::string shown;
    };
    const Case cases[] = {
        {"Bob", "Bob          "},           {"", "             "},
        {"Name", "Enter Name   "},          {"Names", "Names        "},
        {"Thirteen Char", "Thirteen Char"}, {"Fourteen Chars", "Fourteen Char"},
    };
    for (const Case& c : cases) {
        setName(c.name);
        EXPECT_EQ(utf8(rt_quzo_MyName()), c.shown) << c.name;
    }
}

TEST_F(PersistenceTest, UserIdIsSeventeenDigits) {
    struct Case {
        int a, b;
        std::string id;
    };
    const Case cases[] = {
        {20240131, 12345, "20240131000012345"},
        {0, 0, "00000000000000000"},
        {20260704, 235959999, "20260704235959999"},
        {123456789, 1234567890, "23456789234567890"},
    };
    for (const Case& c : cases) {
        rt_quzo_QUZO_UserIDA = c.a;
        rt_quzo_QUZO_UserIDB = c.b;
        EXPECT_EQ(utf8(rt_quzo_MyUserID()), c.id);
    }
}

TEST_F(PersistenceTest, NewUserAddsTheTimeToTheSecondHalfAndWritesName) {
    setName("Alexandra");
    rt_quzo_QUZO_UserIDB = 1'000'000'000;
    rt_quzo_NewUser();
    EXPECT_EQ(rt_quzo_QUZO_UserIDA, today());
    EXPECT_GE(rt_quzo_QUZO_UserIDB, 1'000'000'000);
    EXPECT_LE(rt_quzo_QUZO_UserIDB, 1'235'959'999);
    // Only the first four characters are written.
    EXPECT_EQ(utf8(rt_quzo_MyName()), "Nameandra    ");
}

TEST_F(PersistenceTest, SetDefaultsTouchesOnlyItsSettings) {
    for (int i = 0; i < 256; ++i) rt_quzo_QUZO_Set[i] = 99;
    rt_quzo_SetDefaults();
    for (int i = 0; i < 256; ++i) {
        if (i == 0 || i == 1 || i == 11 || i == 12 || i == 21 || i == 22) continue;
        EXPECT_EQ(rt_quzo_QUZO_Set[i], 99) << i;
    }
    expectDefaultSettings();

    rt_quzo_isOuya = 1;
    rt_quzo_SetDefaults();
    EXPECT_EQ(rt_quzo_QUZO_Set[11], 0);
    EXPECT_EQ(rt_quzo_QUZO_Set[12], 0);
    EXPECT_EQ(rt_quzo_QUZO_Set[21], 5);
}

TEST_F(PersistenceTest, ConsoleKeepsItsOverscanOnLoading) {
    rt_quzo_isOuya = 1;
    rt_quzo_QUZO_Set[21] = 8;
    rt_quzo_Save();
    restart();
    rt_quzo_isOuya = 1;
    rt_quzo_Load();
    EXPECT_EQ(rt_quzo_QUZO_Set[21], 8);
}

TEST_F(PersistenceTest, SeedRndRepeatsTheSequence) {
    auto draws = [] {
        std::vector<float> out;
        for (int i = 0; i < 5; ++i) out.push_back(rt_random_Rnd());
        return out;
    };
    rt_quzo_SeedRnd(5);
    EXPECT_EQ(rt_quzo_QUZO_Seed, 5);
    const std::vector<float> first = draws();
    rt_quzo_SeedRnd(5);
    EXPECT_EQ(draws(), first);
    rt_quzo_SeedRnd(6);
    EXPECT_NE(draws(), first);

    // 21 generator steps from the seed.
    int x = 5;
    for (int i = 0; i < 21; ++i) rt_random_Step(x);
    rt_quzo_SeedRnd(5);
    EXPECT_EQ(rt_random_Seed, x);

    // The clock stands in for the special seed.
    game.advance(777);
    rt_quzo_SeedRnd(kSeedFromClock);
    EXPECT_EQ(rt_quzo_QUZO_Seed, game.millisecs());
}

} // namespace
