#pragma once
// The browser's keys as the console's key codes, by the same rules as the
// desktop window: characters 1 to 255 as the keyboard layout types them,
// Ctrl+letter as its control code, and the keys without a character as the
// codes in platform/host.h. Pure, so it is tested without a browser.

#include <string_view>

namespace vorn::web {

// Modifier bits of a key event, as the page's glue passes them.
inline constexpr int kModCtrl = 1;
inline constexpr int kModAlt = 2;
inline constexpr int kModMeta = 4;

// The key code for a keydown whose KeyboardEvent.key is `key` (UTF-8), or 0
// when the console has no code for it (a modifier alone, a dead key, a
// character above 255, a shortcut of the browser's).
int TranslateKey(std::string_view key, int modifiers);

}  // namespace vorn::web
