// Local score tables, the score panel and the in-game score line.
#include "framework/scores.h"

#include "framework/quzo.h"
#include "host/rt_game.h"

#include <climits>
#include <cmath>

using namespace hexwend::framework::scores;
namespace settings = hexwend::framework::settings;

namespace {

constexpr float kDegrees = 0.0174532924f;

// A float truncated toward zero, held inside the int range (not a number gives 0).
int truncated(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483648.0f) return INT_MAX;
    if (v <= -2147483648.0f) return INT_MIN;
    return int(v);
}

// The first element of a game type's row, or -1 for a type outside the table.
int rowOf(int gameType) {
    return gameType >= 0 && gameType < kRows ? gameType * kRowLength : -1;
}

int millisecs() {
    return RtGame::_game ? RtGame::_game->Millisecs() : 0;
}

// The displacement of a highlighted entry, swaying with the clock.
struct Wobble {
    float dx = 0;
    float dy = 0;
};

Wobble wobble() {
    const float t = float(millisecs());
    return {3.0f * float(std::sin(double(t / 3.0f * kDegrees))),
            -float(std::cos(double(t / 4.5f * kDegrees)))};
}

// Text centred on a point, or starting at it and centred vertically.
void centred(float x, float y, const String& text) {
    rt_quzo_Text(x, y, text, 1, 1, 0, 0);
}

void fromLeft(float x, float y, const String& text) {
    rt_quzo_Text(x, y, text, 0, 1, 0, 0);
}

// The row of the game type the main menu has highlighted, or -1 while its highlight lies
// outside the list on screen (or the type outside the table).
int highlightedRow() {
    const int sel = rt_quzo_QUZO_MenuPos[2];
    if (sel < 0 || sel >= rt_quzo_QUZO_MenuPos[12]) return -1;
    return rowOf(sel + 1);
}

// The text of a player's score on the score line, made again only when the score changes,
// so that drawing the line every update allocates nothing in steady play.
String scoreText(int player, int value) {
    constexpr int kLinePlayers = 5;
    static int shown[kLinePlayers];
    static String texts[kLinePlayers];
    if (player < 0 || player >= kLinePlayers) return String(value);
    if (texts[player].Length() == 0 || shown[player] != value) {
        shown[player] = value;
        texts[player] = String(value);
    }
    return texts[player];
}

} // namespace

namespace hexwend::framework::scores {

String rightAligned(int value) {
    String padded = String("            ") + String(value);
    return padded.Slice(padded.Length() - 8);
}

} // namespace hexwend::framework::scores

int rt_quzo_AddScore(int (*sendScores)(int mode)) {
    const float s = rt_quzo_plr[kFinalScoreElement];
    const int stored = truncated(s);
    rt_quzo_QUZO_LastPlay = rt_quzo_QUZO_GameType;

    int rank = -1;
    const int r = rowOf(rt_quzo_QUZO_GameType);
    if (r >= 0) {
        int* row = rt_quzo_QUZO_Score.Data() + r;
        for (int k = 0; k < kBestColumns; ++k) {
            if (float(row[k]) < s) {
                rank = k;
                break;
            }
        }
        if (rank >= 0) {
            for (int k = kBestColumns - 1; k > rank; --k) row[k] = row[k - 1];
            row[rank] = stored;
        }
        // The recent games move along whatever the rank.
        for (int k = kFirstRecentColumn + kRecentColumns - 1; k > kFirstRecentColumn; --k) {
            row[k] = row[k - 1];
        }
        row[kFirstRecentColumn] = stored;
    }
    rt_quzo_QUZO_LastRank = rank;

    int& games = rt_quzo_QUZO_Set[settings::kFinishedGames];
    games = int(unsigned(games) + 1u);
    if ((games % 5 == 1 || rank == 0) && sendScores) sendScores(0);

    rt_quzo_Save();
    return 0;
}

int rt_quzo_Draw_Scoreboard(float x, float y) {
    const float top = float(truncated(y - 96));

    rt_quzo_ResetDraw();
    rt_quzo_DrawImg(kPanelSlot, x, y, 0);
    rt_quzo_SetSize(0.5f, 0.5f);
    centred(x - 64, top, "Top 5");

    const int r = highlightedRow();
    const int* score = rt_quzo_QUZO_Score.Data();
    if (r >= 0) {
        const bool lastPlayed = r == rowOf(rt_quzo_QUZO_LastPlay);
        for (int i = 0; i < kBestColumns; ++i) {
            Wobble w;
            if (lastPlayed && i == rt_quzo_QUZO_LastRank) w = wobble();
            centred(x - 56 + w.dx, top + 40 + 28.0f * float(i) + w.dy, rightAligned(score[r + i]));
        }

        // The recent games as a small chart scaled to the best score.
        const float best = score[r] != 0 ? float(score[r]) : 1.0f;
        rt_quzo_SetSize(0.4f, 0.4f);
        for (int i = 0; i < kRecentColumns; ++i) {
            rt_quzo_Ink(i + 1, 1);
            rt_quzo_SetRot(15.0f * float(i));
            rt_quzo_DrawImg(kStarsSlot, x - 100 + 22.0f * float(i),
                            float(rt_quzo_jscrh - 78) -
                                40.0f * float(score[r + kFirstRecentColumn + i]) / best,
                            0);
        }
    }

    if (rt_quzo_QUZO_OnlineBoard == 1) {
        const float ox = float(rt_quzo_jscrw) - x;
        rt_quzo_ResetDraw();
        rt_quzo_SetSize(-1, 1);
        rt_quzo_DrawImg(kPanelSlot, ox, y, 0);
        rt_quzo_SetSize(0.45f, 0.45f);
        centred(ox + 64, top, "Online");
        if (r >= 0) {
            for (int i = 0; i < kBestColumns; ++i) {
                const float h = top + 30 + 38.0f * float(i);
                Wobble w;
                if (rt_quzo_QUZO_OnScore[r + i] == score[r]) w = wobble();
                fromLeft(ox + 6 + w.dx, h + w.dy, rt_quzo_QUZO_OnName[r + i]);
                centred(ox + 56 + w.dx, h + 16 + w.dy, rightAligned(rt_quzo_QUZO_OnScore[r + i]));
            }
        }
    }
    return 0;
}

int rt_quzo_ShowScores(int mode, int /*ignored*/, int p2, int p3, int p4, int p5) {
    rt_quzo_ResetDraw();
    if (rt_quzo_QUZO_ScreenshotMode != 0) return 0;

    const int count = 1 + (p2 > 0) + (p3 > 0) + (p4 > 0) + (p5 > 0);
    const int w = rt_quzo_jscrw / count;
    int c = w / 2;
    for (int p = 0; p < count; ++p) {
        const float cx = float(c);
        rt_quzo_SetSize(0.15f);
        rt_quzo_SetCol(255, 255, 255, 0.75f);
        if (mode == 1) {
            const int lives = truncated(rt_quzo_plr[p * 100 + 51]);
            if (lives > 0) rt_quzo_DrawImg(kIconsSlot, cx - 16, 36, kLifeFrame);
            if (lives > 1) rt_quzo_DrawImg(kIconsSlot, cx, 36, kLifeFrame);
            if (lives > 2) rt_quzo_DrawImg(kIconsSlot, cx + 16, 36, kLifeFrame);
        }
        rt_quzo_SetSize(count > 2 ? 0.5f : 0.75f);
        rt_quzo_SetCol(100, 255, 100, 0.75f);
        centred(cx, 16, scoreText(p, truncated(rt_quzo_plr[p * 100 + 50])));
        c += w;
    }
    return 0;
}
