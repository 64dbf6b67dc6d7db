// The runtime start-up.
#include "host/rt_game.h"

#include "runtime/errors.h"
#include "runtime/init.h"

#include <clocale>

int argc = 0;
const char** argv = nullptr;

namespace hexwend::host {

int startRuntime(int argCount, const char** args, int (*gameMain)()) {
    ::argc = argCount;
    ::argv = args;
    rtInstallSignalHandlers();
    if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");
    gc_init1();
    rtInit();
    gc_init2();
    gameMain();
    return 0;
}

} // namespace hexwend::host
