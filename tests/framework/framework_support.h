// Shared set-up of the framework tests: the runtime with every module up to the framework on
// the headless host, and helpers to read the records of the draw list and the render buffer.
#pragma once

#include "framework/quzo.h"
#include "tests/support/headless_game.h"
#include "tests/support/openal_config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace hexwend::testing {

// One record of the draw list or the render buffer.
struct Record {
    const float* f;

    float alpha() const { return f[0]; }
    float red() const { return f[1]; }
    float green() const { return f[2]; }
    float blue() const { return f[3]; }
    float sizeX() const { return f[4]; }
    float sizeY() const { return f[5]; }
    float rotation() const { return f[6]; }
    float skewX() const { return f[7]; }
    float skewY() const { return f[8]; }
    int kind() const { return int(f[9]); }
    int slot() const { return int(f[10]); }
    float x() const { return f[11]; }
    float y() const { return f[12]; }
    int frame() const { return int(f[13]); }
    float w() const { return f[13]; }
    float h() const { return f[14]; }
};

inline Record drawRecord(int i) {
    return Record{rt_quzo_QUZO_Draw.Data() + i * framework::kRecordFloats};
}

inline Record bufferRecord(int i) {
    return Record{rt_quzo_QUZO_Buffer.Data() + i * framework::kRecordFloats};
}

// The records of the last update: those it published are in the render buffer; an update
// that records fewer than 16 leaves them unpublished in the draw list.
inline std::vector<Record> lastUpdateRecords() {
    std::vector<Record> out;
    if (rt_quzo_Sprtup > 0) {
        for (int i = 0; i < rt_quzo_Sprtup; ++i) out.push_back(drawRecord(i));
    } else {
        for (int i = 0; i < rt_quzo_Bufferup; ++i) out.push_back(bufferRecord(i));
    }
    return out;
}

// A fresh runtime and framework on the headless host for every test; the host's clock is
// scripted (game.advance).
class FrameworkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        game.startRuntime<c_App>(framework::registerModules);
        rt_quzo_ResetDraw();
    }

    HeadlessGame game;
};

} // namespace hexwend::testing
