// The server over real HTTP on loopback: the game's endpoint as the game calls it, refusals,
// the rate limit, the health check, the web page and the JSON API.
#include "server/render.h"
#include "tests/server/server_support.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <map>
#include <regex>

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

// The API's schema: every field with its JSON type and its limits, and nothing else.
void expectScoresSchema(const std::string& body, int type, int limit, std::size_t rows) {
    using Json = nlohmann::json;
    Json j = Json::parse(body); // throws, failing the test, unless it is well-formed JSON
    ASSERT_TRUE(j.is_object()) << body;
    const std::map<std::string, Json::value_t> fields = {
        {"game", Json::value_t::number_unsigned}, {"type", Json::value_t::number_unsigned},
        {"type_name", Json::value_t::string},     {"players", Json::value_t::number_unsigned},
        {"limit", Json::value_t::number_unsigned}, {"last_set_at", Json::value_t::string},
        {"scores", Json::value_t::array},
    };
    EXPECT_EQ(j.size(), fields.size()) << body;
    for (const auto& [name, kind] : fields) {
        ASSERT_TRUE(j.contains(name)) << name;
        bool nullable = name == "last_set_at";
        EXPECT_TRUE(j[name].type() == kind || (nullable && j[name].is_null())) << name << " in " << body;
    }
    const std::regex iso(R"(\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}Z)");
    EXPECT_EQ(j["game"], 506);
    EXPECT_EQ(j["type"], type);
    EXPECT_EQ(j["limit"], limit);
    EXPECT_GE(j["limit"].get<int>(), 1);
    EXPECT_LE(j["limit"].get<int>(), 100);
    if (!j["last_set_at"].is_null()) {
        EXPECT_TRUE(std::regex_match(j["last_set_at"].get<std::string>(), iso));
    }
    const Json& scores = j["scores"];
    ASSERT_EQ(scores.size(), rows);
    EXPECT_LE(scores.size(), std::size_t(limit));
    EXPECT_LE(scores.size(), j["players"].get<std::size_t>());
    std::int64_t previous = 99'999'999;
    for (std::size_t i = 0; i < scores.size(); ++i) {
        const Json& row = scores[i];
        ASSERT_TRUE(row.is_object());
        EXPECT_EQ(row.size(), 4u) << row;
        EXPECT_EQ(row["place"], i + 1);
        EXPECT_TRUE(row["name"].is_string()) << row;
        EXPECT_LE(row["name"].get<std::string>().size(), 13u);
        ASSERT_TRUE(row["score"].is_number_unsigned()) << row;
        EXPECT_LE(row["score"].get<std::int64_t>(), previous) << "best first";
        EXPECT_GT(row["score"].get<std::int64_t>(), 0);
        previous = row["score"].get<std::int64_t>();
        ASSERT_TRUE(row["set_at"].is_string()) << row;
        EXPECT_TRUE(std::regex_match(row["set_at"].get<std::string>(), iso)) << row;
    }
}

TEST_F(ScoresWebTest, TheApiAnswersJsonWithAnEntityTagAndA304WhenItMatches) {
    HttpAnswer a = httpGet(server.port(), "/api/v1/scores?game=506&type=1&limit=1");
    ASSERT_EQ(a.status, 200);
    EXPECT_EQ(a.headers["content-type"], "application/json; charset=utf-8");
    EXPECT_EQ(a.headers["cache-control"], "public, max-age=5");
    expectScoresSchema(a.body, 1, 1, 1);
    HttpAnswer all = httpGet(server.port(), "/api/v1/scores?type=1&limit=500");
    expectScoresSchema(all.body, 1, 100, 2);
    EXPECT_EQ(nlohmann::json::parse(all.body)["scores"][1]["name"], "<b>&\"x'");
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
