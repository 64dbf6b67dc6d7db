#include "server/games.h"

namespace hexwend::server {

namespace {

std::vector<GameInfo> makeGames() {
    GameInfo hexwend;
    hexwend.number = kDefaultGame;
    hexwend.keyText = "Rocks drop in rows. Guard each one";
    hexwend.typeNames = {"Easy", "Normal", "Hard"};
    hexwend.table = makeKeyTable(hexwend.number, hexwend.keyText);
    return {hexwend};
}

} // namespace

std::span<const GameInfo> knownGames() {
    static const std::vector<GameInfo> games = makeGames();
    return games;
}

const GameInfo* findGame(int number) {
    for (const GameInfo& g : knownGames())
        if (g.number == number) return &g;
    return nullptr;
}

} // namespace hexwend::server
