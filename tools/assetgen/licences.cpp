#include "tools/assetgen/art.h"

namespace hexwend::assetgen {

namespace {

// The lettering of the images is rasterised from DejaVu Sans Bold; its licence travels with
// every copy of the glyphs.
const char kLicences[] = R"(Hexwend data files
==================

Every image, sound and the music in this folder are generated at build time by the
project's own asset generator (tools/assetgen) and belong to the project.

Lettering
---------
The letters in bandwidth.png, zuvo_font.png, logo.png, QUZOLogo.png, icons.png and
options.png are rasterised from the font DejaVu Sans Bold (Debian package
fonts-dejavu-core, https://dejavu-fonts.github.io/). DejaVu fonts are based on the
Bitstream Vera fonts; DejaVu changes are in the public domain. The Bitstream Vera licence
follows.

Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved. Bitstream Vera is a trademark of
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

} // namespace

bool makeLicences(const Output& out) {
    return out.text("LICENSES", kLicences);
}

} // namespace hexwend::assetgen
