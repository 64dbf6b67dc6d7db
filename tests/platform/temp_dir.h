#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace hexwend::testing {

// A fresh folder under the system's temporary folder, removed with its contents at the end of
// the test.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "hexwend-plat-XXXXXX");
        if (char* made = ::mkdtemp(pattern.data())) path_ = made;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

} // namespace hexwend::testing
