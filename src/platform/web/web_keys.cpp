#include "platform/web/web_keys.h"

#include <array>
#include <utility>

#include "platform/host.h"
#include "platform/key_rules.h"

namespace vorn::web {

namespace {

// KeyboardEvent.key names of the keys without a character. Tab is not
// among them: it moves the focus through the page. Nor are the function
// keys, which are the browser's (help, find, reload, the address bar, caret
// browsing, its menu, full screen, its tools).
constexpr std::array<std::pair<std::string_view, int>, 13> kNamedKeys{{
    {"Escape", kKeyEscape},
    {"Enter", kKeyEnter},
    {"Backspace", 8},
    {"ArrowUp", kKeyUp},
    {"ArrowDown", kKeyDown},
    {"ArrowLeft", kKeyLeft},
    {"ArrowRight", kKeyRight},
    {"Insert", kKeyInsert},
    {"Delete", kKeyDelete},
    {"Home", kKeyHome},
    {"End", kKeyEnd},
    {"PageUp", kKeyPageUp},
    {"PageDown", kKeyPageDown},
}};

// The code point of a text that is exactly one character, or 0.
char32_t SingleCodePoint(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  if (text.size() == 1 && s[0] < 0x80) return s[0];
  if (text.size() == 2 && (s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80)
    return static_cast<char32_t>(((s[0] & 0x1F) << 6) | (s[1] & 0x3F));
  return 0;  // a name, a character above 0xFF, or nothing
}

bool AsciiLetterOrDigit(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

int TranslateKey(std::string_view key, int modifiers) {
  const KeyModifiers held{(modifiers & kModCtrl) != 0, (modifiers & kModAlt) != 0,
                          (modifiers & kModAltGraph) != 0, (modifiers & kModMeta) != 0};
  const bool ctrlAlone = held.Ctrl && !held.Alt && !held.AltGraph;
  const bool altAlone = held.Alt && !held.Ctrl && !held.AltGraph;
  for (const auto& [name, code] : kNamedKeys) {
    if (key != name) continue;
    // With Ctrl or Alt the arrows and their neighbours go back and forward,
    // change tabs and the like.
    if ((held.Ctrl || held.Alt) && code != kKeyEscape && code != kKeyEnter && code != 8) return 0;
    return KeyCode(code, 0, 0, held);
  }
  const char32_t c = SingleCodePoint(key);
  if (c == 0) return 0;
  // Ctrl with a letter or digit is a browser shortcut (reload, new tab,
  // close, find...); Ctrl+[ \ ] are not, and give their control codes.
  if (ctrlAlone && AsciiLetterOrDigit(c)) return 0;
  // Alt with a letter or digit opens the browser's menus; Option on a Mac
  // types other characters, which arrive.
  if (altAlone && AsciiLetterOrDigit(c)) return 0;
  return KeyCode(0, c, c, held);
}

}  // namespace vorn::web
