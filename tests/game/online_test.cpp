// The online leaderboard's client in the real game on the headless host: when the scores go
// out and what the request carries, byte for byte, to a listener on loopback; the pacing of
// the sends while the send flag is set, on the host's scripted clock; replies good, short and
// hostile, handed over directly and over the wire; and what the collector must keep.
#include "tests/game/game_session.h"
#include "tests/net/net_support.h"

#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

// The reply of the score server with one player, "Ann", in game type 1 (66 elements).
const std::string kServerReply =
    "OnlineScores{1{Ann{4075{1{20251211{{0{2{0{{0{3{0{{0{4{0{{0{5{0{2{0{{0{1{0{{0{2{0{{0{3{0{{0{4{"
    "0{{0{5{0{3{0{{0{1{0{{0{2{0{{0{3{0{{0{4{0{{0{5{0";

// The elements of a reply: `first`, then for every element k the text "nK" where a name stands
// (22 elements per game type, names at 2, 6, ... 18 of each) and the number k everywhere else.
std::vector<std::string> elementsOf(int count, const std::string& first = "OnlineScores") {
    std::vector<std::string> out = {first};
    for (int k = 1; k < count; ++k) {
        out.push_back((k % 22) % 4 == 2 ? "n" + std::to_string(k) : std::to_string(k));
    }
    return out;
}

std::string joined(const std::vector<std::string>& elements) {
    std::string out = elements.empty() ? "" : elements[0];
    for (size_t k = 1; k < elements.size(); ++k) out += "{" + elements[k];
    return out;
}

std::string replyOf(int count, const std::string& first = "OnlineScores") {
    return joined(elementsOf(count, first));
}

// A whole reply whose place 1 and 2 of game type 2 hold a name of 100,000 characters, a score
// that is no number, control characters and a negative score.
std::string hostileReply() {
    std::vector<std::string> e = elementsOf(66);
    e[24] = std::string(100000, 'W');
    e[25] = "abc";
    e[28] = "\x01\x7f";
    e[29] = "-17";
    return joined(e);
}

// A loopback listener standing in for the score server: it records each request head and
// answers with the bytes it is given (nothing: it closes at once; kHang: it says nothing until
// well past the client's receive limit, then closes).
class ScoreListener {
  public:
    static constexpr const char* kHang = "hang";

    ScoreListener()
        : server_([this](hexwend::platform::Socket& s) {
              const std::string head = readHead(s);
              std::string answer;
              {
                  std::lock_guard<std::mutex> lock(mutex_);
                  heads_.push_back(head);
                  answer = answer_;
              }
              if (answer == kHang) {
                  std::this_thread::sleep_for(2500ms);
              } else {
                  sendAll(s, answer);
              }
          }) {}

    int port() const { return server_.port(); }
    void answer(const std::string& bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        answer_ = bytes;
    }
    void answerOk(const std::string& body) { answer("HTTP/1.0 200 OK\r\n\r\n" + body); }
    std::vector<std::string> heads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return heads_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::string> heads_;
    std::string answer_;
    LoopbackServer server_;
};

class OnlineTest : public GameSession {
  protected:
    void prepare() override {
        // No sound device: the leaderboard needs none, and the only threads are then the
        // sockets' workers.
        ::setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
        const std::string server = "127.0.0.1:" + std::to_string(listener.port());
        ::setenv("HEXWEND_SCORE_SERVER", server.c_str(), 1);
    }

    void TearDown() override {
        // No request may outlive the test: its workers would outlive the objects they use.
        for (int i = 0; i < rt_asyncevent__sources->p_Length2(); ++i) {
            if (auto* s = dynamic_cast<c_Socket*>(rt_asyncevent__sources->p_Get(i))) s->p_Close();
        }
        EXPECT_TRUE(pumpUntil([] { return socketsGone(); }, 20s)) << "sockets still busy";
        ::unsetenv("HEXWEND_SCORE_SERVER");
    }

    static bool socketsGone() {
        for (int i = 0; i < rt_asyncevent__sources->p_Length2(); ++i) {
            auto* source = rt_asyncevent__sources->p_Get(i);
            if (dynamic_cast<c_Socket*>(source)) return false;
            auto* q = dynamic_cast<c_AsyncQueue*>(source);
            if (q && !q->isIdle()) return false;
        }
        return true;
    }

    // The dispatch of finished network operations, as the update's last step runs it, until
    // `done` holds (at most `limit` of real time); the game's clock stands still meanwhile.
    template <class F> static bool pumpUntil(F done, std::chrono::milliseconds limit = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            rt_asyncevent_UpdateAsyncEvents();
            if (done()) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(1ms);
        }
    }

    // Whole updates until the outstanding request has ended.
    bool updateUntilAnswered() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (rt_quzo_QUZO_CanSend == 0) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            update();
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    static void setName(const std::string& name) {
        for (int i = 0; i < 16; ++i) {
            rt_quzo_QUZO_Username[i] = i < int(name.size()) ? name[size_t(i)] - 32 : 0;
        }
    }

    // A table that is not the reply's: every name "old", every score 1.
    static void fillOnlineTable() {
        for (int k = 0; k < 10000; ++k) {
            rt_quzo_QUZO_OnName[k] = String("old");
            rt_quzo_QUZO_OnScore[k] = 1;
        }
    }
    static bool onlineTableUnchanged() {
        for (int k = 0; k < 10000; ++k) {
            if (rt_quzo_QUZO_OnName[k] != String("old") || rt_quzo_QUZO_OnScore[k] != 1) {
                return false;
            }
        }
        return true;
    }

    // A finished request as the net layer hands it over.
    c_HttpRequest* finishedRequest(const std::string& text) {
        auto* request = (new c_HttpRequest())->m_new();
        request->m_responseText = String(text.c_str());
        return request;
    }

    ScoreListener listener;
};

// --- When the scores go out ---------------------------------------------------------------

TEST_F(OnlineTest, NothingIsSentWithoutANameOfTheirOwnOrWhileARequestIsOut) {
    finishLoading();
    const int threads = threadCount();
    struct Case {
        const char* what;
        const char* name;
        int allowName;
        int canSend;
    };
    const Case cases[] = {
        {"the default name", "Name", 1, 1},
        {"names not allowed", "Bob", 0, 1},
        {"a request outstanding", "Bob", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setName(c.name);
        rt_quzo_QUZO_AllowName = c.allowName;
        rt_quzo_QUZO_CanSend = c.canSend;
        rt_quzo_QUZO_ForceSend = 1;
        app->p_SendScores(0);
        update(700); // past the gap between forced sends
        EXPECT_EQ(app->m_request, nullptr);
        EXPECT_EQ(rt_quzo_QUZO_CanSend, c.canSend);
        EXPECT_EQ(rt_quzo_QUZO_WebQueue, 0);
        // An idle game has no thread beyond those it started with.
        EXPECT_EQ(threadCount(), threads);
    }
    EXPECT_TRUE(listener.heads().empty());
}

// --- The request ---------------------------------------------------------------------------

TEST_F(OnlineTest, TheRequestCarriesIdentityNameAndBestsInOneEscapedParameter) {
    // With the table all zeros the scrambling changes nothing, so the request can be read.
    for (int i = 0; i < 64; ++i) rt_quzo_QUZO_Scramble[i] = 0;
    setName("Bob");
    rt_quzo_QUZO_UserIDA = 20240131;
    rt_quzo_QUZO_UserIDB = 12345;
    rt_quzo_QUZO_Score[20] = 4075;
    rt_quzo_QUZO_Score[60] = 99999999;
    rt_quzo_QUZO_Score[70] = -7; // column 10 of type 3 travels beside its best
    rt_quzo_QUZO_Score[21] = 3000; // only the best of each type is sent
    listener.answerOk(kServerReply);
    finishLoading();
    const int threads = threadCount();

    struct Case {
        int mode;
        const char* payload;
    };
    const Case cases[] = {
        {0, "20240131000012345*!J!*Bob*!U!**!U!**!U!**!U!**!U!**!U!**!U!**!U!**!U!**!U!*"
            "*!J!*0506*!J!*0001*!J!*0000*!J!*4075*!J!*0*!J!*0*!J!*0*!J!*99999999*!J!*-7*!J!*"
            "QUZO*!J!*"},
        {7, "20240131000012345*!J!*Bob*!U!**!U!**!U!**!U!**!U!**!U!**!U!**!U!**!U!**!U!*"
            "*!J!*0506*!J!*0001*!J!*0007*!J!*QUZO*!J!*"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(cases[k].mode);
        rt_quzo_QUZO_OnlineBoard = 0;
        app->p_SendScores(cases[k].mode);
        EXPECT_EQ(rt_quzo_QUZO_CanSend, 0);
        EXPECT_EQ(rt_quzo_QUZO_WebQueue, 1);
        EXPECT_EQ(rt_quzo_QUZO_WebReceived, String("N/A"));
        ASSERT_TRUE(updateUntilAnswered());

        const std::vector<std::string> heads = listener.heads();
        ASSERT_EQ(heads.size(), k + 1);
        EXPECT_EQ(heads[k], std::string("GET //Scores.php?Game=0506&Score=") + cases[k].payload +
                                " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
        EXPECT_EQ(rt_quzo_QUZO_WebQueue, 2);
        EXPECT_EQ(rt_quzo_QUZO_WebReceived, String(kServerReply.c_str()));
        EXPECT_EQ(rt_quzo_QUZO_OnlineBoard, 1);
        EXPECT_EQ(rt_quzo_QUZO_OnName[20], String("Ann"));
        EXPECT_EQ(rt_quzo_QUZO_OnScore[20], 4075);
        EXPECT_EQ(rt_quzo_QUZO_OnName[21], String());
    }
    // The workers end with their work.
    EXPECT_TRUE(pumpUntil([&] { return threadCount() == threads; }));
}

TEST_F(OnlineTest, PayloadCharactersAQueryCannotCarryTravelAsMarkers) {
    struct Case {
        const char16_t* text;
        const char* escaped;
    };
    const Case cases[] = {
        {u"a b", "a*!U!*b"},
        {u"%", "*!P!*"},
        {u"&\\'`\"/>#^{}<|%?+$, ",
         "*!A!**!B!**!C!**!D!**!E!**!F!**!G!**!H!**!I!**!J!**!K!**!L!**!M!**!P!**!Q!**!R!**!S!*"
         "*!T!**!U!*"},
        {u"*!U!*", "*!U!*"}, // a marker's characters pass as they are
        {u"AZaz09!()*-.:;=@[]_", "AZaz09!()*-.:;=@[]_"},
        {u"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hexwend::game::escapeScorePayload(String(c.text)).ToUtf8(), c.escaped)
            << String(c.text).ToUtf8();
    }
}

TEST_F(OnlineTest, TheServerComesFromTheEnvironmentWhenItNamesAHost) {
    const std::string fallback = hexwend::game::kDefaultScoreServer;
    struct Case {
        const char* value;
        std::string server;
    };
    const Case cases[] = {
        {nullptr, fallback},
        {"", fallback},
        {"scores.example.org", "scores.example.org"},
        {"10.0.0.5:8080", "10.0.0.5:8080"},
        {"my-host_1:65535", "my-host_1:65535"},
        {"host:0", fallback},
        {"host:65536", fallback},
        {"host:", fallback},
        {":7506", fallback},
        {"http://host", fallback},
        {"host/path", fallback},
        {"two words", fallback},
        {"host:75o6", fallback},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hexwend::game::scoreServerFrom(c.value).ToUtf8(), c.server)
            << (c.value ? c.value : "(unset)");
    }
    // The game took the variable at its start.
    EXPECT_EQ(app->scoreServer().ToUtf8(), "127.0.0.1:" + std::to_string(listener.port()));
}

// --- Pacing -------------------------------------------------------------------------------

TEST_F(OnlineTest, WhileTheSendFlagIsSetTheScoresGoOutEveryTenSecondsOfTheGamesClock) {
    setName("Bob");
    listener.answerOk(kServerReply);
    finishLoading();
    rt_quzo_QUZO_ForceSend = 1;

    // 35 s of updates; each reply is awaited with the clock standing still, so without the
    // gap every update would send again.
    std::vector<int> sentAt;
    const c_HttpRequest* last = nullptr;
    for (int u = 0; u < 35 * 60; ++u) {
        update();
        if (app->m_request == last) continue;
        last = app->m_request;
        sentAt.push_back(game.millisecs());
        ASSERT_TRUE(pumpUntil([] { return rt_quzo_QUZO_CanSend == 1; }));
        EXPECT_EQ(rt_quzo_QUZO_OnName[20], String("Ann"));
    }
    ASSERT_EQ(sentAt.size(), 4u);
    for (size_t k = 1; k < sentAt.size(); ++k) {
        EXPECT_GE(sentAt[k] - sentAt[k - 1], hexwend::game::kForcedSendGapMs);
        EXPECT_LT(sentAt[k] - sentAt[k - 1], hexwend::game::kForcedSendGapMs + 50);
    }
    EXPECT_EQ(listener.heads().size(), 4u);

    // A request of another kind (after a game) starts the gap again.
    rt_quzo_QUZO_ForceSend = 0;
    update(700);
    app->p_SendScores(0);
    last = app->m_request;
    ASSERT_TRUE(pumpUntil([] { return rt_quzo_QUZO_CanSend == 1; }));
    const int sent = game.millisecs();
    rt_quzo_QUZO_ForceSend = 1;
    while (app->m_request == last && game.millisecs() - sent < 20000) update();
    EXPECT_GE(game.millisecs() - sent, hexwend::game::kForcedSendGapMs);
    EXPECT_LT(game.millisecs() - sent, hexwend::game::kForcedSendGapMs + 50);
}

// --- Replies ------------------------------------------------------------------------------

TEST_F(OnlineTest, RepliesFillTheOnlineTableOnlyWhenWholeAndOnlineScores) {
    enum Table { kRead, kKept };
    struct Case {
        const char* what;
        std::string reply;
        Table table;
        int boardBefore;
        int boardAfter;
    };
    const Case cases[] = {
        {"the server's reply", kServerReply, kRead, 0, 1},
        {"exactly the 64 elements read", replyOf(64), kRead, 0, 1},
        {"one element short", replyOf(63), kKept, 0, 1},
        {"the first element alone", "OnlineScores", kKept, 0, 1},
        {"a short reply cut inside a name", "OnlineScores{1{An", kKept, 0, 1},
        {"a first element that only begins right", replyOf(66, "OnlineScoresX"), kKept, 1, 0},
        {"a refusal", "Bad request: name\n", kKept, 1, 1},
        {"no answer at all", "", kKept, 1, 1},
        {"another case", replyOf(66, "onlinescores"), kKept, 1, 1},
        {"hostile values", hostileReply(), kRead, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fillOnlineTable();
        rt_quzo_QUZO_OnlineBoard = c.boardBefore;
        rt_quzo_QUZO_CanSend = 0;
        c_HttpRequest* request = finishedRequest(c.reply);
        gc_assign(app->m_request, request);
        app->p_OnHttpRequestComplete(request);

        EXPECT_EQ(rt_quzo_QUZO_CanSend, 1);
        EXPECT_EQ(rt_quzo_QUZO_WebQueue, 2);
        EXPECT_EQ(rt_quzo_QUZO_WebReceived, String(c.reply.c_str()));
        EXPECT_EQ(rt_quzo_QUZO_OnlineBoard, c.boardAfter);
        EXPECT_EQ(onlineTableUnchanged(), c.table == kKept);
    }

    // What the hostile reply left is read as it stands and drawn without harm: the difficulty
    // list shows the table of "Normal", whose huge name fills the draw list, and runs on.
    EXPECT_EQ(rt_quzo_QUZO_OnName[20], String("n2"));
    EXPECT_EQ(rt_quzo_QUZO_OnName[40].Length(), 100000);
    EXPECT_EQ(rt_quzo_QUZO_OnScore[40], 0);
    EXPECT_EQ(rt_quzo_QUZO_OnName[41], String("\x01\x7f"));
    EXPECT_EQ(rt_quzo_QUZO_OnScore[41], -17);
    finishLoading();
    update();
    tap(keys::kEnter);
    update(30);
    EXPECT_EQ(menu(0), 2) << "the difficulty list";
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
    tap(keys::kDown);
    EXPECT_EQ(menu(2), 2) << "it still answers";
}

TEST_F(OnlineTest, AReplyToAnEarlierRequestIsReadButLeavesTheStatusOfTheCurrentOne) {
    c_HttpRequest* current = finishedRequest("");
    gc_assign(app->m_request, current);
    rt_quzo_QUZO_WebQueue = 1;
    rt_quzo_QUZO_WebReceived = String("N/A");
    rt_quzo_QUZO_CanSend = 0;
    app->p_OnHttpRequestComplete(finishedRequest(kServerReply));
    EXPECT_EQ(rt_quzo_QUZO_WebQueue, 1);
    EXPECT_EQ(rt_quzo_QUZO_WebReceived, String("N/A"));
    EXPECT_EQ(rt_quzo_QUZO_CanSend, 1);
    EXPECT_EQ(rt_quzo_QUZO_OnName[20], String("Ann"));
}

TEST_F(OnlineTest, ServersThatFailOrAnswerBadlyLeaveTheTableAndAllowSendingAgain) {
    setName("Bob");
    finishLoading();
    hexwend::net::receiveTimeoutMs = 1000;
    struct Case {
        const char* what;
        std::string answer;
        int board;
        std::string received;
    };
    const Case cases[] = {
        {"closes without a word", "", 1, ""},
        {"says nothing past the receive limit", ScoreListener::kHang, 1, ""},
        {"no status line", "HELLO\r\n\r\n" + kServerReply, 1, ""},
        {"a refusal", "HTTP/1.0 400 Bad Request\r\n\r\nBad request: name\n", 1,
         "Bad request: name\n"},
        {"a short table", "HTTP/1.0 200 OK\r\n\r\nOnlineScores{1{Ann{40", 1,
         "OnlineScores{1{Ann{40"},
        {"a table cut off by the close", "HTTP/1.0 200 OK\r\n\r\n" + kServerReply.substr(0, 40), 1,
         kServerReply.substr(0, 40)},
        {"bytes that are no text", "HTTP/1.0 200 OK\r\n\r\nOnlineScores{\xff\xfe{\xc3", 1,
         "OnlineScores{\u00ff\u00fe{\u00c3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        listener.answer(c.answer);
        fillOnlineTable();
        rt_quzo_QUZO_OnlineBoard = 1;
        app->p_SendScores(0);
        ASSERT_EQ(rt_quzo_QUZO_CanSend, 0);
        ASSERT_TRUE(updateUntilAnswered());
        EXPECT_EQ(rt_quzo_QUZO_WebQueue, 2);
        EXPECT_EQ(rt_quzo_QUZO_WebReceived.ToUtf8(), c.received);
        EXPECT_EQ(rt_quzo_QUZO_OnlineBoard, c.board);
        EXPECT_TRUE(onlineTableUnchanged());
    }
}

// --- The collector ------------------------------------------------------------------------

TEST_F(OnlineTest, TheLastRequestLivesAsLongAsTheGame) {
    c_HttpRequest* request = finishedRequest(kServerReply);
    gc_assign(app->m_request, request);
    const auto collectFully = [] {
        for (int i = 0; i < 3; ++i) gc_collect_all();
        gc_flush_free(INT_MAX);
    };
    collectFully();
    ASSERT_TRUE(gc_is_live(request));
    EXPECT_EQ(request->p_ResponseText(), String(kServerReply.c_str()));

    app->m_request = nullptr;
    collectFully();
    EXPECT_FALSE(gc_is_live(request));
}

} // namespace
} // namespace hexwend::testing
