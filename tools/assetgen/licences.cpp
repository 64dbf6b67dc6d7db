#include "tools/assetgen/art.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace hexwend::assetgen {

namespace {

// The images whose lettering is rasterised from DejaVu Sans Bold, by their place in the data
// folder; the font's licence travels with every copy of the glyphs.
const char* const kLetteredImages[] = {"common/bandwidth.png", "zuvo_font.png", "506/logo.png",
                                       "common/QUZOLogo.png",  "common/icons.png",
                                       "common/options.png"};

const char kFontOrigin[] = "DejaVu Sans Bold (Debian package fonts-dejavu-core, "
                           "https://dejavu-fonts.github.io/)";

const char kVeraLicence[] = R"(Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved. Bitstream Vera is a trademark of
Bitstream, Inc.

Permission is hereby granted, free of charge, to any person obtaining a copy of the fonts
accompanying this license ("Fonts") and associated documentation files (the "Font
Software"), to reproduce and distribute the Font Software, including without limitation the
rights to use, copy, merge, publish, distribute, and/or sell copies of the Font Software,
and to permit persons to whom the Font Software is furnished to do so, subject to the
following conditions:

The above copyright and trademark notices and this permission notice shall be included in
all copies of one or more of the Font Software typefaces.

The Font Software may be modified, altered, or added to, and in particular the designs of
glyphs or characters in the Fonts may be modified and additional glyphs or characters may be
added to the Fonts, only if the fonts are renamed to names not containing either the words
"Bitstream" or the word "Vera".

This License becomes null and void to the extent applicable to Fonts or Font Software that
has been modified and is distributed under the "Bitstream Vera" names.

The Font Software may be sold as part of a larger software package but no copy of one or
more of the Font Software typefaces may be sold by itself.

THE FONT SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED,
INCLUDING BUT NOT LIMITED TO ANY WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR
PURPOSE AND NONINFRINGEMENT OF COPYRIGHT, PATENT, TRADEMARK, OR OTHER RIGHT. IN NO EVENT
SHALL BITSTREAM OR THE GNOME FOUNDATION BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY,
INCLUDING ANY GENERAL, SPECIAL, INDIRECT, INCIDENTAL, OR CONSEQUENTIAL DAMAGES, WHETHER IN AN
ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF THE USE OR INABILITY TO USE THE
FONT SOFTWARE OR FROM OTHER DEALINGS IN THE FONT SOFTWARE.

Except as contained in this notice, the names of Gnome, the Gnome Foundation, and Bitstream
Inc., shall not be used in advertising or otherwise to promote the sale, use or other
dealings in this Font Software without prior written authorization from the Gnome
Foundation or Bitstream Inc., respectively. For further information, contact: fonts at
gnome dot org.
)";

std::string fileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The text broken into lines of at most `width` characters at spaces.
std::string wrapped(const std::string& text, size_t width) {
    std::istringstream words(text);
    std::string out, line;
    for (std::string word; words >> word;) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return out + line + "\n";
}

} // namespace

bool makeLicences(const Output& out) {
    std::ostringstream lettering;
    lettering << "The letters in ";
    const size_t n = std::size(kLetteredImages);
    for (size_t i = 0; i < n; ++i)
        lettering << fileName(kLetteredImages[i]) << (i + 2 < n ? ", " : i + 1 < n ? " and " : "");
    lettering << " are rasterised from the font " << kFontOrigin
              << ". DejaVu fonts are based on the Bitstream Vera fonts; DejaVu changes are in "
                 "the public domain. The Bitstream Vera licence follows.";
    std::string text = "Hexwend data files\n"
                       "==================\n\n"
                       "Every image, sound and the music in this folder are generated at build "
                       "time by the\nproject's own asset generator (tools/assetgen) and belong "
                       "to the project.\n\n"
                       "Lettering\n"
                       "---------\n" +
                       wrapped(lettering.str(), 90) + "\n" + kVeraLicence;
    return out.text("LICENSES", text);
}

bool writeDebianCopyright(const std::string& headerPath, const std::string& outPath) {
    std::ifstream header(headerPath, std::ios::binary);
    if (!header) {
        std::fprintf(stderr, "assetgen: cannot read %s\n", headerPath.c_str());
        return false;
    }
    std::ostringstream text;
    text << header.rdbuf();
    text << "\nFiles:";
    for (const char* image : kLetteredImages) text << " data/" << image << "\n";
    // Continuation lines of a field start with a space.
    std::string comment = wrapped(std::string("Comment: The lettering of these images is "
                                              "rasterised at build time from ") +
                                      kFontOrigin +
                                      ". DejaVu fonts are based on the Bitstream Vera fonts; "
                                      "DejaVu changes are in the public domain.",
                                  78);
    for (size_t at = comment.find('\n'); at + 1 < comment.size(); at = comment.find('\n', at + 1))
        comment.insert(at + 1, " ");
    text << "Copyright: 2003 Bitstream, Inc.\n"
            "License: Bitstream-Vera\n"
         << comment << "\nLicense: Bitstream-Vera\n";
    // A licence text in a Debian copyright file is indented by one space, with " ." for an
    // empty line.
    std::istringstream lines(kVeraLicence);
    for (std::string line; std::getline(lines, line);) text << (line.empty() ? " ." : " " + line) << "\n";
    const std::filesystem::path path(outPath);
    const std::string folder = path.has_parent_path() ? path.parent_path().string() : ".";
    return Output(folder).text(path.filename().string(), text.str());
}

} // namespace hexwend::assetgen
