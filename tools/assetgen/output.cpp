#include "tools/assetgen/output.h"

#include <stb_image_write.h>

#include <cstdio>
#include <filesystem>

namespace hexwend::assetgen {

std::string Output::path(const std::string& relPath) const {
    return root_ + "/" + relPath;
}

bool Output::makeParent(const std::string& relPath) const {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path(relPath)).parent_path(), ec);
    if (ec)
        std::fprintf(stderr, "assetgen: cannot create the folder for %s: %s\n", relPath.c_str(),
                     ec.message().c_str());
    return !ec;
}

bool Output::png(const std::string& relPath, const Canvas& image) const {
    if (!makeParent(relPath)) return false;
    std::vector<uint8_t> pixels = image.toRgba8();
    if (!stbi_write_png(path(relPath).c_str(), image.w, image.h, 4, pixels.data(), image.w * 4)) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path(relPath).c_str());
        return false;
    }
    return true;
}

std::vector<uint8_t> wavBytes(const std::vector<int16_t>& mono, int rate) {
    const uint32_t dataBytes = static_cast<uint32_t>(mono.size() * 2);
    std::vector<uint8_t> b(44 + dataBytes);
    size_t at = 0;
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) b[at++] = static_cast<uint8_t>(t[i]);
    };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at++] = static_cast<uint8_t>(v >> (8 * i));
    };
    auto u16 = [&](uint16_t v) {
        b[at++] = static_cast<uint8_t>(v);
        b[at++] = static_cast<uint8_t>(v >> 8);
    };
    tag("RIFF");
    u32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate * 2)); // bytes per second
    u16(2);                               // block alignment
    u16(16);                              // bits per sample
    tag("data");
    u32(dataBytes);
    for (int16_t s : mono) u16(static_cast<uint16_t>(s));
    return b;
}

bool Output::wav(const std::string& relPath, const std::vector<int16_t>& mono, int rate) const {
    return file(relPath, wavBytes(mono, rate));
}

bool Output::file(const std::string& relPath, const std::vector<uint8_t>& bytes) const {
    if (!makeParent(relPath)) return false;
    FILE* f = std::fopen(path(relPath).c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "assetgen: cannot write %s\n", path(relPath).c_str());
    return ok;
}

bool Output::text(const std::string& relPath, const std::string& s) const {
    return file(relPath, std::vector<uint8_t>(s.begin(), s.end()));
}

} // namespace hexwend::assetgen
