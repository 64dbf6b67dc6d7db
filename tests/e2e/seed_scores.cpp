// Fills a running hexwend-scores with a few players' best scores, sent the way the game sends
// them, so that pictures of the score panel show an online table.
//
//   hexwend_seed_scores PORT
#include "tests/server/server_support.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Player {
    const char* identity;
    const char* name;
    std::vector<std::int64_t> bests; // "Easy", "Normal", "Hard"
};

const Player kPlayers[] = {
    {"40112233445566771", "Mira", {2450, 1830, 1480}},
    {"40112233445566772", "Oskar", {1960, 1405, 1215}},
    {"40112233445566773", "Tove", {1325, 1120, 960}},
    {"40112233445566774", "Jun", {880, 745, 640}},
};

} // namespace

int main(int argc, char** argv) {
    const int port = argc == 2 ? std::atoi(argv[1]) : 0;
    if (port <= 0 || port > 65535) {
        std::fprintf(stderr, "usage: hexwend_seed_scores PORT\n");
        return 2;
    }
    for (const Player& p : kPlayers) {
        using namespace hexwend::testing;
        HttpAnswer answer = httpGet(std::uint16_t(port), scoreTarget(submission(p.identity, p.name, p.bests)));
        if (answer.status != 200) {
            std::fprintf(stderr, "hexwend_seed_scores: %s was answered with status %d\n", p.name, answer.status);
            return 1;
        }
    }
    return 0;
}
