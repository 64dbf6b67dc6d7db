// The score payload as the game builds it, field by field, and the decoding of a score
// request's query into one validated submission.
//
// Payload layout (every value followed by "{"):
//   identity (17 digits) { name (13 characters, may itself hold "{") { game (4 digits) {
//   version (4 digits) { mode (4 digits) { [best { extra {] per game type, mode 0 only { QUZO {
#pragma once

#include "server/games.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace hexwend::server {

constexpr int kIdentityLength = 17;
constexpr int kNameLength = 13;
constexpr std::int64_t kMaxScore = 99'999'999;

struct TypeScore {
    int type = 0;            // 1 … the game's type count
    std::int64_t best = 0;   // 0 … kMaxScore
    std::int64_t extra = 0;  // an opaque 32-bit value the client keeps beside its best
};

struct Submission {
    std::string identity;    // 17 digits
    std::string name;        // the 13 characters as sent
    int game = 0;
    int version = 0;
    int mode = 0;            // 0 carries scores; any other mode only asks for the tables
    std::vector<TypeScore> scores;
};

// A refusal with a one-line reason, meant for the client.
struct ParseError {
    std::string reason;
};

using ParseResult = std::variant<Submission, ParseError>;

// Parses an unscrambled payload. gameInfo is the game named by the request; the payload must
// name the same game and carry one to that game's type count of (best, extra) pairs in mode 0.
ParseResult parsePayload(std::string_view text, const GameInfo& game);

// Builds the payload exactly as the game does (for tests and load generation).
std::string buildPayload(const Submission& submission);

// The query of a score request ("Game=0506&Score=…", raw as it arrived): finds the game,
// undoes the escapes and the scrambling and parses the payload.
ParseResult decodeScoreQuery(std::string_view rawQuery);

// The query string the game sends for a submission ("Game=0506&Score=" and the escaped,
// scrambled payload).
std::string encodeScoreQuery(const Submission& submission);

} // namespace hexwend::server
