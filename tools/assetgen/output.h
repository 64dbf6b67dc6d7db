// Writing the generated files: PNG images (stb_image_write), frame sheets, WAV sounds and
// plain files, into an output folder whose sub-folders are created on demand.
#pragma once

#include "tools/assetgen/canvas.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hexwend::assetgen {

class Output {
  public:
    explicit Output(std::string root) : root_(std::move(root)) {}
    const std::string& root() const { return root_; }
    // Each returns false (and prints the reason) when the file cannot be written.
    bool png(const std::string& relPath, const Canvas& image) const;
    bool wav(const std::string& relPath, const std::vector<int16_t>& mono, int rate) const;
    bool file(const std::string& relPath, const std::vector<uint8_t>& bytes) const;
    bool text(const std::string& relPath, const std::string& s) const;
    std::string path(const std::string& relPath) const;

  private:
    bool makeParent(const std::string& relPath) const;
    std::string root_;
};

// A sprite sheet: frames of one size laid out in reading order from the top left.
class Sheet {
  public:
    Sheet(int frameW, int frameH, int columns, int rows)
        : frameW(frameW), frameH(frameH), columns(columns),
          canvas(frameW * columns, frameH * rows) {}
    void put(int index, const Canvas& frame) {
        canvas.blit(frame, (index % columns) * frameW, (index / columns) * frameH);
    }
    int frameW, frameH, columns;
    Canvas canvas;
};

// The little-endian bytes of a 16-bit PCM mono RIFF WAVE file: "RIFF", "WAVE", the 16-byte
// "fmt " chunk first, then the "data" chunk.
std::vector<uint8_t> wavBytes(const std::vector<int16_t>& mono, int rate);

} // namespace hexwend::assetgen
