#pragma once
// How the window's key presses become the console's key codes: at most one
// code per key press. Keys without a character give their special codes;
// everything else arrives as text, translated by the keyboard layout, or,
// with Ctrl held, as the control code of its letter.

#include <SDL.h>

namespace vorn {

// The code a key press gives by itself (special keys, control codes), or 0
// when its character arrives as text instead (or it gives nothing).
int KeyDownCode(SDL_Keycode key, Uint16 modifiers);
// The code a text input gives, or 0 when it gives none (no single character
// up to 255, or a Ctrl combination, which KeyDownCode has already given).
int TextCode(const char* utf8, Uint16 modifiers);
// Alt+Enter switches full screen and gives no key.
bool IsFullScreenSwitch(SDL_Keycode key, Uint16 modifiers);

}  // namespace vorn
