// Data paths, whole-file reads, the state file and the date.
#include "platform/files.h"
#include "tests/host/recording_delegate.h"
#include "tests/support/headless_game.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>

namespace hexwend::testing {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string utf8(const String& s) {
    return s.ToUtf8();
}

TEST(FixDataPathTest, PlainNamesBecomeDataPaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"x.png", "vorpix://data/x.png"},
        {"gfx/hex.png", "vorpix://data/gfx/hex.png"},
        {"C:/x.png", "C:/x.png"},
        {"vorpix://data/x.png", "vorpix://data/x.png"},
        {"./x.png", "./x.png"},
        {"/x.png", "/x.png"},
        // A colon that is not right before the first slash is part of a name.
        {"a/b:/c.png", "vorpix://data/a/b:/c.png"},
        {"", "vorpix://data/"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(utf8(rt_data_FixDataPath(String(path))), expected) << path;
    }
}

TEST(PathToFilePathTest, MapsTheVorpixFoldersBesideTheExecutable) {
    startBareRuntime();
    RtGlfwGame game(host::glfwWindowSystem());
    std::string dir = platform::executableFolder();
    ASSERT_FALSE(dir.empty());
    const std::pair<std::string, std::string> cases[] = {
        {"vorpix://data/gfx/a.png", dir + "/data/gfx/a.png"},
        {"vorpix://internal/a.txt", dir + "/internal/a.txt"},
        {"vorpix://external/a.txt", dir + "/external/a.txt"},
        {"vorpix://temp/a.txt", ""},
        {"vorpix:data/a.txt", ""},
        {"./.vorpixstate", "./.vorpixstate"},
        {"relative/a.txt", "relative/a.txt"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(utf8(game.PathToFilePath(String(path.c_str()))), expected) << path;
    }
    EXPECT_EQ(game.OpenFile(String("vorpix://temp/a.txt"), String("rb")), nullptr);
}

class HostFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { startBareRuntime(); }

    TempFolder folder;
    InWorkingFolder inFolder{folder.path()};
    HeadlessGame game;
};

TEST_F(HostFilesTest, LoadDataReadsWholeFilesOfAnySize) {
    for (int size : {0, 1, 4095, 4096, 4097, 3 * 4096 + 5}) {
        std::string bytes(size_t(size), '\0');
        for (int i = 0; i < size; ++i) bytes[size_t(i)] = char(i * 7 + 3);
        writeFile("blob.bin", bytes);
        int got = -1;
        unsigned char* data = game.LoadData(String("blob.bin"), &got);
        ASSERT_NE(data, nullptr) << size;
        EXPECT_EQ(got, size);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size_t(got)), bytes);
        std::free(data);
    }
    int untouched = 42;
    EXPECT_EQ(game.LoadData(String("missing.bin"), &untouched), nullptr);
    EXPECT_EQ(untouched, 42);
}

TEST_F(HostFilesTest, LoadStringDecodesTextAndMissingFilesAreEmpty) {
    writeFile("t.txt", "caf\xC3\xA9");
    EXPECT_EQ(game.LoadString(String("t.txt")), String(u"caf\u00e9"));
    EXPECT_EQ(game.LoadString(String("none.txt")).Length(), 0);
}

TEST_F(HostFilesTest, StateTextIsStoredAsUtf8AndReadBackUnchanged) {
    const char16_t accented[] = u"\u00e9";
    EXPECT_EQ(game.SaveState(String(accented)), 0);
    EXPECT_EQ(readFile(".vorpixstate"), "\xC3\xA9");

    // Every width of encoding, and surrogate halves each stored on their own.
    const char16_t text[] = {'A', 0x7F, 0x80, 0x7FF, 0x800, 0xE9, 0xFFFF, 0xD83D, 0xDE00, 0};
    ASSERT_EQ(game.SaveState(String(text)), 0);
    EXPECT_EQ(readFile(".vorpixstate"), "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xC3\xA9\xEF\xBF\xBF"
                                        "\xED\xA0\xBD\xED\xB8\x80");
    EXPECT_EQ(game.LoadState(), String(text));
}

TEST_F(HostFilesTest, TheEmptyStateIsAnEmptyFile) {
    ASSERT_EQ(game.SaveState(String("old")), 0);
    ASSERT_EQ(game.SaveState(String()), 0);
    EXPECT_TRUE(std::filesystem::exists(".vorpixstate"));
    EXPECT_EQ(std::filesystem::file_size(".vorpixstate"), 0u);
    EXPECT_EQ(game.LoadState().Length(), 0);
}

TEST_F(HostFilesTest, NoStateFileReadsAsEmpty) {
    EXPECT_EQ(game.LoadState().Length(), 0);
}

TEST_F(HostFilesTest, SavingLeavesNoTemporaryFilesBehind) {
    for (int i = 0; i < 5; ++i) ASSERT_EQ(game.SaveState(String("round ") + String(i)), 0);
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(game.LoadState(), String("round 4"));
}

TEST_F(HostFilesTest, EachWorkingFolderHasItsOwnStateFile) {
    ASSERT_EQ(game.SaveState(String("first")), 0);
    TempFolder other;
    {
        InWorkingFolder inOther(other.path());
        EXPECT_EQ(game.LoadState().Length(), 0);
        ASSERT_EQ(game.SaveState(String("second")), 0);
    }
    EXPECT_EQ(game.LoadState(), String("first"));
    EXPECT_EQ(readFile(other / ".vorpixstate"), "second");
}

TEST_F(HostFilesTest, DamagedStateFilesLoadWithoutHarm) {
    std::mt19937 random(7);
    std::string noise(5000, '\0');
    for (char& c : noise) c = char(random());
    const std::string contents[] = {
        noise,
        "\xFF\xFE\x41",          // a UTF-16 mark with half a character
        "ok \xC3",               // cut inside a character
        "\xE0\x80\x80\xC0\xAF",  // overlong forms
        "\xF0\x9F\x98\x80 four", // four-byte forms
        std::string(1, '\0'),
        "",
    };
    for (const std::string& bytes : contents) {
        writeFile(".vorpixstate", bytes);
        String text = game.LoadState();
        EXPECT_LE(text.Length(), int(bytes.size()));
    }
    writeFile(".vorpixstate", "");
    EXPECT_EQ(game.LoadState().Length(), 0);
}

TEST_F(HostFilesTest, AFolderNamedLikeTheStateFileIsNoState) {
    std::filesystem::create_directory(".vorpixstate");
    EXPECT_EQ(game.LoadState().Length(), 0);
    EXPECT_EQ(game.SaveState(String("x")), -1);
    EXPECT_TRUE(std::filesystem::is_directory(".vorpixstate"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

TEST_F(HostFilesTest, AWorkingFolderThatCannotTakeFilesFailsWithMinusOne) {
    std::string gone = folder / "gone";
    std::filesystem::create_directory(gone);
    InWorkingFolder inGone(gone);
    std::filesystem::remove(gone);
    EXPECT_EQ(game.SaveState(String("x")), -1);
}

// A save in a child process whose file size limit is `limit` bytes. With the signal of the
// limit ignored the write fails like one on a full disk; with it left alone the kernel kills
// the child in the middle of the write. Returns the child's wait status.
int saveInLimitedChild(HeadlessGame& game, const String& text, rlim_t limit, bool ignoreSignal,
                       int* result) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (ignoreSignal) std::signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        int r = game.SaveState(text);
        ssize_t ignored = ::write(pipeFds[1], &r, sizeof r);
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    *result = 99;
    ssize_t got = ::read(pipeFds[0], result, sizeof *result);
    if (got != sizeof *result) *result = 99;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST_F(HostFilesTest, AWriteThatRunsOutOfSpaceKeepsTheOldRecord) {
    String old(u"old record \u00e9 with enough text to matter");
    ASSERT_EQ(game.SaveState(old), 0);
    std::string before = readFile(".vorpixstate");

    String big = String(std::string(100000, 'n').c_str());
    int result = 0;
    int status = saveInLimitedChild(game, big, 4096, true, &result);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(result, -2);
    EXPECT_EQ(readFile(".vorpixstate"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
    EXPECT_EQ(game.LoadState(), old);
}

TEST_F(HostFilesTest, AProcessKilledDuringTheWriteLeavesTheOldRecordIntact) {
    String old(u"old record \u00e9");
    ASSERT_EQ(game.SaveState(old), 0);
    std::string before = readFile(".vorpixstate");

    String big = String(std::string(100000, 'n').c_str());
    int result = 0;
    int status = saveInLimitedChild(game, big, 4096, false, &result);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(readFile(".vorpixstate"), before);
    EXPECT_EQ(game.LoadState(), old);
}

TEST(GetDateTest, FillsAsManyFieldsAsTheArrayHolds) {
    startBareRuntime();
    HeadlessGame game;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);

    Array<int> three(3);
    game.GetDate(three);
    EXPECT_EQ(three[0], local.tm_year + 1900);
    EXPECT_EQ(three[1], local.tm_mon + 1);
    EXPECT_EQ(three[2], local.tm_mday);

    Array<int> nine(9);
    nine[7] = 77;
    nine[8] = 88;
    game.GetDate(nine);
    EXPECT_GE(nine[3], 0);
    EXPECT_LE(nine[3], 23);
    EXPECT_LE(nine[5], 60);
    EXPECT_EQ(nine[6], 0);
    EXPECT_EQ(nine[7], 77);
    EXPECT_EQ(nine[8], 88);

    Array<int> none;
    game.GetDate(none); // nothing to fill, nothing happens
}

} // namespace
} // namespace hexwend::testing
