#pragma once
// How a key press becomes one of the console's key codes, the same for every
// host with a keyboard: the window and the page give the same code for the
// same press. A host describes the press in these terms; which of its own
// events and names stand for which key is its own business.
//
// The rules, in order:
//   1. With the system key held (Windows, Command, Super) nothing is typed:
//      those are the system's shortcuts.
//   2. Enter with Alt (either one) switches full screen and types nothing.
//   3. A key without a character gives its own code whatever else is held
//      (Escape, Enter, Backspace, Tab, the arrows, Insert to Page Down, F1
//      to F10).
//   4. Ctrl without AltGr gives the control code of a letter or of [ \ ]
//      (Ctrl+A is 1, Ctrl+[ is 27, Escape) and nothing else; Ctrl with Alt
//      is still Ctrl (Ctrl+Alt+Q is 17, not "q").
//   5. Otherwise the character the layout typed, with Shift, AltGr or Alt
//      (Option on a Mac) applied, if it is one character from 1 to 255.

#include "platform/host.h"

namespace vorn {

struct KeyModifiers {
  bool Ctrl = false;
  bool Alt = false;       // Alt, or Option on a Mac
  bool AltGraph = false;  // the layout's third level: AltGr, right Alt on many layouts
  bool Meta = false;      // the system key
};

// Not a key code: the press switches between window and full screen.
inline constexpr int kFullScreenSwitch = -1;

// What a press gives before its character is known (rules 1 to 4): `special`
// is the code of a key without a character, or 0; `key` is the key's own
// character without Shift (what Ctrl combines with), or 0. 0 when the press
// gives nothing by itself.
int KeyCodeOnPress(int special, char32_t key, KeyModifiers held);

// What a typed character gives (rules 1, 4 and 5): nothing under Ctrl
// without AltGr, whose press has already given its control code.
int KeyCodeOfText(char32_t typed, KeyModifiers held);

// A press whose key and typed character are known together.
int KeyCode(int special, char32_t key, char32_t typed, KeyModifiers held);

}  // namespace vorn
