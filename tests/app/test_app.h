// An application for tests: records its hooks and runs what a test gives it.
#pragma once

#include "app/app.h"

#include <functional>
#include <string>
#include <vector>

namespace hexwend::testing {

class TestApp : public c_App {
  public:
    std::vector<std::string> calls;
    std::function<void()> onCreate;
    std::function<void()> onUpdate;
    std::function<void()> onRender;

    int p_OnCreate() override {
        calls.push_back("create");
        if (onCreate) onCreate();
        return 0;
    }
    int p_OnResume() override {
        calls.push_back("resume");
        return 0;
    }
    int p_OnUpdate() override {
        calls.push_back("update");
        if (onUpdate) onUpdate();
        return 0;
    }
    int p_OnRender() override {
        calls.push_back("render");
        if (onRender) onRender();
        return 0;
    }
};

} // namespace hexwend::testing
