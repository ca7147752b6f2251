#pragma once
// The browser's keys as the console's key codes, by the rules every host
// shares (platform/key_rules.h), and which keys the page leaves to the
// browser: those it never takes from the user, whatever the console would
// make of them. Pure, so it is tested without a browser.

#include <string_view>

namespace vorn::web {

// Modifier bits of a key event, as the page passes them.
inline constexpr int kModCtrl = 1;
inline constexpr int kModAlt = 2;
inline constexpr int kModMeta = 4;
inline constexpr int kModAltGraph = 8;

// The key code for a keydown whose KeyboardEvent.key is `key` (UTF-8):
// a code the page hands to the console (and keeps from the browser),
// kFullScreenSwitch, or 0 when the key stays the browser's or gives nothing
// (a modifier alone, a dead key, a character above 255).
int TranslateKey(std::string_view key, int modifiers);

}  // namespace vorn::web
