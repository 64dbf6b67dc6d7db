// The score scrambling: the key table derived from the game's number and key text, and the
// scrambling of a score payload with it.
#pragma once

#include "runtime/string.h"

// Sets the game's number (its absolute value) and rebuilds the scrambling table.
int rt_quzo_SetGameNumber(int number);
// Sets the key text and rebuilds the scrambling table.
int rt_quzo_SetKeyword(String key);
// Rebuilds the 64-entry table from the key text and the game number; with no key text or no
// game number the table is left as it is.
int rt_quzo_Rescramble();
// The text scrambled with the table: the same length, characters 32 … 123.
String rt_quzo_Scramble(String text);
