#include "platform/url.h"

#include "platform/files.h"
#include "platform/socket.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using hexwend::platform::openUrl;
using hexwend::testing::TempFolder;
using Clock = std::chrono::steady_clock;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// Waits up to `limit` for `done` to become true.
template <typename Condition> bool waitFor(Condition done, std::chrono::milliseconds limit) {
    auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

struct Child {
    int pid;
    char state;
};

// The processes whose parent is this one, from /proc.
std::vector<Child> children() {
    std::vector<Child> found;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return found;
    const int self = static_cast<int>(::getpid());
    while (dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        std::string stat = readFile(std::string("/proc/") + entry->d_name + "/stat");
        // pid (comm) state ppid ...; comm may hold spaces and parentheses, so parse after the
        // last ')'.
        std::size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        int parent = 0;
        if (rest >> state >> parent && parent == self) {
            found.push_back(Child{std::atoi(entry->d_name), state});
        }
    }
    ::closedir(proc);
    return found;
}

// A fake `xdg-open` first on PATH, in a fresh folder. It waits for a "go" file, so a caller
// that waited for it to finish would be caught; then it records its arguments NUL-separated
// (count first), what it read from standard input, and what its open descriptors are.
class PlatformUrl : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.ok());
        const std::string script = dir / "xdg-open";
        std::ofstream out(script);
        out << "#!/bin/sh\n"
               "dir='"
            << dir.path()
            << "'\n"
               "i=0\n"
               "while [ ! -e \"$dir/go\" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n"
               "for f in /proc/$$/fd/*; do readlink \"$f\"; done > \"$dir/fds\"\n"
               "cat > \"$dir/stdin\"\n"
               "printf '%s\\0' \"$#\" \"$@\" > \"$dir/args.part\"\n"
               "mv \"$dir/args.part\" \"$dir/args\"\n";
        out.close();
        ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
        if (const char* path = std::getenv("PATH")) savedPath = path;
        ::setenv("PATH", (dir.path() + ":/usr/bin:/bin").c_str(), 1);
    }
    void TearDown() override { ::setenv("PATH", savedPath.c_str(), 1); }

    TempFolder dir;
    std::string savedPath;
};

TEST_F(PlatformUrl, OpenerGetsTheUrlVerbatimWithoutAShellOrWaiting) {
    const std::string url = "https://scores.invalid/a b;touch '" + dir.path() + "/pwned';$(touch " +
                            dir.path() + "/pwned2) `id` & | > < \"q\" *";

    // Offer the opener something to read on standard input: it must get /dev/null instead.
    int input[2];
    ASSERT_EQ(::pipe(input), 0);
    ASSERT_EQ(::write(input[1], "secret\n", 7), 7);
    ::close(input[1]);
    const int savedStdin = ::dup(STDIN_FILENO);
    ::dup2(input[0], STDIN_FILENO);
    ::close(input[0]);

    // Files and sockets of this process must not reach the opener.
    hexwend::platform::Socket socket;
    ASSERT_TRUE(socket.open(hexwend::platform::SocketKind::Stream));
    std::FILE* file = hexwend::platform::openFile(dir / "game-file", "wb");
    ASSERT_NE(file, nullptr);

    auto start = Clock::now();
    const bool started = openUrl(url);
    const auto took = Clock::now() - start;
    ::dup2(savedStdin, STDIN_FILENO);
    ::close(savedStdin);
    std::fclose(file);
    ASSERT_TRUE(started);
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_FALSE(exists(dir / "args")) << "the opener already finished: openUrl waited for it";

    std::ofstream(dir / "go").close();
    ASSERT_TRUE(waitFor([&] { return exists(dir / "args"); }, std::chrono::seconds(10)));
    EXPECT_EQ(readFile(dir / "args"), std::string("1\0", 2) + url + std::string("\0", 1));
    EXPECT_FALSE(exists(dir / "pwned"));
    EXPECT_FALSE(exists(dir / "pwned2"));
    EXPECT_EQ(readFile(dir / "stdin"), "");
    const std::string fds = readFile(dir / "fds");
    EXPECT_EQ(fds.find("socket:"), std::string::npos) << fds;
    EXPECT_EQ(fds.find("game-file"), std::string::npos) << fds;

    // Once the opener has ended it is reaped: no child of ours is left, zombie or not.
    EXPECT_TRUE(waitFor([] { return children().empty(); }, std::chrono::seconds(10)))
        << "child left in state " << (children().empty() ? '-' : children()[0].state);
}

TEST_F(PlatformUrl, RefusedUrlsStartNothing) {
    for (const std::string& url : {std::string(), std::string("-h"), std::string("--version"),
                                   std::string("https://a.invalid/\0x", 20)}) {
        EXPECT_FALSE(openUrl(url)) << url;
    }
    EXPECT_TRUE(children().empty());
}

TEST_F(PlatformUrl, MissingOpenerIsAFailure) {
    TempFolder empty;
    ASSERT_TRUE(empty.ok());
    ::setenv("PATH", empty.path().c_str(), 1);
    EXPECT_FALSE(openUrl("https://scores.invalid/"));
    EXPECT_TRUE(waitFor([] { return children().empty(); }, std::chrono::seconds(5)));
}

} // namespace
