#pragma once

#include <functional>

// Detached operating-system threads: started, never joined; each ends when its work returns.

namespace hexwend::platform {

// Starts a detached thread with default attributes and stack size that calls `entry(arg)`.
// Returns true when the thread was created; false when the system refuses a thread, in which
// case `entry` is never called and the caller decides what to do (the thread object prints
// "CreateThread failed!" and ends the process).
bool startDetachedThread(void (*entry)(void*), void* arg);

// The same for any callable; `work` is moved onto the new thread and destroyed there after it
// returns. Returns false, without running `work`, when the thread cannot be created or `work`
// is empty.
bool startDetachedThread(std::function<void()> work);

} // namespace hexwend::platform
