#include "platform/files.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using hexwend::platform::executableFolder;
using hexwend::platform::executablePath;
using hexwend::platform::openFile;
using hexwend::testing::TempFolder;

TEST(PlatformFiles, ExecutableFolderIsWhereTheTestBinaryLives) {
    namespace fs = std::filesystem;
    const std::string expectedDir = fs::canonical(HEXWEND_PLATFORM_TEST_DIR).string();
    EXPECT_EQ(executableFolder(), expectedDir);
    EXPECT_EQ(executablePath(), expectedDir + "/" + HEXWEND_PLATFORM_TEST_NAME);
    EXPECT_NE(executableFolder().back(), '/');
}

std::vector<unsigned char> everyByte() {
    std::vector<unsigned char> bytes(512);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
    return bytes;
}

struct NameCase {
    const char* label;
    const char* name;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.label;
}

class PlatformFilesNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(PlatformFilesNames, UtfEightNameRoundTripsBytes) {
    TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / GetParam().name;
    const std::vector<unsigned char> bytes = everyByte();

    std::FILE* out = openFile(path, "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_NE(fcntl(fileno(out), F_GETFD) & FD_CLOEXEC, 0) << "inherited by started programs";
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
    ASSERT_EQ(std::fclose(out), 0);

    // The name on disk is exactly the UTF-8 bytes given.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{GetParam().name});

    std::FILE* in = openFile(path, "rb");
    ASSERT_NE(in, nullptr);
    std::vector<unsigned char> back(bytes.size() + 16);
    std::size_t n = std::fread(back.data(), 1, back.size(), in);
    std::fclose(in);
    back.resize(n);
    EXPECT_EQ(back, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PlatformFilesNames,
    ::testing::Values(NameCase{"ascii", "plain.bin"},
                      NameCase{"latin", "caf\xc3\xa9 sp\xc3\xa4tzle.bin"},
                      NameCase{"cjk", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.dat"},
                      NameCase{"astral", "\xf0\x9f\x8e\xae-\xd0\xb8\xd0\xb3\xd1\x80\xd0\xb0"}));

TEST(PlatformFiles, OpeningFailsCleanly) {
    TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string existing = dir / "present";
    std::FILE* f = openFile(existing, "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);

    EXPECT_EQ(openFile("", "rb"), nullptr);
    EXPECT_EQ(openFile(dir / "missing", "rb"), nullptr);
    EXPECT_EQ(openFile(existing, nullptr), nullptr);
    EXPECT_EQ(openFile(existing, ""), nullptr);
    // A name with a NUL in it must not open the file named by its first part.
    EXPECT_EQ(openFile(existing + std::string("\0.x", 3), "rb"), nullptr);
    EXPECT_EQ(openFile(dir / "no-such-folder/file", "wb"), nullptr);
}

} // namespace
