// assetgen: writes every image, font sheet, sound and the tune of the game into a data
// folder, deterministically.
//
//   assetgen <data folder>                     generate everything
//   assetgen <data folder> <name>…             generate only the named groups
//   assetgen --preview <data folder> <folder>  contact sheets and a mock scene
//   assetgen --icons <folder>                  the desktop icons, in hicolor's layout
//   assetgen --copyright <header> <file>       the Debian copyright file
#include "tools/assetgen/art.h"
#include "tools/assetgen/font.h"
#include "tools/assetgen/preview.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace hexwend::assetgen;

namespace {

struct Group {
    const char* name;
    bool (*make)(const Output&);
};

const Group kGroups[] = {
    {"clusters", makeClusters},
    {"figure", makeFigure},
    {"font", makeFrameworkFont},
    {"zuvo", makeDefaultFont},
    {"quzologo", makeFrameworkLogo},
    {"particles", makeParticles},
    {"buttons", makeButtons},
    {"icons", makeIcons},
    {"circle", makeCircles},
    {"logo", makeTitle},
    {"menu", makeMenu},
    {"options", makeOptions},
    {"scoreboard", makeScoreboard},
    {"sounds", makeSounds},
    {"tune", makeTune},
    {"licences", makeLicences},
};

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--preview") == 0) {
        if (argc != 4) {
            std::fprintf(stderr, "usage: assetgen --preview <data folder> <preview folder>\n");
            return 2;
        }
        return writePreview(argv[2], argv[3]) ? 0 : 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--icons") == 0) {
        if (argc != 3) {
            std::fprintf(stderr, "usage: assetgen --icons <folder>\n");
            return 2;
        }
        return makeDesktopIcons(argv[2]) ? 0 : 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--copyright") == 0) {
        if (argc != 4) {
            std::fprintf(stderr, "usage: assetgen --copyright <header> <file>\n");
            return 2;
        }
        return writeDebianCopyright(argv[2], argv[3]) ? 0 : 1;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: assetgen <data folder> [group…]\n");
        return 2;
    }
    if (!boldFont().ok()) {
        std::fprintf(stderr,
                     "assetgen: cannot read the font %s (Debian package fonts-dejavu-core)\n",
                     boldFontPath());
        return 1;
    }
    Output out(argv[1]);
    std::vector<std::string> only(argv + 2, argv + argc);
    auto start = std::chrono::steady_clock::now();
    bool ok = true;
    for (const Group& g : kGroups) {
        bool wanted = only.empty();
        for (const std::string& o : only) wanted = wanted || o == g.name;
        if (!wanted) continue;
        auto t = std::chrono::steady_clock::now();
        bool done = g.make(out);
        ok = ok && done;
        std::printf("assetgen: %-10s %6.2f s%s\n", g.name, seconds(t), done ? "" : "  FAILED");
    }
    std::printf("assetgen: all       %6.2f s\n", seconds(start));
    return ok ? 0 : 1;
}
