// Bitmap text: a font sheet of 128 glyphs drawn glyph by glyph into the sprite buffer, and
// three small string helpers.
#pragma once

#include "runtime/string.h"

// Loads a font sheet into an image slot and makes it the current font.
int rt_quzo_LoadFont(int slot, String name);
// Draws text with the current draw style; returns the x position after its last character.
int rt_quzo_Text(float x, float y, String text, float alignX, float alignY, float wavePhase,
                 float waveAmp);
// The text right-aligned in a field of n characters, filled on the left with pad.
String rt_quzo_rstr(String text, int n, String pad);
// The first n characters; a negative n counts from the end.
String rt_quzo_Left(String text, int n);
// The last n characters; n <= 0 drops the first -n characters.
String rt_quzo_Right(String text, int n);
