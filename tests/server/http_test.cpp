// The server over real HTTP on loopback: the game's endpoint as the game calls it, refusals,
// the rate limit, the health check, the web page and the JSON API.
#include "server/render.h"
#include "tests/server/server_support.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace hexwend::server;
using namespace hexwend::testing;

const std::string kAnn = "20261211000000001";
const std::string kBob = "20261211000000002";


TEST(ScoresEndpoint, AnswersTheGamesRequestWithTheTablesAndClosesTheConnection) {
    LocalServer server;
    Submission ann = submission(kAnn, "Ann", {4075, 0, 120});
    // The bytes the game's HTTP client writes: a target with two slashes, HTTP/1.0, a Host line
    // without a port and nothing else; it reads until the server closes.
    HttpAnswer a = sendRaw(server.port(), "GET " + scoreTarget(ann) + " HTTP/1.0\r\nHost: localhost\r\n\r\n");
    ASSERT_EQ(a.status, 200) << a.body;
    EXPECT_EQ(a.headers["content-type"], "text/plain; charset=utf-8");
    std::vector<std::string> e = replyElements(a.body);
    ASSERT_GE(e.size(), 64u);
    EXPECT_EQ(e[0], "OnlineScores");
    EXPECT_EQ(e[2], "Ann");
    EXPECT_EQ(e[3], "4075");
    EXPECT_EQ(e[6], "");     // nobody second
    EXPECT_EQ(e[7], "0");
    EXPECT_EQ(e[24], "");    // nobody in type 2
    EXPECT_EQ(e[46], "Ann");
    EXPECT_EQ(e[47], "120");

    // One slash reaches it too; a second player with "{" in the name shows it as "(".
    Submission bob = submission(kBob, "{Bob{", {5000, 0, 0});
    a = httpGet(server.port(), scoreTarget(bob).substr(1));
    ASSERT_EQ(a.status, 200);
    e = replyElements(a.body);
    EXPECT_EQ(e[2], "(Bob(");
    EXPECT_EQ(e[3], "5000");
    EXPECT_EQ(e[6], "Ann");
    EXPECT_EQ(e[1], "2"); // players of type 1
}

TEST(ScoresEndpoint, RefusesBadRequestsWithAOneLineReasonAndStoresNothing) {
    LocalServer server;
    std::string good = scoreTarget(submission(kAnn, "Ann", {10}));
    const std::string cases[] = {
        "/Scores.php",
        "/Scores.php?Game=0506",
        "/Scores.php?Game=0507&Score=abc",
        "/Scores.php?Game=0506&Score=" + std::string(40, 'x'),
        good.substr(0, good.size() - 6), // cut short
        good + "Z",
    };
    for (const std::string& target : cases) {
        HttpAnswer a = httpGet(server.port(), target);
        EXPECT_EQ(a.status, 400) << target;
        EXPECT_TRUE(a.body.starts_with("Bad request: ")) << a.body;
        EXPECT_EQ(a.body.find('\n'), a.body.size() - 1) << a.body;
    }
    EXPECT_EQ(server.pool().acquire()->revision(), 0);
}

TEST(ScoresEndpoint, ALongRequestLineIsRefused) {
    LocalServer server;
    std::string target = "//Scores.php?Game=0506&Score=" + std::string(4100, 'a');
    EXPECT_EQ(httpGet(server.port(), target).status, 414);
    // Beyond what a connection may hold at all, the HTTP library refuses it the same way.
    EXPECT_EQ(httpGet(server.port(), "/" + std::string(40000, 'a')).status, 414);
    // Just under the limit it is read (and is a bad payload).
    std::string fits = "/Scores.php?Game=0506&Score=" + std::string(4096 - 4 - 9 - 28 - 1, 'a');
    EXPECT_EQ(httpGet(server.port(), fits).status, 400);
}

TEST(ScoresRateLimit, AnAddressOverItsBurstGets429BeforeAnythingIsRead) {
    ServerOptions options = LocalServer::quietOptions();
    options.rate = 0.5;
    options.burst = 3;
    LocalServer server(options);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(httpGet(server.port(), "/health").status, 200) << i;
    HttpAnswer limited = httpGet(server.port(), "/Scores.php?not-even-a-query");
    EXPECT_EQ(limited.status, 429);
    EXPECT_EQ(limited.headers["retry-after"], "1");
    EXPECT_EQ(httpGet(server.port(), "/api/v1/scores?type=1").status, 429);
}

TEST(ScoresRoutes, HealthNotFoundAndMethods) {
    LocalServer server;
    HttpAnswer health = httpGet(server.port(), "/health");
    EXPECT_EQ(health.status, 200);
    EXPECT_EQ(health.body, "ok\n");
    EXPECT_EQ(httpGet(server.port(), "/nothing").status, 404);
    HttpAnswer post = sendRaw(server.port(), "POST /Scores.php HTTP/1.0\r\nContent-Length: 3\r\n\r\nabc");
    EXPECT_EQ(post.status, 405);
    EXPECT_EQ(post.headers["allow"], "GET, HEAD");
    HttpAnswer css = httpGet(server.port(), "/style.css");
    EXPECT_EQ(css.status, 200);
    EXPECT_EQ(css.headers["content-type"], "text/css; charset=utf-8");
}

// The web page and the JSON API ----------------------------------------------------------------

class ScoresWebTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto [id, name, best] : {std::tuple{kAnn, "Ann", 900}, {kBob, "<b>&\"x'", 700}})
            ASSERT_EQ(httpGet(server.port(), scoreTarget(submission(id, name, {best, 0, 0}))).status, 200);
    }
    LocalServer server;
};

TEST_F(ScoresWebTest, ThePageShowsEveryTableWithNamesEscaped) {
    HttpAnswer page = httpGet(server.port(), "/");
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(page.headers["content-type"], "text/html; charset=utf-8");
    EXPECT_TRUE(page.body.starts_with("<!DOCTYPE html>"));
    for (const char* text : {"Easy", "Normal", "Hard", "2 players", "No scores yet.", "Ann", "900",
                             "&lt;b&gt;&amp;&quot;x&#39;", "href=\"/style.css\""})
        EXPECT_NE(page.body.find(text), std::string::npos) << text;
    EXPECT_EQ(page.body.find("<b>&"), std::string::npos);
}

// Checks the answer's shape against the API's schema: the fields, their types and limits.
void expectScoresSchema(const std::string& json, int type, int limit, int rows) {
    std::string prefix = "{\"game\":506,\"type\":" + std::to_string(type) + ",\"type_name\":\"";
    EXPECT_TRUE(json.starts_with(prefix)) << json;
    for (const char* field : {"\"players\":", "\"limit\":", "\"last_set_at\":", "\"scores\":["})
        EXPECT_NE(json.find(field), std::string::npos) << field;
    EXPECT_NE(json.find("\"limit\":" + std::to_string(limit) + ","), std::string::npos);
    std::size_t count = 0;
    for (std::size_t at = json.find("{\"place\":"); at != std::string::npos; at = json.find("{\"place\":", at + 1)) {
        ++count;
        std::string row = json.substr(at, json.find('}', at) - at + 1);
        EXPECT_NE(row.find("\"place\":" + std::to_string(count) + ",\"name\":\""), std::string::npos) << row;
        EXPECT_NE(row.find(",\"score\":"), std::string::npos) << row;
        EXPECT_NE(row.find(",\"set_at\":\"20"), std::string::npos) << row;
        EXPECT_TRUE(row.ends_with("Z\"}")) << row;
    }
    EXPECT_EQ(count, size_t(rows));
    EXPECT_TRUE(json.ends_with("]}\n"));
}

TEST_F(ScoresWebTest, TheApiAnswersJsonWithAnEntityTagAndA304WhenItMatches) {
    HttpAnswer a = httpGet(server.port(), "/api/v1/scores?game=506&type=1&limit=1");
    ASSERT_EQ(a.status, 200);
    EXPECT_EQ(a.headers["content-type"], "application/json; charset=utf-8");
    EXPECT_EQ(a.headers["cache-control"], "public, max-age=5");
    expectScoresSchema(a.body, 1, 1, 1);
    HttpAnswer all = httpGet(server.port(), "/api/v1/scores?type=1&limit=500");
    expectScoresSchema(all.body, 1, 100, 2);
    EXPECT_NE(all.body.find("\"name\":\"<b>&\\\"x'\""), std::string::npos) << all.body;
    expectScoresSchema(httpGet(server.port(), "/api/v1/scores?type=2").body, 2, 20, 0);

    std::string etag = all.headers["etag"];
    ASSERT_FALSE(etag.empty());
    HttpAnswer again = httpGet(server.port(), "/api/v1/scores?type=1&limit=500", "If-None-Match: " + etag + "\r\n");
    EXPECT_EQ(again.status, 304);
    EXPECT_TRUE(again.body.empty());
    EXPECT_EQ(httpGet(server.port(), "/api/v1/scores?type=1&limit=500", "If-None-Match: \"other\", " + etag + "\r\n").status, 304);

    // A new best changes the table and its tag.
    ASSERT_EQ(httpGet(server.port(), scoreTarget(submission(kAnn, "Ann", {950, 0, 0}))).status, 200);
    HttpAnswer changed = httpGet(server.port(), "/api/v1/scores?type=1&limit=500", "If-None-Match: " + etag + "\r\n");
    EXPECT_EQ(changed.status, 200);
    EXPECT_NE(changed.headers["etag"], etag);
}

TEST_F(ScoresWebTest, BadParametersGetAJsonError) {
    struct Case {
        std::string query;
        int status;
    } cases[] = {{"", 400}, {"type=9", 400}, {"type=1&limit=none", 400}, {"type=1&game=507", 404}};
    for (const Case& c : cases) {
        HttpAnswer a = httpGet(server.port(), "/api/v1/scores?" + c.query);
        EXPECT_EQ(a.status, c.status) << c.query;
        EXPECT_EQ(a.headers["content-type"], "application/json; charset=utf-8");
        EXPECT_TRUE(a.body.starts_with("{\"error\":\"")) << a.body;
    }
}

} // namespace
