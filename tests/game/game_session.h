// The real game on the headless host, in a working folder of its own (the state file is
// written there), with audio on OpenAL Soft's silent driver and the build's data folder.
#pragma once

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "framework/quzo.h"
#include "game/my_game.h"
#include "tests/framework/framework_support.h"
#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <vector>

namespace hexwend::testing {

class GameSession : public ::testing::Test {
  protected:
    void SetUp() override {
        useSilentAudio();
        prepare();
        app = startGame();
    }

    // Runs before the game starts (a state file to load, another data folder).
    virtual void prepare() {}
    // The runtime's start with the game's application object, then the game's start.
    virtual c_MyGame* startGame() { return game.start<c_MyGame>(hexwend::game::registerModules); }

    // Runs updates; afterwards lastUpdateRecords() holds what the last one drew and sounds() the
    // effect slots it played, in order.
    void update(int count = 1) {
        for (int i = 0; i < count; ++i) {
            const int channelBefore = rt_quzo_QUZO_LChan;
            rt_quzo_Bufferup = 0;
            host->update();
            sounds_.clear();
            for (int c = channelBefore; c != rt_quzo_QUZO_LChan;) {
                c = (c + 1) % framework::kEffectChannels;
                sounds_.push_back(slotOfChannel(c));
            }
        }
    }

    const std::vector<int>& sounds() const { return sounds_; }

    // The 61 loading steps; the last also runs the main menu.
    void finishLoading() {
        update(61);
        ASSERT_EQ(rt_quzo_QUZO_Loader, 0);
    }

    // A key held for one update and released in the next.
    void tap(int key) {
        host->press(key);
        update();
        host->release(key);
        update();
    }

    // The virtual screen's point in window pixels.
    static float toWindow(float v) { return rt_quzo_QUZO_Scale > 0 ? v * rt_quzo_QUZO_Scale : v; }

    // A pointer press at a virtual-screen point held for one update, released in the next.
    void touch(float x, float y) {
        host->moveMouse(toWindow(x), toWindow(y));
        host->mouseDown();
        update();
        host->mouseUp();
        update();
    }

    static std::vector<Record> imagesOf(int slot) {
        std::vector<Record> out;
        for (const Record& r : lastUpdateRecords()) {
            if (r.kind() == framework::kKindImage && r.slot() == slot) out.push_back(r);
        }
        return out;
    }

    static int menu(int element) { return rt_quzo_QUZO_MenuPos[element]; }

    TempFolder folder;
    InWorkingFolder inFolder{folder.path()};
    HeadlessGame game;
    // The host the helpers drive: the one above unless a test starts another.
    HeadlessGame* host = &game;
    c_MyGame* app = nullptr;

  private:
    // The effect slot whose sound the channel last started, or -1.
    static int slotOfChannel(int channel) {
        if (!gxtkAudio::audio) return -1;
        gxtkSample* sample = gxtkAudio::audio->channels[channel].sample;
        for (int slot = 0; slot < framework::kEffectSlots; ++slot) {
            c_Sound* sound = rt_quzo_QUZO_SFX[slot];
            if (sample && sound && sound->m_sample == sample) return slot;
        }
        return -1;
    }

    std::vector<int> sounds_;
};

} // namespace hexwend::testing
