// The answers made from a game's tables: the game's own reply, the web page and its
// stylesheet, and the JSON of one table.
#pragma once

#include "server/games.h"
#include "server/store.h"

#include <string>
#include <string_view>

namespace hexwend::server {

// Places per game type in the game's reply, and elements per game type.
constexpr int kReplyPlaces = 5;
constexpr int kReplyBlock = 22;
// Places per game type on the web page.
constexpr int kPagePlaces = 20;

// "OnlineScores" and the elements the game reads, laid out as docs/score-protocol.md says.
std::string renderGameReply(const GameTables& tables, const GameInfo& game);
std::string renderPage(const GameTables& tables, const GameInfo& game);
// The first limit places of one type.
std::string renderJson(const GameTables& tables, const GameInfo& game, int type, int limit);
// {"error": reason}
std::string renderJsonError(std::string_view reason);

std::string htmlEscape(std::string_view text);
// The text as a quoted JSON string.
std::string jsonString(std::string_view text);
// A strong entity tag for a body: its 64-bit FNV-1a hash in hexadecimal, quoted.
std::string entityTag(std::string_view body);
// Unix seconds as "2026-12-11T16:05:00Z".
std::string isoTime(std::int64_t seconds);

extern const std::string_view kStylesheet;

} // namespace hexwend::server
