// The web page in a real browser: headless Chromium loads it from a server holding a few
// players, one named with HTML's special characters; the test reads the DOM the browser built
// and saves screenshots at desktop and phone widths into the build tree (screenshots/).
#include "tests/server/server_support.h"
#include "tests/support/temp_folder.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace hexwend::testing;

class ScoresBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        struct Player {
            const char* id;
            const char* name;
            std::vector<std::int64_t> bests;
        } players[] = {
            {"20261211000000001", "Ann", {900, 50, 0}},
            {"20261211000000002", "<b>&", {700, 0, 0}},
            {"20261211000000003", "Quote \"me\" '", {0, 0, 1234567}},
            {"20261211000000004", "Zed", {650, 0, 0}},
        };
        for (const Player& p : players)
            ASSERT_EQ(httpGet(server.port(), scoreTarget(submission(p.id, p.name, p.bests))).status, 200);
    }

    // Chromium with no network of its own, a fresh profile, and no sandbox when run as root.
    RunResult chromium(const std::vector<std::string>& args) {
        std::vector<std::string> command = {"chromium", "--headless", "--disable-gpu", "--disable-quic",
                                            "--no-first-run", "--disable-background-networking",
                                            "--disable-component-update", "--disable-sync", "--disable-breakpad",
                                            "--hide-scrollbars", "--user-data-dir=" + (profile / "chromium")};
        if (::geteuid() == 0) command.push_back("--no-sandbox");
        command.insert(command.end(), args.begin(), args.end());
        command.push_back("http://127.0.0.1:" + std::to_string(server.port()) + "/");
        return runProgram(command, std::chrono::seconds(90));
    }

    LocalServer server;
    TempFolder profile;
};

TEST_F(ScoresBrowserTest, ThePageShowsEveryRowAndTheHostileNameLiterally) {
    RunResult dom = chromium({"--dump-dom"});
    ASSERT_EQ(dom.status, 0) << dom.err;
    const std::string& html = dom.out;
    ASSERT_NE(html.find("<h1>Hexwend</h1>"), std::string::npos) << html;
    // Every row, in order within its table; the hostile name is text, not markup.
    const char* rows[] = {
        "<td class=\"place\">1</td><td class=\"name\">Ann</td><td class=\"score\">900</td>",
        "<td class=\"place\">2</td><td class=\"name\">&lt;b&gt;&amp;</td><td class=\"score\">700</td>",
        "<td class=\"place\">3</td><td class=\"name\">Zed</td><td class=\"score\">650</td>",
        "<td class=\"place\">1</td><td class=\"name\">Ann</td><td class=\"score\">50</td>",
        "<td class=\"place\">1</td><td class=\"name\">Quote \"me\" '</td><td class=\"score\">1,234,567</td>",
    };
    std::size_t at = 0;
    for (const char* row : rows) {
        std::size_t found = html.find(row, at);
        EXPECT_NE(found, std::string::npos) << row;
        if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(html.find("<b>"), std::string::npos) << "the name became markup";
    EXPECT_NE(html.find("4 players"), std::string::npos);
    EXPECT_NE(html.find("Last new best: <time"), std::string::npos);
}

TEST_F(ScoresBrowserTest, ScreenshotsAtDesktopAndPhoneWidths) {
    std::string folder = std::string(HEXWEND_BINARY_DIR) + "/screenshots";
    std::filesystem::create_directories(folder);
    struct Shot {
        const char* file;
        const char* size;
    } shots[] = {{"scores-desktop.png", "1280,900"}, {"scores-phone.png", "390,1400"}};
    for (const Shot& shot : shots) {
        std::string path = folder + "/" + shot.file;
        std::filesystem::remove(path);
        RunResult r = chromium({"--window-size=" + std::string(shot.size), "--screenshot=" + path});
        ASSERT_EQ(r.status, 0) << r.err;
        // A PNG of the window's width: the width is the big-endian word at byte 16.
        std::ifstream png(path, std::ios::binary);
        std::string head(24, '\0');
        png.read(head.data(), 24);
        ASSERT_TRUE(png) << path;
        EXPECT_EQ(head.substr(1, 3), "PNG");
        unsigned width = (unsigned char)head[16] << 24 | (unsigned char)head[17] << 16 |
                         (unsigned char)head[18] << 8 | (unsigned char)head[19];
        EXPECT_EQ(std::to_string(width), std::string(shot.size).substr(0, std::string(shot.size).find(',')));
    }
}

} // namespace
