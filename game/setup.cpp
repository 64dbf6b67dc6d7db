// The game's set-up: what the game sets when it is created, the loading sequence with its
// assembling logo, and the one-update transitions into and out of a game.
#include "app/app.h"
#include "audio/sound.h"
#include "framework/quzo.h"
#include "game/my_game.h"
#include "platform/memory.h"

#include <algorithm>
#include <cstdlib>

using namespace hexwend::framework;

namespace {

constexpr int kGameNumber = 506;
const char* const kKeyText = "Rocks drop in rows. Guard each one";
constexpr int kUpdateRate = 60;

// rt_quzo_QUZO_MenuPos elements of the main menu.
constexpr int kMenuList = 0;
constexpr int kDifficultyHighlight = 2;
constexpr int kCurtain = 5;
constexpr int kMenuSlide = 10;
constexpr int kCurtainStartGap = 32;
constexpr int kSlideStart = -64;

// The loading sequence: every step from 1 to this one advances, the next ends it.
constexpr int kLastLoadingStep = 60;
constexpr int kFontSlot = 99;
const char* const kFontName = "bandwidth";
constexpr int kFontLoadedSetting = 100;
constexpr int kLoadingSoundStep = 5;
constexpr int kLoadingSound = 96;
// The tune of play, decoded at a loading step that has nothing else to do, so that starting
// a game does not stop to decode it.
const char* const kTune = "Days";
constexpr int kTuneStep = 50;

struct ImageStep {
    int step;
    int slot;
    const char* name;
    int frameWidth;
    int frameHeight;
    int frames;
};

// The image of each loading step. The logo cut into tiles comes first, for the loading
// screen itself.
constexpr ImageStep kImageSteps[] = {
    {2, 95, "QUZOLogo", 32, 32, 1024},      {30, 96, "QUZOLogo", 1024, 1024, 1},
    {31, 70, "part-shapefull", 32, 32, 16}, {32, 71, "parts_shape", 32, 32, 16},
    {33, 72, "parts_smoke", 32, 32, 16},    {34, 73, "parts_cluster", 32, 32, 16},
    {35, 74, "parts_stars", 32, 32, 16},    {36, 80, "Buttons", 64, 64, 16},
    {37, 90, "icons", 128, 128, 16},        {38, 91, "circle", 256, 256, 4},
    {39, 69, "logo", 1024, 512, 1},         {40, 68, "menu", 1024, 1024, 4},
    {41, 81, "options", 68, 68, 49},        {42, 82, "scoreboard", 256, 256, 1},
    {43, 1, "Clusters", 64, 64, 64},        {44, 2, "gfx", 36, 36, 49},
};

struct SoundStep {
    int step;
    int slot;
};

// The sound effects of each loading step, loaded after the step's image.
constexpr SoundStep kSoundSteps[] = {
    {1, 96},  {2, 96}, {30, 98}, {31, 99}, {32, 99}, {33, 99},
    {34, 99}, {45, 1}, {46, 2},  {47, 3},  {48, 4},  {49, 5},
};

// The assembling logo: 32 x 32 tiles of slot 95 at half size, each dropping into place.
constexpr int kLogoSlot = 95;
constexpr int kLogoTiles = 32;
constexpr float kLogoScale = 0.5f;
constexpr float kLogoCorner = 239.85f;
constexpr float kLogoTileStep = 15.99f;

// The player record (player 1, from element 0 of rt_quzo_plr).
constexpr int kPlayerX = 1;
constexpr int kPlayerY = 2;
constexpr int kCarried = 6;
constexpr int kFloorCounter = 7;
constexpr int kFieldOffset = 12;
constexpr int kFieldSpeed = 13;
constexpr int kColourCount = 15;
constexpr int kLeftPile = 21;
constexpr int kRightPile = 22;

// The field: cell (c, r) at 10c + 200r, colour in its first element and variant in the next.
constexpr int kCellFloats = 10;
constexpr int kRowStride = 200;
constexpr int kFieldColumns = 10;
constexpr int kFieldRows = 26;
constexpr int kFilledRows = 5;

constexpr int kEasy = 1;
constexpr int kHard = 3;

// The score sending of the running game, for the framework's score table.
int sendScores(int mode) {
    return static_cast<c_MyGame*>(rt_app__app)->p_SendScores(mode);
}

int randomColour(int colourCount) {
    return 2 * rt_quzo_Rand(1, float(colourCount)) - 1;
}

} // namespace

int c_MyGame::p_OnCreate() {
    // The score server: the build's, unless the environment names another.
    scoreServer_ = hexwend::game::scoreServerFrom(std::getenv(hexwend::game::kScoreServerVariable));

    // 1. Game number and key text.
    rt_quzo_SetGameNumber(kGameNumber);
    rt_quzo_SetKeyword(String(kKeyText));

    // 2. Names allowed, a desktop host with mouse control and mixed controls, and "Quit".
    rt_quzo_QUZO_AllowName = 1;
    rt_quzo_isOuya = 0;
    rt_quzo_QUZO_AllowMouseControl = 1;
    rt_quzo_QUZO_MixControls = 1;
    rt_quzo_HasQuit = 1;

    // 3. Sixty updates per second.
    rt_app_SetUpdateRate(kUpdateRate);

    // 4. A black background.
    rt_quzo_SetCLSCol(0, 0, 0, 1);
    rt_quzo_ResetDraw();

    // 5. Loading begins at step 1, with the main menu behind it.
    rt_quzo_QUZO_Loader = 1;
    rt_quzo_QUZO_GameMode = kModeMainMenu;

    // 6. The saved settings, name, identity and scores.
    rt_quzo_Load();

    // 7. Nothing held at the start acts until it is released.
    rt_quzo_LockKeys();

    // 8. No overlay; the main list, "Normal" highlighted, the curtain nearly open.
    rt_quzo_QUZO_OptCred = kOverlayNone;
    rt_quzo_QUZO_MenuPos[kMenuList] = 1;
    rt_quzo_QUZO_MenuPos[kDifficultyHighlight] = 1;
    rt_quzo_QUZO_MenuPos[kCurtain] = rt_quzo_jscrw - kCurtainStartGap;

    // 9. Empty pools and no end state, as after a flushed game.
    rt_quzo_FlushGame();

    // 10. The framework's credits and one empty row.
    rt_quzo_DefaultCredits();
    rt_quzo_AddCredit(String(), String(), String(), String(), String());

    // 11. Every joypad on.
    for (int k = 0; k < 10; ++k) rt_quzo_Joy_Disable[k] = 0;

    // 12. The scores go out once at the start; sending on every update waits for a name.
    p_SendScores(0);
    rt_quzo_QUZO_ForceSend = 0;
    return 0;
}

int c_MyGame::p_LoadScreen() {
    const int step = rt_quzo_QUZO_Loader;

    // 1. The step's work.
    if (step > kLastLoadingStep) {
        rt_quzo_QUZO_Loader = 0;
        // Decoding the images and the tune left the allocator holding much freed memory.
        hexwend::platform::releaseFreeMemory();
    } else {
        if (step == 1) {
            rt_quzo_LoadFont(kFontSlot, String(kFontName));
            rt_quzo_QUZO_Set[kFontLoadedSetting] = 1;
        }
        for (const ImageStep& image : kImageSteps) {
            if (image.step == step) {
                rt_quzo_LoadImg(image.slot, String(image.name), image.frameWidth, image.frameHeight,
                                image.frames);
            }
        }
        for (const SoundStep& sound : kSoundSteps) {
            if (sound.step == step) rt_quzo_LoadSFX(sound.slot);
        }
        if (step == kLoadingSoundStep) rt_quzo_PlaySFX(kLoadingSound);
        if (step == kTuneStep) rt_quzo_PrepareTune(String(kTune));
    }

    // 2. On to the next step; the main menu will slide in afresh.
    if (rt_quzo_QUZO_Loader > 0) {
        ++rt_quzo_QUZO_Loader;
        rt_quzo_QUZO_MenuPos[kMenuSlide] = kSlideStart;
    }

    // 3. The loading screen.
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    const int l = rt_quzo_QUZO_Loader;

    rt_quzo_ResetDraw();
    rt_quzo_SetCol(180, 160, 120, 1);
    rt_quzo_Rect(-128, -128, float(w + 256), float(h + 256));

    // The logo's tiles drop from above: tile (j, i) lands when l reaches 30 - (i - 0.3j)/4,
    // the bottom rows first and the left columns before the right.
    rt_quzo_ResetDraw();
    if (l > 2) {
        rt_quzo_SetSize(kLogoScale, kLogoScale);
        const float left = float(w / 2) - kLogoCorner;
        const float top = float(h / 2) - kLogoCorner;
        for (int j = 0; j < kLogoTiles; ++j) {
            for (int i = 0; i < kLogoTiles; ++i) {
                const float d =
                    std::max(0.0f, 30 - (float(i) - 0.3f * float(j)) * 0.25f - float(l));
                rt_quzo_DrawImg(kLogoSlot, left + kLogoTileStep * float(j),
                                top + kLogoTileStep * float(i) - 5 * d * d, j + kLogoTiles * i);
            }
        }
    }

    rt_quzo_ResetDraw();
    static const String kDots[] = {".", "..", "...", "...."};
    const String& dots = kDots[((l % 4) + 4) % 4];
    rt_quzo_Text(float(w / 2), float(h - 64), dots + "Loading" + dots, 1, 1, 0, 0);
    return 0;
}

int c_MyGame::p_GotoGame() {
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;

    // 1. Empty pools, a fresh starfield (re-seeding the shared generator) and no end state.
    rt_quzo_FlushGame();

    // 2. The player: empty-handed, falling to the floor from the centre; the field's speed
    // and the number of colours by difficulty.
    float* player = rt_quzo_plr.Data();
    player[kCarried] = -1;
    player[kFloorCounter] = -1;
    player[kFieldOffset] = 0;
    player[kFieldSpeed] = 0.15f;
    player[kColourCount] = 3;
    player[kPlayerX] = float(w / 2);
    player[kPlayerY] = float(h / 2);
    if (rt_quzo_QUZO_GameType == kEasy) player[kFieldSpeed] = 0.1f;
    if (rt_quzo_QUZO_GameType == kHard) {
        player[kColourCount] = 4;
        player[kFieldSpeed] = 0.2f;
    }

    // 3. The tune of play.
    rt_quzo_PlayTune(String(kTune), 1);

    // 4. Play runs from the next update.
    rt_quzo_QUZO_GameMode = kModePlaying;

    // 5. The two piles, left first.
    const int colours = int(player[kColourCount]);
    player[kLeftPile] = float(randomColour(colours));
    player[kRightPile] = float(randomColour(colours));

    // 6. The field: five rows of random hexes, the rest empty. Two draws per filled cell,
    // colour then variant, column by column.
    float* grid = rt_quzo_grid.Data();
    for (int c = 0; c < kFieldColumns; ++c) {
        for (int r = 0; r < kFieldRows; ++r) {
            float* cell = grid + kCellFloats * c + kRowStride * r;
            if (r < kFilledRows) {
                cell[0] = float(randomColour(colours));
                cell[1] = float(rt_quzo_Rand(0, 7));
            } else {
                cell[0] = -1;
                cell[1] = 0;
            }
        }
    }
    return 0;
}

int c_MyGame::p_GotoMenu() {
    // 1. Back to the main menu in silence, with every control locked until released.
    rt_quzo_QUZO_GameMode = kModeMainMenu;
    rt_audio_StopMusic();
    rt_quzo_QUZO_MusicPlaying = 0;
    rt_quzo_LockKeys();

    // 2. The finished game's score into the table of its difficulty, the games count, the
    // scores sent when due and the state saved.
    rt_quzo_AddScore(sendScores);
    return 0;
}
