// The main menu: the sliding menu art, the curtain, the title, the score panel, and the two
// lists made of text buttons (the main list and the difficulties).
//
// Every list follows one protocol. A pointer's first press on an entry highlights it and a
// second press chooses it; up and down move the highlight; select chooses the highlighted
// entry. The lists share the menu lock (rt_quzo_kdis element 0): moving or choosing locks all
// controls, and the lock clears only in an update in which no pointer is down and the list's
// controls are released, so nothing repeats while held.
#include "app/app.h"
#include "framework/quzo.h"
#include "game/my_game.h"

#include <algorithm>
#include <initializer_list>

using namespace hexwend::framework;

namespace {

// rt_quzo_QUZO_MenuPos elements.
constexpr int kMenuList = 0; // 1 the main list, 2 the difficulties
constexpr int kMainHighlight = 1;
constexpr int kDifficultyHighlight = 2;
constexpr int kStartChosen = 3;
constexpr int kCurtain = 5;
constexpr int kMenuSlide = 10;
constexpr int kListLength = 12;
constexpr int kOverlayOpening = 47;

constexpr int kMainList = 1;
constexpr int kDifficultyList = 2;

constexpr int kCurtainStep = 32;
constexpr int kSlideEnd = 140;
constexpr int kSlideStep = 4;

// Controls, summed over every control block.
constexpr int kUp = 0;
constexpr int kDown = 8;
constexpr int kSelect = 10;
constexpr int kBackA = 11;
constexpr int kBackB = 12;
constexpr int kBackC = 20;

constexpr int kMoveSound = 98;
constexpr int kChooseSound = 99;

// Image slots.
constexpr int kMenuArtSlot = 68;
constexpr int kTitleSlot = 69;
constexpr int kIconSlot = 90;
constexpr int kCornerMarkFrame = 10;
constexpr int kBackFrame = 11;

float summed(int control) {
    return rt_quzo_PlayKey(control, -2);
}

bool menuLockClear() {
    return rt_quzo_kdis[locks::kMenu] == 0;
}

// The entries of one list in this update.
struct ListLayout {
    float x;
    float top;     // y of the first entry
    float spacing; // between entries
    int height;    // of each button
    int highlight; // the rt_quzo_QUZO_MenuPos element of the highlighted entry
    bool wrap;     // up on the first entry goes to the last, down on the last to the first
};

// Steps 1 to 4 of the protocol: draws the entries, moves the highlight by pointer and keys,
// and answers the entry marked for choosing in this update, or -1.
int runEntries(c_MyGame* game, const String* items, int count, const ListLayout& list) {
    int& highlight = rt_quzo_QUZO_MenuPos[list.highlight];
    int marked = -1;

    for (int k = 0; k < count; ++k) {
        const int held = game->p_TBut(list.x, list.top + list.spacing * float(k), items[k],
                                      k == highlight ? 1 : 0, list.height);
        if (held == 0) continue;
        if (k == highlight) {
            marked = k;
        } else if (menuLockClear()) {
            // A first press only highlights.
            highlight = k;
            rt_quzo_LockKeys();
            rt_quzo_PlaySFX(kMoveSound);
        }
    }

    if (menuLockClear() && summed(kUp) != 0 && (list.wrap || highlight > 0)) {
        --highlight;
        if (highlight < 0) highlight = count - 1;
        rt_quzo_LockKeys();
        rt_quzo_PlaySFX(kMoveSound);
    }
    if (menuLockClear() && summed(kDown) != 0 && (list.wrap || highlight < count - 1)) {
        ++highlight;
        if (highlight >= count) highlight = 0;
        rt_quzo_LockKeys();
        rt_quzo_PlaySFX(kMoveSound);
    }

    // Only an entry that exists can be chosen, whatever the element holds.
    if (summed(kSelect) != 0 && highlight >= 0 && highlight < count) marked = highlight;
    return marked;
}

// Step 5: the lock clears once nothing is held.
void releaseMenuLock(std::initializer_list<int> controls) {
    if (rt_quzo_mdAll != 0) return;
    for (int control : controls) {
        if (summed(control) != 0) return;
    }
    rt_quzo_kdis[locks::kMenu] = 0;
}

// Step 6: a marked entry is chosen only while the lock is clear.
bool choose(int marked) {
    if (marked < 0 || !menuLockClear()) return false;
    rt_quzo_LockKeys();
    rt_quzo_PlaySFX(kChooseSound);
    return true;
}

enum class MainAction { Start, Name, Options, Credits, Quit };

void act(MainAction action) {
    switch (action) {
    case MainAction::Start:
        rt_quzo_QUZO_MenuPos[kMenuList] = kDifficultyList;
        rt_quzo_QUZO_MenuPos[kStartChosen] = 1;
        break;
    case MainAction::Name:
        rt_quzo_QUZO_OptCred = kOverlayNameEntry;
        rt_quzo_QUZO_MenuPos[kOverlayOpening] = 0;
        break;
    case MainAction::Options:
        rt_quzo_QUZO_OptCred = kOverlayOptions;
        rt_quzo_QUZO_MenuPos[kOverlayOpening] = 128;
        break;
    case MainAction::Credits:
        rt_quzo_QUZO_OptCred = kOverlayCredits;
        break;
    case MainAction::Quit:
        rt_app_EndApp();
    }
}

// The main list, with or without the name entry; "Quit" only while the menu offers it.
void mainList(c_MyGame* game, const String* items, const MainAction* actions, int count,
              float scale, float spacing, int height, int topWithQuit, int topWithout) {
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    const bool hasQuit = rt_quzo_HasQuit == 1;
    if (!hasQuit) --count;

    rt_quzo_ResetDraw();
    rt_quzo_SetSize(scale, scale);
    const ListLayout list{float(w / 4),   float(h - (hasQuit ? topWithQuit : topWithout)),
                          spacing,        height,
                          kMainHighlight, false};
    const int marked = runEntries(game, items, count, list);
    releaseMenuLock({kUp, kDown, kSelect, kBackA});
    if (choose(marked)) act(actions[marked]);
}

String playerName() {
    return rt_quzo_MyName();
}

} // namespace

int c_MyGame::p_MainMenu() {
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    int* pos = rt_quzo_QUZO_MenuPos.Data();
    const int b = pos[kMenuSlide];

    // 1. A green background.
    rt_quzo_SetCLSCol(80, 140, 80, 1);

    // 2. The slide-in.
    if (pos[kMenuSlide] <= kSlideEnd - 1) pos[kMenuSlide] += kSlideStep;
    if (pos[kMenuSlide] > kSlideEnd) pos[kMenuSlide] = kSlideEnd;

    // 3. The menu art slides in from above, the left and below, one piece after another.
    rt_quzo_ResetDraw();
    rt_quzo_SetSize(0.85f, 0.85f);
    rt_quzo_DrawImg(kMenuArtSlot, float(w / 2), float(h / 2 - 8 * std::max(0, 140 - b)), 0);
    rt_quzo_DrawImg(kMenuArtSlot, float(w / 2 - 8 * std::max(0, 120 - b)), float(h / 2), 2);
    rt_quzo_DrawImg(kMenuArtSlot, float(w / 2), float(h / 2 + 8 * std::max(0, 100 - b)), 1);

    // 4. The difficulties.
    rt_quzo_ResetDraw();
    if (pos[kMenuList] == kDifficultyList) {
        const int chosen = p_Menu_Basic(Array<String>({"Easy", "Normal", "Hard"}));
        if (chosen >= 0) {
            rt_quzo_QUZO_GameMode = kModeToGame;
            rt_quzo_QUZO_GameType = chosen;
        }
    }

    // 5. The curtain: two triangles that cover the screen when it is closed (0) and lie
    // outside it when it is open (the screen width).
    rt_quzo_ResetDraw();
    const int m = -2 * pos[kCurtain];
    rt_quzo_SetRot(45);
    rt_quzo_SetCol(100, 100, 0, 0.75f);
    rt_quzo_Triangle(float(m - 124), -128, float(w + m + 132), float(h + 128), float(m - 124),
                     float(h + 128));
    rt_quzo_SetCol(100, 50, 0, rt_quzo_QUZO_DrawStyle[0]);
    rt_quzo_Triangle(float(-m - 128), -128, float(w - m + 132), -128, float(w - m + 132),
                     float(h + 128));

    // 6. The main list closes the curtain as the difficulties open it.
    rt_quzo_ResetDraw();
    if (pos[kMenuList] == kMainList) {
        if (rt_quzo_QUZO_AllowName == 0) p_Menu_A();
        if (rt_quzo_QUZO_AllowName == 1) p_Menu_A_Plus();
        pos[kCurtain] -= kCurtainStep;
    }
    pos[kCurtain] = std::clamp(pos[kCurtain], 0, w);

    // 7. The title drops in.
    rt_quzo_ResetDraw();
    const int d = std::max(0, 100 - b);
    if (rt_quzo_QUZO_Orientation == 0) {
        rt_quzo_SetSize(0.4f);
        rt_quzo_DrawImg(kTitleSlot, float(w / 2), float(8 * (16 - d)), 0);
    } else if (rt_quzo_QUZO_Orientation == 1) {
        rt_quzo_SetSize(0.35f);
        rt_quzo_DrawImg(kTitleSlot, float(w / 2), float(8 * (20 - d)), 0);
    }

    // 8. The corner mark.
    rt_quzo_SetSize(1);
    rt_quzo_DrawImg(kIconSlot, float(w - 64), 48, kCornerMarkFrame);

    // 9. The score panel follows the curtain.
    rt_quzo_Draw_Scoreboard(float(3 * w + m + 64), float(h - 190));
    return 0;
}

int c_MyGame::p_Menu_A_Plus() {
    static const MainAction actions[] = {MainAction::Start, MainAction::Name, MainAction::Options,
                                         MainAction::Credits, MainAction::Quit};
    const String items[] = {"Start Game", String("Name - ") + playerName(), "Options", "Credits",
                            "Quit"};
    mainList(this, items, actions, 5, 0.75f, 40, 40, 200, 160);
    return 0;
}

int c_MyGame::p_Menu_A() {
    static const MainAction actions[] = {MainAction::Start, MainAction::Options,
                                         MainAction::Credits, MainAction::Quit};
    static const String items[] = {"Start Game", "Options", "Credits", "Quit"};
    mainList(this, items, actions, 4, 1, 48, 48, 192, 144);
    return 0;
}

int c_MyGame::p_Menu_Basic(Array<String> items) {
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    const int n = items.Length();

    // 1. The list opens the curtain.
    rt_quzo_QUZO_MenuPos[kCurtain] += kCurtainStep;
    rt_quzo_ResetDraw();
    rt_quzo_QUZO_MenuPos[kListLength] = n;

    // 2, 3. The entries, with the highlight wrapping round.
    const ListLayout list{float(w / 4), float(h - 48 * n), 48, 48, kDifficultyHighlight, true};
    const int marked = runEntries(this, items.Data(), n, list);

    // 4. Back to the main list by the back icon or a back control.
    rt_quzo_ResetDraw();
    rt_quzo_Alpha(0.75f);
    const int backHeld = rt_quzo_Button(kIconSlot, 64, 64, kBackFrame);
    if ((backHeld != 0 || summed(kBackA) != 0 || summed(kBackB) != 0 || summed(kBackC) != 0) &&
        menuLockClear()) {
        rt_quzo_LockKeys();
        rt_quzo_QUZO_MenuPos[kMenuList] = kMainList;
        rt_quzo_PlaySFX(kChooseSound);
    }

    // 5, 6.
    releaseMenuLock({kUp, kDown, kSelect, kBackA, kBackB, kBackC});
    return choose(marked) ? marked + 1 : -1;
}

int c_MyGame::p_TBut(float x, float y, String text, int state, int height) {
    int end = 0;
    if (state == 0) {
        end = rt_quzo_Text(x, y, text, 0, 1, 0, 0);
    } else if (state == 1) {
        static const String marker("> ");
        end = rt_quzo_Text(x, y, marker + text, 0, 1, 0, 0);
    }
    // Without a font nothing is drawn and the box has a negative width: no hits.
    return rt_quzo_MouseIn(x, y - float((height - 8) / 2), float(end) - x, float(height - 8));
}

int c_MyGame::p_TBut2(float x, float y, String text, int state) {
    return p_TBut(x, y, text, state, 48);
}
