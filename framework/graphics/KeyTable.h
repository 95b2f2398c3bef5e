#pragma once
// The keys the editor takes, one table for every window: the host's virtual key codes and each
// platform's key symbols map onto the editor's key codes (EKeyCode). Space, digits and letters are
// ASCII everywhere; only the arrows have symbols of their own on each platform.

namespace KeyTable {
// A platform's symbols for the arrow keys.
struct Arrows {
  unsigned long up, down, left, right;
};

// The code of an ASCII character: space, digits, letters of either case; KEY_NONE otherwise.
int OfCharacter(long character);
// The code of a platform's key symbol: its arrows, else ASCII space, digits and capitals, and small
// letters where the platform's symbols for them are letters.
int OfSymbol(const Arrows& arrows, unsigned long symbol, bool smallLetters);
// The code of a key the host forwarded: its virtual key for space and the arrows, else its character.
int OfHostKey(int character, int virtualKey);
}  // namespace KeyTable
