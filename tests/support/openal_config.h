// OpenAL Soft set up for tests: the silent driver for tests that only need a device, and a
// configuration file of the test's own for tests that choose the backend and its output.
#pragma once

#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace hexwend::testing {

// The game's start opens the audio device: on OpenAL Soft's silent driver it gets a real
// device with real sources, and nothing is heard.
inline void useSilentAudio() {
    ::setenv("ALSOFT_DRIVERS", "null", 1);
}

// A configuration file for OpenAL Soft in a folder of its own, which the library is told to
// read (and no driver list in the environment overrides it). The library reads its
// configuration once per process, before its first device opens, so every test of one
// program shares the first one written.
class OpenAlConfigFile {
  public:
    OpenAlConfigFile() = default;
    explicit OpenAlConfigFile(const std::string& text) { write(text); }
    OpenAlConfigFile(const OpenAlConfigFile&) = delete;
    OpenAlConfigFile& operator=(const OpenAlConfigFile&) = delete;

    // Writes the configuration ("[general]\ndrivers = null\n...") and points the library at
    // it.
    void write(const std::string& text) {
        const std::string path = folder_ / "alsoft.conf";
        std::ofstream(path, std::ios::binary) << text;
        ::setenv("ALSOFT_CONF", path.c_str(), 1);
        ::unsetenv("ALSOFT_DRIVERS");
    }

    // The folder, for files the configuration names.
    const TempFolder& folder() const { return folder_; }

  private:
    TempFolder folder_;
};

} // namespace hexwend::testing
