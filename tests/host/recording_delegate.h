// A game delegate that records the host's calls, for tests of the host without the
// application layer.
#pragma once

#include "host/rt_game.h"
#include "runtime/init.h"

#include <functional>
#include <string>
#include <vector>

namespace hexwend::testing {

class RecordingDelegate : public RtGameDelegate {
  public:
    std::vector<std::string> calls;
    int renders = 0;
    int updates = 0;
    // The render count (the loop pass) at which each update ran.
    std::vector<int> updatePasses;
    std::function<void()> onRender;
    std::function<void()> onUpdate;
    std::function<void()> onStart;

    void StartGame() override {
        calls.push_back("start");
        if (onStart) onStart();
    }
    void SuspendGame() override { calls.push_back("suspend"); }
    void ResumeGame() override { calls.push_back("resume"); }
    void UpdateGame() override {
        calls.push_back("update");
        ++updates;
        updatePasses.push_back(renders);
        if (onUpdate) onUpdate();
    }
    void RenderGame() override {
        calls.push_back("render");
        ++renders;
        if (onRender) onRender();
    }
    void KeyEvent(int event, int data) override {
        calls.push_back("key " + std::to_string(event) + " " + std::to_string(data));
    }
    void MouseEvent(int event, int data, float x, float y) override {
        calls.push_back("mouse " + std::to_string(event) + " " + std::to_string(data) + " " +
                        std::to_string(int(x)) + " " + std::to_string(int(y)));
    }
    void TouchEvent(int, int, float, float) override { calls.push_back("touch"); }
    void MotionEvent(int, int, float, float, float) override { calls.push_back("motion"); }
    void DiscardGraphics() override { calls.push_back("discard"); }

    // How many updates ran in each loop pass, pass 1 first.
    std::vector<int> updatesPerPass() const {
        std::vector<int> perPass(size_t(renders), 0);
        for (int pass : updatePasses) {
            if (pass >= 1) ++perPass[size_t(pass - 1)];
        }
        return perPass;
    }
};

// Resets the runtime (collector and module globals) with no game modules and no game.
inline void startBareRuntime() {
    rtClearModuleInits();
    host::startRuntime(0, nullptr, [] { return 0; });
}

} // namespace hexwend::testing
