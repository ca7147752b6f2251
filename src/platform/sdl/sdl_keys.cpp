#include "platform/sdl/sdl_keys.h"

#include "platform/host.h"
#include "platform/key_rules.h"

namespace vorn {

namespace {

// Right Alt is AltGr on the layouts that have one: with it (or Ctrl with
// it) keys type characters of their own, which arrive as text.
KeyModifiers Held(Uint16 modifiers) {
  return KeyModifiers{(modifiers & KMOD_CTRL) != 0, (modifiers & KMOD_LALT) != 0,
                      (modifiers & (KMOD_RALT | KMOD_MODE)) != 0, (modifiers & KMOD_GUI) != 0};
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

// The first code point of a UTF-8 text, or 0 if it is malformed.
char32_t FirstCodePoint(const char* utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8);
  if (s[0] < 0x80) return s[0];
  if ((s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80)
    return static_cast<char32_t>(((s[0] & 0x1F) << 6) | (s[1] & 0x3F));
  return 0x100;  // three- and four-byte sequences are all above 0xFF
}

}  // namespace

bool IsFullScreenSwitch(SDL_Keycode key, Uint16 modifiers) {
  return KeyCodeOnPress(SpecialKeyCode(key), 0, Held(modifiers)) == kFullScreenSwitch;
}

int KeyDownCode(SDL_Keycode key, Uint16 modifiers) {
  // A printable key's keycode is its character without Shift.
  const int code =
      KeyCodeOnPress(SpecialKeyCode(key), static_cast<char32_t>(key), Held(modifiers));
  return code == kFullScreenSwitch ? 0 : code;
}

int TextCode(const char* utf8, Uint16 modifiers) {
  return KeyCodeOfText(FirstCodePoint(utf8), Held(modifiers));
}

}  // namespace vorn
