#include "platform/url.h"

#include "platform/thread.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace hexwend::platform {

namespace {

// Waits for one started opener and collects its exit status, on a thread of its own so the
// caller never waits.
void reap(pid_t pid) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

bool openUrl(const std::string& url) {
    if (url.empty() || url.front() == '-' || url.find('\0') != std::string::npos) return false;

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }

    // The opener must not read the game's standard input (a debugger may be talking on it).
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    // Start the opener with no blocked signals and default handling of the ones this process
    // may have changed.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string program = "xdg-open";
    std::string argument = url;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = -1;
    int result = posix_spawnp(&pid, "xdg-open", &actions, &attributes, argv, environ);

    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) return false;

    if (!startDetachedThread([pid] { reap(pid); })) {
        // Without a thread to wait, collect it now if it has already finished; otherwise it
        // stays a zombie until this process ends.
        ::waitpid(pid, nullptr, WNOHANG);
    }
    return true;
}

} // namespace hexwend::platform
