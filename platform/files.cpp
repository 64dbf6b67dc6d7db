#include "platform/files.h"

#include <unistd.h>

#include <vector>

namespace hexwend::platform {

std::string executablePath() {
    // readlink does not say whether it truncated, so grow the buffer until the result fits
    // with room to spare.
    std::vector<char> buffer(256);
    while (buffer.size() <= 65536) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::string executableFolder() {
    std::string path = executablePath();
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return path.substr(0, slash);
}

std::FILE* openFile(const std::string& path, const char* mode) {
    if (path.empty() || mode == nullptr || *mode == '\0') return nullptr;
    if (path.find('\0') != std::string::npos) return nullptr;
    // 'e' opens with close-on-exec, so a started program (such as the URL opener) never
    // inherits a game file.
    std::string fullMode = std::string(mode) + "e";
    return std::fopen(path.c_str(), fullMode.c_str());
}

} // namespace hexwend::platform
