#include "runtime/init.h"

#include "runtime/containers.h"
#include "runtime/errors.h"
#include "runtime/random.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMaxModules = 32;
rtModuleInit modules[kMaxModules];
int moduleCount = 0;

} // namespace

void rtAddModuleInit(rtModuleInit init) {
    for (int i = 0; i < moduleCount; ++i) {
        if (modules[i] == init) return;
    }
    if (moduleCount == kMaxModules) {
        std::fputs("Too many modules\n", stdout);
        std::exit(-1);
    }
    modules[moduleCount++] = init;
}

void rtClearModuleInits() {
    moduleCount = 0;
}

int rtInit() {
    gc_clear_roots();
    rt_random_Seed = 1234;
    c_Stack2::m_NIL = String();
    c_Stack3::m_NIL = nullptr;
    dbg_exstack = String();
    for (int i = 0; i < moduleCount; ++i) modules[i]();
    gc_add_root("c_Stack3::m_NIL", c_Stack3::m_NIL);
    return 0;
}
