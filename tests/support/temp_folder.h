// Fresh folders for tests that write files, and running code inside another working folder.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace hexwend::testing {

// A new folder under the system's temporary folder, removed with its contents at the end of
// the test.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "hexwend-test-XXXXXX");
        if (char* made = ::mkdtemp(pattern.data())) path_ = made;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Whether the folder could be made.
    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Makes `folder` the working folder until the end of the scope.
class InWorkingFolder {
  public:
    explicit InWorkingFolder(const std::string& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InWorkingFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    InWorkingFolder(const InWorkingFolder&) = delete;
    InWorkingFolder& operator=(const InWorkingFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

} // namespace hexwend::testing
