// Settings, identity and the state record.
#include "framework/persistence.h"

#include "framework/quzo.h"
#include "host/rt_game.h"
#include "runtime/random.h"

#include <charconv>
#include <cmath>
#include <string>

using namespace hexwend::framework::persist;
namespace settings = hexwend::framework::settings;

namespace {

// The default name "Name": character codes minus 32.
constexpr int kDefaultName[4] = {'N' - 32, 'a' - 32, 'm' - 32, 'e' - 32};

// --- 32-bit arithmetic of the check numbers: wrapping, never trapping --------------------

int add(int a, int b) {
    return int(unsigned(a) + unsigned(b));
}

int mul(int a, int b) {
    return int(unsigned(a) * unsigned(b));
}

// The remainder with the sign of the dividend. A modulus of 0 leaves the value as it is and
// -1 gives 0, where the division would trap; only extreme game numbers make either.
int mod(int a, int m) {
    if (m == 0) return a;
    if (m == -1) return 0;
    return a % m;
}

// The modulus of the settings and identity checks, and that of the score blocks.
int groupModulus() {
    return add(rt_quzo_QUZO_GameNum, 1000);
}

int scoreModulus() {
    return add(mul(rt_quzo_QUZO_GameNum, 23), 1237);
}

// One score folded into its block's check.
int foldScore(int check, int m, int score, int scoreMod) {
    return mod(add(add(add(m + 1, score), rt_quzo_QUZO_GameNum), check), scoreMod);
}

// --- The host's services; without a host the clock stands at 0 and the date is empty ----

int hostMillisecs() {
    return RtGame::_game ? RtGame::_game->Millisecs() : 0;
}

void hostDate(Array<int> date) {
    if (RtGame::_game) RtGame::_game->GetDate(date);
}

// Settings that do not carry over into a new run: the overscan off the console host (the
// option only ever holds 0 ... 10, so a negative value is cleared as well as a positive
// one), the screenshot switch; the frame-rate display follows its setting.
void clearRunSettings() {
    if (rt_quzo_isOuya != 1 && rt_quzo_QUZO_Set[settings::kOverscan] != 0)
        rt_quzo_QUZO_Set[settings::kOverscan] = 0;
    rt_quzo_QUZO_DebugMode = rt_quzo_QUZO_Set[settings::kFrameRate];
    rt_quzo_QUZO_Set[settings::kScreenshotMode] = 0;
    rt_quzo_QUZO_ScreenshotMode = 0;
}

// --- Writing ------------------------------------------------------------------------------

// Appends a value as "%i" writes it, then the separator.
void put(std::string& out, int value) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
    out.push_back('|');
}

} // namespace

namespace hexwend::framework::persist {

String stateRecord() {
    rt_quzo_QUZO_Set[settings::kGameNumber] = rt_quzo_QUZO_GameNum;
    const int groupMod = groupModulus();
    const int scoreMod = scoreModulus();

    std::string out;
    out.reserve(size_t(kRecordElements) * 4);
    out += kHeader;
    out.push_back('|');

    int check = 0;
    for (int i = 0; i < kSettings; ++i) {
        put(out, rt_quzo_QUZO_Set[i]);
        check = mod(add(check, rt_quzo_QUZO_Set[i]), groupMod);
    }
    put(out, check);

    check = 0;
    for (int i = 0; i < kNameLength; ++i) {
        put(out, rt_quzo_QUZO_Username[i]);
        check = mod(add(check, rt_quzo_QUZO_Username[i]), groupMod);
    }
    put(out, rt_quzo_QUZO_UserIDA);
    check = mod(add(check, rt_quzo_QUZO_UserIDA), groupMod);
    put(out, rt_quzo_QUZO_UserIDB);
    check = mod(add(check, rt_quzo_QUZO_UserIDB), groupMod);
    put(out, check);

    check = 0;
    for (int m = 0; m < kScores; ++m) {
        put(out, rt_quzo_QUZO_Score[m]);
        check = foldScore(check, m, rt_quzo_QUZO_Score[m], scoreMod);
        if (m % kScoreBlock == kScoreBlock - 1) {
            put(out, check);
            check = 0;
        }
    }
    return String(out.c_str());
}

void loadStateRecord(const String& record) {
    const Array<String> e = record.Split("|");
    const int n = e.Length();
    auto element = [&e](int k) { return e[k].ToInt(); };

    // Defaults and a fresh identity stand whatever follows.
    rt_quzo_SetDefaults();
    rt_quzo_QUZO_UserIDA = 0;
    rt_quzo_NewUser();

    // Another header, or none (no state at all): nothing is loaded.
    if (n < 1 || e[0] != String(kHeader)) return;

    // Settings. A failed check lays the defaults over what was loaded.
    const int groupMod = groupModulus();
    int check = 0;
    for (int k = 1; k <= kSettings && k < n; ++k) {
        rt_quzo_QUZO_Set[k - 1] = element(k);
        check = mod(add(check, rt_quzo_QUZO_Set[k - 1]), groupMod);
    }
    if (n > kSettingsCheckElement && element(kSettingsCheckElement) != check) {
        rt_quzo_SetDefaults();
    }

    // A record of another game brings in nothing else, not even its screenshot switch.
    if (rt_quzo_QUZO_Set[settings::kGameNumber] != rt_quzo_QUZO_GameNum) {
        rt_quzo_SetDefaults();
        clearRunSettings();
        return;
    }

    // Name and identity.
    check = 0;
    for (int k = kFirstNameElement; k < kFirstNameElement + kNameLength && k < n; ++k) {
        rt_quzo_QUZO_Username[k - kFirstNameElement] = element(k);
        check = mod(add(check, element(k)), groupMod);
    }
    if (n > kUserIdAElement) {
        rt_quzo_QUZO_UserIDA = element(kUserIdAElement);
        check = mod(add(check, rt_quzo_QUZO_UserIDA), groupMod);
    }
    if (n > kUserIdBElement) {
        rt_quzo_QUZO_UserIDB = element(kUserIdBElement);
        check = mod(add(check, rt_quzo_QUZO_UserIDB), groupMod);
    }
    if (n > kIdentityCheckElement && element(kIdentityCheckElement) != check) {
        // The name belongs to the group that failed: it goes with the identity, so that no
        // damaged name is shown or sent, and the player is asked for a name again.
        for (int i = 0; i < kNameLength; ++i) rt_quzo_QUZO_Username[i] = 0;
        rt_quzo_QUZO_UserIDA = 0;
        rt_quzo_QUZO_UserIDB = 0;
        rt_quzo_NewUser();
    }
    if (rt_quzo_QUZO_UserIDA == 0) rt_quzo_NewUser();

    clearRunSettings();

    // Scores, block by block; a block that fails its check becomes 0. A score whose element
    // is missing keeps its value.
    const int scoreMod = scoreModulus();
    check = 0;
    int k = kFirstScoreElement;
    for (int m = 0; m < kScores; ++m) {
        if (k < n) rt_quzo_QUZO_Score[m] = element(k);
        check = foldScore(check, m, rt_quzo_QUZO_Score[m], scoreMod);
        if (m % kScoreBlock == kScoreBlock - 1 && n > k + 1) {
            if (element(k + 1) != check) {
                for (int i = m - (kScoreBlock - 1); i <= m; ++i) rt_quzo_QUZO_Score[i] = 0;
            }
            check = 0;
            k += 2;
        } else {
            k += 1;
        }
    }
}

} // namespace hexwend::framework::persist

int rt_quzo_Save() {
    String record = stateRecord();
    // A failed write is not reported; the game goes on with the values it holds.
    if (RtGame::_game) RtGame::_game->SaveState(record);
    return 0;
}

int rt_quzo_Load() {
    loadStateRecord(RtGame::_game ? RtGame::_game->LoadState() : String());
    return 0;
}

int rt_quzo_SetDefaults() {
    const bool console = rt_quzo_isOuya == 1;
    rt_quzo_QUZO_Set[settings::kMusicVolume] = 7;
    rt_quzo_QUZO_Set[settings::kEffectsVolume] = 7;
    rt_quzo_QUZO_Set[settings::kInvertLeftStick] = console ? 0 : 1;
    rt_quzo_QUZO_Set[settings::kInvertRightStick] = console ? 0 : 1;
    rt_quzo_QUZO_Set[settings::kOverscan] = console ? 5 : 0;
    rt_quzo_QUZO_Set[settings::kFrameRate] = 0;
    return 0;
}

int rt_quzo_NewUser() {
    for (int i = 0; i < 4; ++i) rt_quzo_QUZO_Username[i] = kDefaultName[i];
    rt_quzo_SeedRnd(kSeedFromClock);

    // Year, month, day, hour, minute, second, milliseconds.
    Array<int> date(7);
    hostDate(date);
    rt_quzo_QUZO_UserIDA = add(add(mul(date[0], 10000), mul(date[1], 100)), date[2]);

    // The previous value is added to: callers that want a fresh one clear it first.
    const int r = int(std::floor(double(rt_random_Rnd()) * 999.99));
    int b = rt_quzo_QUZO_UserIDB;
    b = add(b, mul(date[3], 10000000));
    b = add(b, mul(date[4], 100000));
    b = add(b, mul(date[5], 1000));
    rt_quzo_QUZO_UserIDB = add(b, r);
    return 0;
}

String rt_quzo_MyName() {
    String::Char chars[kShownNameLength];
    for (int i = 0; i < kShownNameLength; ++i) {
        chars[i] = String::Char(unsigned(add(rt_quzo_QUZO_Username[i], 32)) & 0xffff);
    }
    String name(chars, kShownNameLength);
    if (name == String("Name         ")) name = String("Enter Name");
    return (name + String("             ")).Slice(0, kShownNameLength);
}

String rt_quzo_MyUserID() {
    const String zeros("00000000000000000");
    String a = zeros + String(rt_quzo_QUZO_UserIDA);
    String b = zeros + String(rt_quzo_QUZO_UserIDB);
    return a.Slice(a.Length() - 8) + b.Slice(b.Length() - 9);
}

int rt_quzo_AllowName(int allow) {
    rt_quzo_QUZO_AllowName = allow;
    return 0;
}

int rt_quzo_SeedRnd(int seed) {
    if (seed == kSeedFromClock) seed = hostMillisecs();
    rt_quzo_QUZO_Seed = seed;
    int x = seed;
    for (int i = 0; i < 21; ++i) x = add(mul(x, 1664525), 1013904223);
    rt_random_Seed = x;
    return 0;
}
