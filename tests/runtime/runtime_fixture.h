// Shared set-up of the runtime tests: every test starts from a freshly reset collector and
// freshly initialised module globals, and leaves nothing behind for the next one.
#pragma once

#include "runtime/gc.h"
#include "runtime/init.h"
#include "runtime/string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hexwend::testing {

class RuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rtClearModuleInits();
        gc_clear_roots();
        gc_reset();
        rtInit();
    }
    void TearDown() override {
        gc_clear_roots();
        gc_reset();
    }
};

// The characters of a string as a std::u16string, so that gtest can compare and print them.
inline std::u16string chars(const String& s) {
    return std::u16string(s.Data(), size_t(s.Length()));
}

inline std::vector<std::u16string> chars(const Array<String>& a) {
    std::vector<std::u16string> out;
    for (int i = 0; i < a.Length(); ++i) out.push_back(chars(a[i]));
    return out;
}

} // namespace hexwend::testing
