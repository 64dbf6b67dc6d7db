// The score payload's transport encoding: the game's scrambling with its key table and the
// marker escaping that makes the scrambled text safe in a query string, in both directions.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hexwend::server {

constexpr int kKeyTableSize = 64;
constexpr int kAlphabetSize = 92;
constexpr int kFirstChar = 32;
constexpr int kLastChar = 123;

using KeyTable = std::array<int, kKeyTableSize>;

// The 64-entry table built from a game's number and its key text. An empty key or a game
// number of 0 or less gives the all-zero table, which scrambles nothing.
KeyTable makeKeyTable(int gameNumber, std::string_view keyText);

// The client's scrambling: a running sum of table entries added to each character, modulo the
// 92 characters 32 … 123. Characters outside that range are sent as spaces.
std::string scramble(std::string_view text, const KeyTable& table);

// The inverse of scramble for text made only of characters 32 … 123; nothing otherwise.
std::optional<std::string> unscramble(std::string_view text, const KeyTable& table);

// Replaces each of the 19 characters a query string cannot carry by its "*!X!*" marker.
std::string escapeMarkers(std::string_view text);

// The number of marker runs a left-to-right reading of text finds.
std::size_t countMarkers(std::string_view text);

// Undoes escapeMarkers. The escaping cannot be undone unambiguously: the scrambled text itself
// may hold the five characters of a marker, which the client then sends unchanged. The first
// reading takes every marker run as a marker; with literalRun = k, the k-th run found (from 0)
// is kept as its five characters instead and the reading goes on after it.
std::string unescapeMarkers(std::string_view text, std::size_t literalRun = std::size_t(-1));

// Decodes "%HH" escapes a proxy may have added; nothing when a '%' is not followed by two
// hexadecimal digits. The game's own requests hold no '%' (it travels as a marker).
std::optional<std::string> percentDecode(std::string_view text);

} // namespace hexwend::server
