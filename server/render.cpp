#include "server/render.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace hexwend::server {

namespace {

// A name in the game's reply: "{" separates the elements, so it is shown as "(".
std::string replyName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c == '{') c = '(';
    return out;
}

// The day a score was set as YYYYMMDD (UTC), 0 for none.
std::string dayOf(std::int64_t seconds) {
    if (seconds <= 0) return "0";
    std::time_t t = std::time_t(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[48];
    std::snprintf(text, sizeof text, "%04d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return text;
}

// 1234567 as "1,234,567".
std::string grouped(std::int64_t n) {
    std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-') out += ',';
        out += digits[i];
    }
    return out;
}

// "2026-12-11 16:05" (UTC) inside a <time> element; narrow columns break it after the day.
std::string htmlTime(std::int64_t seconds) {
    std::string iso = isoTime(seconds);
    return "<time datetime=\"" + iso + "\"><span>" + iso.substr(0, 10) + "</span> <span>" + iso.substr(11, 5) +
           "</span></time>";
}

std::string plural(std::int64_t n, const char* one, const char* many) {
    return grouped(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string renderGameReply(const GameTables& tables, const GameInfo& game) {
    std::string out;
    out.reserve(1024);
    for (int type = 1; type <= game.typeCount(); ++type) {
        const TypeTable* table = type <= int(tables.types.size()) ? &tables.types[size_t(type - 1)] : nullptr;
        out += type == 1 ? "OnlineScores" : "{" + std::to_string(type);
        out += "{" + std::to_string(table ? table->players : 0);
        for (int place = 0; place < kReplyPlaces; ++place) {
            const ScoreEntry* e = table && place < int(table->top.size()) ? &table->top[size_t(place)] : nullptr;
            out += "{" + (e ? replyName(e->name) : std::string());
            out += "{" + std::to_string(e ? e->best : 0);
            out += "{" + std::to_string(place + 1);
            out += "{" + dayOf(e ? e->setAt : 0);
        }
    }
    return out;
}

std::string renderPage(const GameTables& tables, const GameInfo& game) {
    std::string out;
    out.reserve(16384);
    out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>Hexwend online scores</title>\n"
           "<link rel=\"stylesheet\" href=\"/style.css\">\n</head>\n<body>\n"
           "<header>\n<h1>Hexwend</h1>\n<p>Online scores &middot; " +
           plural(tables.players, "player", "players") + "</p>\n</header>\n<main>\n";
    for (int type = 1; type <= game.typeCount(); ++type) {
        const TypeTable& table = tables.types.at(size_t(type - 1));
        std::string id = "type-" + std::to_string(type);
        out += "<section class=\"board " + id + "\" aria-labelledby=\"" + id + "\">\n<h2 id=\"" + id + "\">" +
               htmlEscape(game.typeNames[size_t(type - 1)]) + "</h2>\n<p class=\"count\">" +
               plural(table.players, "player", "players") + "</p>\n";
        if (table.top.empty()) {
            out += "<p class=\"empty\">No scores yet.</p>\n</section>\n";
            continue;
        }
        out += "<table>\n<thead><tr><th scope=\"col\">Place</th><th scope=\"col\">Name</th>"
               "<th scope=\"col\">Score</th><th scope=\"col\">Set (UTC)</th></tr></thead>\n<tbody>\n";
        int places = std::min(int(table.top.size()), kPagePlaces);
        for (int i = 0; i < places; ++i) {
            const ScoreEntry& e = table.top[size_t(i)];
            out += "<tr><td class=\"place\">" + std::to_string(i + 1) + "</td><td class=\"name\">" +
                   htmlEscape(e.name) + "</td><td class=\"score\">" + grouped(e.best) + "</td><td class=\"set\">" +
                   htmlTime(e.setAt) + "</td></tr>\n";
        }
        out += "</tbody>\n</table>\n</section>\n";
    }
    out += "</main>\n<footer>\n<p>Last new best: " +
           (tables.lastSetAt > 0 ? htmlTime(tables.lastSetAt) + " UTC" : std::string("none yet")) + "</p>\n<p>JSON: ";
    for (int type = 1; type <= game.typeCount(); ++type) {
        out += type > 1 ? " &middot; " : "";
        out += "<a href=\"/api/v1/scores?game=" + std::to_string(game.number) + "&amp;type=" +
               std::to_string(type) + "\">" + htmlEscape(game.typeNames[size_t(type - 1)]) + "</a>";
    }
    out += "</p>\n</footer>\n</body>\n</html>\n";
    return out;
}

std::string renderJson(const GameTables& tables, const GameInfo& game, int type, int limit) {
    const TypeTable& table = tables.types.at(size_t(type - 1));
    std::string out = "{\"game\":" + std::to_string(game.number) + ",\"type\":" + std::to_string(type) +
                      ",\"type_name\":" + jsonString(game.typeNames[size_t(type - 1)]) +
                      ",\"players\":" + std::to_string(table.players) + ",\"limit\":" + std::to_string(limit) +
                      ",\"last_set_at\":" + (tables.lastSetAt > 0 ? jsonString(isoTime(tables.lastSetAt)) : "null") +
                      ",\"scores\":[";
    int places = std::min(int(table.top.size()), limit);
    for (int i = 0; i < places; ++i) {
        const ScoreEntry& e = table.top[size_t(i)];
        out += i > 0 ? "," : "";
        out += "{\"place\":" + std::to_string(i + 1) + ",\"name\":" + jsonString(e.name) +
               ",\"score\":" + std::to_string(e.best) + ",\"set_at\":" + jsonString(isoTime(e.setAt)) + "}";
    }
    return out + "]}\n";
}

std::string renderJsonError(std::string_view reason) { return "{\"error\":" + jsonString(reason) + "}\n"; }

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char u = (unsigned char)c;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7f) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", u);
            out += esc;
        } else if (u >= 0x80) {
            out += "\\ufffd"; // names are ASCII; anything else would not be valid UTF-8 on its own
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string entityTag(std::string_view body) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : body) {
        h ^= (unsigned char)c;
        h *= 1099511628211ull;
    }
    char text[24];
    std::snprintf(text, sizeof text, "\"%016llx\"", (unsigned long long)h);
    return text;
}

std::string isoTime(std::int64_t seconds) {
    std::time_t t = std::time_t(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

// The game's dusk sky and its five hex colours; one column under 600 px.
const std::string_view kStylesheet = R"css(:root {
  --sky-top: #1c1748;
  --sky-mid: #33408f;
  --glow: #f2cf92;
  --red: #ff1a1a;
  --orange: #ff801a;
  --yellow: #ffff1a;
  --green: #64ff64;
  --cyan: #1affff;
  --text: #f4f1ff;
}
* { box-sizing: border-box; }
body {
  margin: 0;
  min-height: 100vh;
  color: var(--text);
  background: linear-gradient(180deg, var(--sky-top) 0%, var(--sky-mid) 70%, #3389b3 100%) fixed;
  font: 16px/1.4 "DejaVu Sans", Verdana, sans-serif;
}
header, footer { text-align: center; padding: 1rem; }
h1 {
  margin: 0.5rem 0 0;
  font-size: 2.6rem;
  letter-spacing: 0.08em;
  color: var(--glow);
  text-shadow: 0 0 12px rgba(242, 207, 146, 0.6);
}
header p { margin: 0.25rem 0 0; color: var(--cyan); }
main {
  display: grid;
  grid-template-columns: repeat(3, minmax(0, 1fr));
  gap: 1rem;
  max-width: 1200px;
  margin: 0 auto;
  padding: 0 1rem;
}
.board {
  min-width: 0;
  overflow-x: auto;
  background: rgba(10, 8, 40, 0.55);
  border: 2px solid var(--cyan);
  border-radius: 12px;
  padding: 0.75rem;
}
.type-1 { border-color: var(--green); }
.type-2 { border-color: var(--yellow); }
.type-3 { border-color: var(--red); }
h2 { margin: 0; text-align: center; font-size: 1.5rem; }
.type-1 h2 { color: var(--green); }
.type-2 h2 { color: var(--yellow); }
.type-3 h2 { color: var(--red); }
.count, .empty { text-align: center; margin: 0.25rem 0 0.5rem; opacity: 0.85; }
table { width: 100%; border-collapse: collapse; }
th { font-size: 0.8rem; text-transform: uppercase; opacity: 0.8; text-align: left; }
td, th { padding: 0.2rem 0.35rem; }
tbody tr:nth-child(odd) { background: rgba(255, 255, 255, 0.06); }
.place { color: var(--orange); text-align: right; width: 2.5em; }
.name { white-space: pre; font-family: "DejaVu Sans Mono", monospace; overflow-wrap: anywhere; }
.score { color: var(--green); text-align: right; font-variant-numeric: tabular-nums; }
.set { font-size: 0.75rem; opacity: 0.8; }
time span { white-space: nowrap; }
footer { font-size: 0.9rem; opacity: 0.9; }
a { color: var(--cyan); }
@media (max-width: 600px) {
  main { grid-template-columns: 1fr; }
  h1 { font-size: 2rem; }
  main { padding: 0 0.5rem; }
  td, th { padding: 0.2rem 0.25rem; }
}
)css";

} // namespace hexwend::server
