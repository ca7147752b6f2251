#include "platform/key_rules.h"

namespace vorn {

namespace {

bool ControlHeld(KeyModifiers held) { return held.Ctrl && !held.AltGraph; }

// Ctrl with a letter or one of [ \ ] gives the character's control code, as
// a keyboard always has.
int ControlCode(char32_t key) {
  if (key >= 'a' && key <= 'z') return static_cast<int>(key - 'a') + 1;
  if (key >= 'A' && key <= 'Z') return static_cast<int>(key - 'A') + 1;
  switch (key) {
    case '[':
      return 27;
    case '\\':
      return 28;
    case ']':
      return 29;
    default:
      return 0;
  }
}

}  // namespace

int KeyCodeOnPress(int special, char32_t key, KeyModifiers held) {
  if (held.Meta) return 0;
  if (special == kKeyEnter && (held.Alt || held.AltGraph)) return kFullScreenSwitch;
  if (special != 0) return special;
  if (ControlHeld(held)) return ControlCode(key);
  return 0;
}

int KeyCodeOfText(char32_t typed, KeyModifiers held) {
  if (held.Meta || ControlHeld(held)) return 0;
  return typed <= 0xFF ? static_cast<int>(typed) : 0;
}

int KeyCode(int special, char32_t key, char32_t typed, KeyModifiers held) {
  if (const int code = KeyCodeOnPress(special, key, held); code != 0) return code;
  return KeyCodeOfText(typed, held);
}

}  // namespace vorn
