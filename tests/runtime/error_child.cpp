// A small program that does one thing that ends a process through the runtime's error paths,
// chosen by its first argument. The error tests run it and check what it writes and how it
// exits.
#include "runtime/errors.h"
#include "runtime/gc.h"
#include "runtime/init.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

// A real invalid memory access that no compiler can see coming (and that the undefined
// behaviour checker of a sanitizer build lets through to the processor).
__attribute__((no_sanitize("null"))) void writeThroughNull() {
    volatile int* volatile target = nullptr;
    *target = 1;
}

const std::map<std::string, std::function<void()>> actions = {
    {"print-euro", [] { rtPrint(String(u"\u20ac")); }},
    {"print-then-end",
     [] {
         rtPrint(String("last words"));
         rtError(String());
     }},
    {"error", [] { rtError(String("Array index out of range")); }},
    {"dbg-error", [] { dbg_error("Not implemented"); }},
    {"stop",
     [] {
         rtDebugStop();
         rtPrint(String("continued"));
     }},
    {"segv",
     [] {
         rtInstallSignalHandlers();
         writeThroughNull();
     }},
    {"fpe",
     [] {
         rtInstallSignalHandlers();
         std::raise(SIGFPE);
     }},
    {"ill",
     [] {
         rtInstallSignalHandlers();
         std::raise(SIGILL);
     }},
    {"other-signal", [] { sighandler(SIGTERM); }},
    {"object",
     [] {
         // Shows the address of a live object, then stops at an error so that the
         // debugger can ask about it.
         Object* object = new Object();
         rtPrint(dbg_ptr_value(object));
         rtError(String("Stopped with an object"));
     }},
    {"list-error",
     [] {
         gc_object* object = new Object();
         object->succ = object; // a link that no longer points back
         gc_validate_list(&gc_unmarked_list, "after corruption");
     }},
    {"list-error-quiet",
     [] {
         gc_object* object = new Object();
         object->pred = nullptr;
         gc_validate_list(&gc_unmarked_list, nullptr);
     }},
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !actions.count(argv[1])) {
        std::fprintf(stderr, "usage: error_child ACTION\n");
        return 2;
    }
    gc_init1();
    rtInit();
    gc_init2();
    actions.at(argv[1])();
    return 0;
}
