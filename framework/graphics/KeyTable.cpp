#include "framework/graphics/KeyTable.h"

#include "framework/graphics/IGraphicsStructs.h"

namespace {
// The VST3 virtual key codes of the keys the editor takes (pluginterfaces' VirtualKeyCodes).
struct HostKey {
  int virtualKey;
  EKeyCode code;
};
constexpr HostKey kHostKeys[] = {
    {7, KEY_SPACE}, {11, KEY_LEFTARROW}, {12, KEY_UPARROW}, {13, KEY_RIGHTARROW}, {14, KEY_DOWNARROW}};
}  // namespace

int KeyTable::OfCharacter(long c) {
  if (c == ' ') return KEY_SPACE;
  if (c >= '0' && c <= '9') return KEY_DIGIT_0 + int(c - '0');
  if (c >= 'a' && c <= 'z') return KEY_ALPHA_A + int(c - 'a');
  if (c >= 'A' && c <= 'Z') return KEY_ALPHA_A + int(c - 'A');
  return KEY_NONE;
}

int KeyTable::OfSymbol(const Arrows& arrows, unsigned long symbol, bool smallLetters) {
  if (symbol == arrows.up) return KEY_UPARROW;
  if (symbol == arrows.down) return KEY_DOWNARROW;
  if (symbol == arrows.left) return KEY_LEFTARROW;
  if (symbol == arrows.right) return KEY_RIGHTARROW;
  if (!smallLetters && symbol >= 'a' && symbol <= 'z') return KEY_NONE;
  return symbol < 128 ? OfCharacter(long(symbol)) : KEY_NONE;
}

int KeyTable::OfHostKey(int character, int virtualKey) {
  for (const HostKey& key : kHostKeys) {
    if (key.virtualKey == virtualKey) return key.code;
  }
  // Digits and letters come as characters.
  return character > 0 && character < 128 ? OfCharacter(character) : KEY_NONE;
}
