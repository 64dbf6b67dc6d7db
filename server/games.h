// The games this server keeps tables for: each game's number, the key text its client
// scrambles with, and the names of its game types.
#pragma once

#include "server/codec.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hexwend::server {

struct GameInfo {
    int number = 0;
    std::string keyText;
    std::vector<std::string> typeNames; // type t (from 1) is typeNames[t - 1]
    KeyTable table{};

    int typeCount() const { return int(typeNames.size()); }
};

constexpr int kDefaultGame = 506;

// Every known game, the default one first.
std::span<const GameInfo> knownGames();
// The game with this number, or null.
const GameInfo* findGame(int number);

} // namespace hexwend::server
