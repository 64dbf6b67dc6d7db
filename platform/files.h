#pragma once

#include <cstdio>
#include <string>

// The running executable's location, and opening files by a UTF-8 name.

namespace hexwend::platform {

// The full path of the running executable, as the kernel reports it (/proc/self/exe), with
// symbolic links resolved. Empty if it cannot be read.
std::string executablePath();

// The folder of the running executable: executablePath() cut before its last '/', without a
// trailing slash ("/opt/hexwend/hexwend" gives "/opt/hexwend"; an executable in the root folder
// gives ""). Empty if the path cannot be read.
std::string executableFolder();

// Opens the file named by the UTF-8 path `path` with the C stdio `mode` ("rb", "wb", ...).
// The name's bytes are passed to the kernel unchanged, so any UTF-8 name works. The stream is
// not inherited by programs this process starts. Returns null, with nothing opened, when the
// path is empty or contains a NUL byte, when `mode` is null, or when the file cannot be opened.
// The caller closes the stream with std::fclose.
std::FILE* openFile(const std::string& path, const char* mode);

} // namespace hexwend::platform
