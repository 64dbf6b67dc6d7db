#pragma once

#include <string>

// Handing a URL to the desktop's opener.

namespace hexwend::platform {

// Starts `xdg-open` (found through PATH) with `url` as its one argument, directly and without
// a shell, so no character of the URL is interpreted. Returns at once, without waiting for the
// opener to finish; the finished opener is reaped in the background, so it never lingers as a
// zombie process. The opener reads its standard input from /dev/null and inherits no socket or
// file this process opened through this layer.
//
// Returns true when the opener was started; false when the URL is empty, contains a NUL byte
// or begins with '-' (which the opener would take as an option), or when no `xdg-open` can be
// started.
bool openUrl(const std::string& url);

} // namespace hexwend::platform
