// Linked into the test programs (and the programs they run) of the sanitizer build only.
//
// The OpenGL driver (and the libraries it brings) keeps a few blocks to the end of the
// process, reachable from its own globals. When GLFW closes its display, the driver is
// unloaded: its globals vanish, so the leak checker reports those blocks, and since the
// library is gone it can no longer name it, so no suppression by library can match. A
// dlclose that unloads nothing keeps every such block reachable, and any leak that does
// remain inside a system library keeps a stack the suppressions in scripts/lsan.supp can
// match. The program's own dlclose calls are unaffected in effect: a library stays mapped
// until the process ends, as it would if another user still held it.
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
