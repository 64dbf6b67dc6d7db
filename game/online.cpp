// The online leaderboard's client: the score request (identity, name and best scores,
// scrambled and escaped into one query parameter) and the reply with the online top five of
// every game type.
#include "framework/quzo.h"
#include "game/my_game.h"
#include "runtime/errors.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

namespace hexwend::game {

const char* const kDefaultScoreServer = HEXWEND_DEFAULT_SCORE_SERVER;

namespace {

bool isHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
}

// "host" or "host:port": a host name or dotted address, and a port of 1 ... 65535.
bool isHostAndPort(std::string_view text) {
    const size_t colon = text.find(':');
    const std::string_view host = text.substr(0, colon);
    if (host.empty() || host.size() > 253) return false;
    for (char c : host) {
        if (!isHostCharacter(c)) return false;
    }
    if (colon == std::string_view::npos) return true;
    const std::string_view port = text.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    int number = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    return number >= 1 && number <= 65535;
}

// The markers of the characters a query cannot carry, in the order they are replaced.
struct Marker {
    char16_t character;
    const char* marker;
};
constexpr Marker kMarkers[] = {
    {u'&', "*!A!*"}, {u'\\', "*!B!*"}, {u'\'', "*!C!*"}, {u'`', "*!D!*"}, {u'"', "*!E!*"},
    {u'/', "*!F!*"}, {u'>', "*!G!*"},  {u'#', "*!H!*"},  {u'^', "*!I!*"}, {u'{', "*!J!*"},
    {u'}', "*!K!*"}, {u'<', "*!L!*"},  {u'|', "*!M!*"},  {u'%', "*!P!*"}, {u'?', "*!Q!*"},
    {u'+', "*!R!*"}, {u'$', "*!S!*"},  {u',', "*!T!*"},  {u' ', "*!U!*"},
};

// The last four characters of "0000" and the number: 506 is "0506".
String fourDigits(int number) {
    const String text = String("0000") + String(number);
    return text.Slice(text.Length() - 4);
}

} // namespace

String scoreServerFrom(const char* value) {
    if (!value || !*value) return String(kDefaultScoreServer);
    if (isHostAndPort(value)) return String(value);
    rtPrint(String(kScoreServerVariable) + String(" \"") + String(value) +
            String("\" is not a host or host:port; the scores go to ") + String(kDefaultScoreServer));
    return String(kDefaultScoreServer);
}

String escapeScorePayload(const String& payload) {
    // The markers hold none of the characters they replace, so replacing them all in one pass
    // gives what replacing each character over the whole text in the table's order gives.
    std::u16string out;
    const int n = payload.Length();
    out.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const char16_t c = char16_t(payload[i]);
        const Marker* found = nullptr;
        for (const Marker& m : kMarkers) {
            if (m.character == c) found = &m;
        }
        if (!found) {
            out.push_back(c);
            continue;
        }
        for (const char* m = found->marker; *m; ++m) out.push_back(char16_t(*m));
    }
    return String(out.data(), int(out.size()));
}

} // namespace hexwend::game

using namespace hexwend::game;

namespace {

// The default name, which is never sent.
const String& defaultName() {
    static const String name("Enter Name   ");
    return name;
}

constexpr int kSeparator = '{';
constexpr int kBestColumn = 0;
constexpr int kExtraColumn = 10;
constexpr int kRowLength = 20;
constexpr int kPlaces = 5;
// Elements of the reply per game type, and of each place within it.
constexpr int kTypeElements = 22;
constexpr int kPlaceElements = 4;

} // namespace

int c_MyGame::p_SendScores(int mode) {
    // 1, 2. Only with names allowed, nothing outstanding and a name of the player's own.
    if (rt_quzo_QUZO_AllowName == 0 || rt_quzo_QUZO_CanSend != 1) return 0;
    if (rt_quzo_MyName() == defaultName()) return 0;

    // 3.
    rt_quzo_QUZO_CanSend = 0;

    // 4. Identity, name, game, version and mode, the best scores in mode 0, and the end mark,
    // each followed by the separator.
    const String separator = String::FromChar(kSeparator);
    String payload = rt_quzo_MyUserID() + separator + rt_quzo_MyName() + separator +
                     fourDigits(rt_quzo_QUZO_GameNum) + separator +
                     fourDigits(rt_quzo_QUZO_GameVersion) + separator + fourDigits(mode) +
                     separator;
    if (mode == 0) {
        for (int g = 1; g <= rt_quzo_QUZO_Levels; ++g) {
            const int row = kRowLength * g;
            payload += String(rt_quzo_QUZO_Score[row + kBestColumn]) + separator +
                       String(rt_quzo_QUZO_Score[row + kExtraColumn]) + separator;
        }
    }
    payload += String("QUZO") + separator;

    // 5 ... 7.
    const String url = String("http") + String("://") + scoreServer_ +
                       String("/Scores.php?Game=") + fourDigits(rt_quzo_QUZO_GameNum) +
                       String("&Score=");
    p_GetURL(url, rt_quzo_Scramble(payload), 1);
    return 0;
}

int c_MyGame::p_GetURL(String url, String payload, int escape) {
    if (escape == 1) payload = escapeScorePayload(payload);
    gc_assign(m_request, (new c_HttpRequest())->m_new2(String("GET"), url + payload, this));
    m_request->p_Send();
    lastRequestMs_ = rt_app_Millisecs();
    rt_quzo_QUZO_WebQueue = 1;
    rt_quzo_QUZO_WebReceived = String("N/A");
    return 0;
}

int c_MyGame::p_OnHttpRequestComplete(c_HttpRequest* request) {
    const String text = request->p_ResponseText();
    if (request == m_request) {
        rt_quzo_QUZO_WebQueue = 2;
        rt_quzo_QUZO_WebReceived = text;
    }
    rt_quzo_QUZO_CanSend = 1;
    if (text.StartsWith(String("OnlineScores"))) p_ManageOnline(text);
    return 0;
}

int c_MyGame::p_ManageOnline(String reply) {
    rt_quzo_QUZO_CanSend = 1;
    rt_quzo_QUZO_OnlineBoard = 1;
    const Array<String> e = reply.Split(String::FromChar(kSeparator));
    if (e[0] != String("OnlineScores")) {
        rt_quzo_QUZO_OnlineBoard = 0;
        return 0;
    }
    // The last element read is the score of the last place of the last game type. A reply
    // without it is not read at all: the table keeps what the last whole reply gave.
    const int levels = rt_quzo_QUZO_Levels;
    const int needed = kTypeElements * levels - 2;
    if (e.Length() < needed) return 0;
    for (int g = 1; g <= levels; ++g) {
        for (int i = 0; i < kPlaces; ++i) {
            const int b = kTypeElements * (g - 1) + kPlaceElements * i;
            rt_quzo_QUZO_OnName[kRowLength * g + i] = e[b + 2];
            rt_quzo_QUZO_OnScore[kRowLength * g + i] = e[b + 3].ToInt();
        }
    }
    return 0;
}
