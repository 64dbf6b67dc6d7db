// Data paths, file services, the state file and the small host services.
#include "host/rt_game.h"

#include "platform/files.h"
#include "platform/url.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

const char* const kStatePath = "./.vorpixstate";

int tempCounter = 0;

// Creates a new, empty file beside the state file for the next record. Returns its
// descriptor and name, or -1 when none can be created.
int createTempFile(std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = std::string(kStatePath) + "." + std::to_string(::getpid()) + "." +
               std::to_string(tempCounter++) + ".tmp";
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += size_t(n);
    }
    return true;
}

// Replaces the state file as a whole: the bytes go to a new file in the same folder, which
// is flushed to the disk and then renamed over the old record. Until the rename the old
// record is untouched, so a crash, a kill or a full disk during the write leaves it intact.
// 0 on success, -1 when the file cannot be created or put in place, -2 when not all bytes
// reached the disk.
int replaceStateFile(const std::string& bytes) {
    std::string tempName;
    int fd = createTempFile(tempName);
    if (fd < 0) return -1;
    bool complete = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0) complete = false;
    if (!complete) {
        ::unlink(tempName.c_str());
        return -2;
    }
    if (::rename(tempName.c_str(), kStatePath) != 0) {
        ::unlink(tempName.c_str());
        return -1;
    }
    // Make the rename itself durable.
    int dir = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}

} // namespace

String rt_data_FixDataPath(String path) {
    int colon = path.Find(String(":/"));
    if (colon != -1 && path.Find(String("/")) == colon + 1) return path;
    if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
    return String("vorpix://data/") + path;
}

String RtGlfwGame::PathToFilePath(String path) {
    if (!path.StartsWith(String("vorpix:"))) return path;
    // Loaders may map paths on a worker thread; the folders are fixed once computed, and
    // later reads only copy their characters.
    // A folder already given (a test's data folder, say) is kept.
    std::call_once(_foldersOnce, [this] {
        if (_appDir.Length() == 0) {
            std::string folder = hexwend::platform::executableFolder();
            _appDir = String::FromBytes(reinterpret_cast<const unsigned char*>(folder.data()),
                                        folder.size());
        }
        if (_internalDir.Length() == 0) _internalDir = _appDir + String("/internal");
    });
    if (path.StartsWith(String("vorpix://data/"))) {
        return _appDir + String("/data/") + path.Slice(14);
    }
    if (path.StartsWith(String("vorpix://internal/"))) {
        return _internalDir + String("/") + path.Slice(18);
    }
    if (path.StartsWith(String("vorpix://external/"))) {
        return _appDir + String("/external/") + path.Slice(18);
    }
    return String();
}

FILE* RtGame::OpenFile(String path, String mode) {
    String filePath = PathToFilePath(path);
    if (filePath.Length() == 0) return nullptr;
    return hexwend::platform::openFile(filePath.ToUtf8(), mode.ToCString());
}

unsigned char* RtGame::LoadData(String path, int* size) {
    FILE* file = OpenFile(path, String("rb"));
    if (!file) return nullptr;
    std::vector<unsigned char> bytes;
    unsigned char chunk[4096];
    for (;;) {
        size_t n = std::fread(chunk, 1, sizeof chunk, file);
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (n < sizeof chunk) break;
    }
    std::fclose(file);
    // Never a null buffer, also for an empty file, so that null means "no file".
    auto* buffer = static_cast<unsigned char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!buffer) return nullptr;
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    *size = int(bytes.size());
    gc_ext_malloced(*size);
    return buffer;
}

String RtGame::LoadString(String path) {
    FILE* file = OpenFile(path, String("rb"));
    if (!file) return String();
    String text = String::Load(file);
    std::fclose(file);
    return text;
}

int RtGame::SaveState(String state) {
    return replaceStateFile(state.ToUtf8());
}

String RtGame::LoadState() {
    return LoadString(String(kStatePath));
}

void RtGame::GetDate(Array<int> date) {
    int n = date.Length();
    if (n == 0) return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int fields[7] = {local.tm_year + 1900,
                     local.tm_mon + 1,
                     local.tm_mday,
                     local.tm_hour,
                     local.tm_min,
                     local.tm_sec,
                     0};
    for (int i = 0; i < n && i < 7; ++i) date[i] = fields[i];
}

void RtGlfwGame::OpenUrl(String url) {
    hexwend::platform::openUrl(std::string(url.ToCString().c_str()));
}
