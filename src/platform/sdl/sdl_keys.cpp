#include "platform/sdl/sdl_keys.h"

#include "platform/host.h"

namespace vorn {

namespace {

// Ctrl without AltGr: on many layouts right Alt (or Ctrl with it) types
// characters of its own, which arrive as text.
bool ControlHeld(Uint16 modifiers) {
  return (modifiers & KMOD_CTRL) != 0 && (modifiers & KMOD_RALT) == 0;
}

// Keys that produce no text but still reach the console.
int SpecialKeyCode(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return kKeyEnter;
    case SDLK_BACKSPACE:
      return 8;
    case SDLK_TAB:
      return 9;
    case SDLK_UP:
      return kKeyUp;
    case SDLK_DOWN:
      return kKeyDown;
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_INSERT:
      return kKeyInsert;
    case SDLK_DELETE:
      return kKeyDelete;
    case SDLK_HOME:
      return kKeyHome;
    case SDLK_END:
      return kKeyEnd;
    case SDLK_PAGEUP:
      return kKeyPageUp;
    case SDLK_PAGEDOWN:
      return kKeyPageDown;
    default:
      if (key >= SDLK_F1 && key <= SDLK_F10) return kKeyF1 + static_cast<int>(key - SDLK_F1);
      return 0;
  }
}

// Ctrl with a letter or one of [ \ ] gives the character's control code, as
// a keyboard always has: Ctrl+A is 1, Ctrl+M 13, Ctrl+[ 27 (Escape).
int ControlCode(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<int>(key - SDLK_a) + 1;
  switch (key) {
    case SDLK_LEFTBRACKET:
      return 27;
    case SDLK_BACKSLASH:
      return 28;
    case SDLK_RIGHTBRACKET:
      return 29;
    default:
      return 0;
  }
}

// The first code point of a UTF-8 text, or -1 if it is malformed.
int FirstCodePoint(const char* utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8);
  if (s[0] < 0x80) return s[0];
  if ((s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80) return ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
  return -1;  // three- and four-byte sequences are all above 0xFF
}

}  // namespace

bool IsFullScreenSwitch(SDL_Keycode key, Uint16 modifiers) {
  return (key == SDLK_RETURN || key == SDLK_KP_ENTER) && (modifiers & KMOD_ALT) != 0;
}

int KeyDownCode(SDL_Keycode key, Uint16 modifiers) {
  if (IsFullScreenSwitch(key, modifiers)) return 0;
  if (const int special = SpecialKeyCode(key); special != 0) return special;
  if (ControlHeld(modifiers)) return ControlCode(key);
  return 0;
}

int TextCode(const char* utf8, Uint16 modifiers) {
  if (ControlHeld(modifiers)) return 0;
  const int code = FirstCodePoint(utf8);
  return code > 0 && code <= 0xFF ? code : 0;
}

}  // namespace vorn
