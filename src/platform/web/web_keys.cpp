#include "platform/web/web_keys.h"

#include <array>
#include <utility>

#include "platform/host.h"

namespace vorn::web {

namespace {

constexpr std::array<std::pair<std::string_view, int>, 14> kNamedKeys{{
    {"Escape", kKeyEscape},
    {"Enter", kKeyEnter},
    {"Backspace", 8},
    {"Tab", 9},
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

// The code point of a text that is exactly one character, or -1.
int SingleCodePoint(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  if (text.size() == 1 && s[0] < 0x80) return s[0];
  if (text.size() == 2 && (s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80)
    return ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
  return -1;  // longer sequences are names or characters above 0xFF
}

}  // namespace

int TranslateKey(std::string_view key, int modifiers) {
  for (const auto& [name, code] : kNamedKeys)
    if (key == name) return code;
  if (key.size() >= 2 && key.size() <= 3 && key[0] == 'F') {
    int n = 0;
    for (const char c : key.substr(1)) {
      if (c < '0' || c > '9') return 0;
      n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= 10 ? kKeyF1 + n - 1 : 0;
  }
  const int c = SingleCodePoint(key);
  if (c <= 0 || c > 0xFF) return 0;
  const bool ctrl = (modifiers & kModCtrl) != 0, alt = (modifiers & kModAlt) != 0;
  if ((modifiers & kModMeta) != 0) return 0;
  // Ctrl and Alt together is how some systems report AltGr: the character
  // the layout typed stands.
  if (ctrl && alt) return c;
  if (ctrl) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter ? (c & 0x1F) : 0;
  }
  // Alt alone types nothing on the desktop either.
  if (alt) return 0;
  return c;
}

}  // namespace vorn::web
