// libFuzzer target: loading the state record from arbitrary state text. Whatever the text,
// loading must not crash or read out of bounds, and what it leaves must be sound:
// - the settings that never carry over are cleared, the display name has 13 characters and
//   the identity text 17, and the identity's date half is the host's date or a loaded one;
// - the state saved after the load loads again with every check passing: loading it and
//   saving once more gives the very same text.
//
// The input bytes are decoded as the host decodes the state file. Inputs that start with
// "+" are put behind a valid record's header and first settings, so that the fuzzer reaches
// the identity and score groups without having to find the header first.
#include "framework/persistence.h"
#include "framework/quzo.h"
#include "host/rt_game.h"
#include "runtime/init.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// A host whose state store is memory, with a fixed clock and date.
class MemoryHost : public RtGame {
  public:
    String state;
    String saved;

    int Millisecs() override { return 123456; }
    void GetDate(Array<int> date) override {
        const int fields[7] = {2025, 3, 14, 15, 9, 26, 0};
        for (int i = 0; i < date.Length() && i < 7; ++i) date[i] = fields[i];
    }
    String LoadState() override { return state; }
    int SaveState(String text) override {
        saved = text;
        return 0;
    }
};

MemoryHost* host = nullptr;

void startUp() {
    host = new MemoryHost();
    gc_init1();
    rtAddModuleInit(rt_quzo_Init);
    rtInit();
    gc_init2();
}

// Back to the start-up values of everything the load reads or writes.
void reset() {
    for (int i = 0; i < rt_quzo_QUZO_Set.Length(); ++i) rt_quzo_QUZO_Set[i] = 0;
    for (int i = 0; i < rt_quzo_QUZO_Username.Length(); ++i) rt_quzo_QUZO_Username[i] = 0;
    for (int i = 0; i < rt_quzo_QUZO_Score.Length(); ++i) rt_quzo_QUZO_Score[i] = 0;
    rt_quzo_QUZO_UserIDA = 0;
    rt_quzo_QUZO_UserIDB = 0;
    rt_quzo_QUZO_DebugMode = 0;
    rt_quzo_QUZO_ScreenshotMode = 0;
    rt_quzo_QUZO_GameNum = 506;
}

// The start of a valid record of game 506, up to and including its settings check.
String validPrefix() {
    reset();
    String record = hexwend::framework::persist::stateRecord();
    Array<String> e = record.Split("|");
    String prefix;
    for (int k = 0; k <= hexwend::framework::persist::kSettingsCheckElement; ++k) {
        prefix += e[k] + "|";
    }
    return prefix;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!host) startUp();
    static const String prefix = validPrefix();

    String text = String::FromBytes(data, size);
    if (text.Length() > 0 && text[0] == '+') text = prefix + text.Slice(1);

    reset();
    host->state = text;
    rt_quzo_Load();

    check(rt_quzo_QUZO_Set[23] == 0);
    check(rt_quzo_QUZO_Set[21] == 0);
    check(rt_quzo_QUZO_ScreenshotMode == 0);
    check(rt_quzo_QUZO_DebugMode == rt_quzo_QUZO_Set[22]);
    check(rt_quzo_QUZO_UserIDA != 0);
    check(rt_quzo_MyName().Length() == 13);
    check(rt_quzo_MyUserID().Length() == 17);

    // Save, load that, save again: a record the program wrote passes every check.
    rt_quzo_Save();
    const String first = host->saved;
    reset();
    host->state = first;
    rt_quzo_Load();
    rt_quzo_Save();
    check(host->saved == first);

    gc_collect_all();
    gc_flush_free(INT_MAX);
    return 0;
}
