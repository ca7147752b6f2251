// The same key presses through the desktop window's translation and the
// browser page's: the same code, except where the page leaves a key to the
// browser.

#include "platform/key_rules.h"

#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/web/web_keys.h"

namespace vorn {
namespace {

struct Press {
  const char* Name;
  // As SDL reports it: the key, the modifiers, and the text input that
  // follows (nullptr: none).
  SDL_Keycode Key;
  Uint16 SdlModifiers;
  const char* Text;
  // As the browser reports it: KeyboardEvent.key and the modifiers.
  const char* WebKey;
  int WebModifiers;
  int Desktop;  // the code the window hands over (or kFullScreenSwitch)
  int Browser;  // the code the page hands over; 0: the key stays the browser's
};

// What the window hands over for a press: at most one code, from the key or
// from its text.
int DesktopCode(const Press& p) {
  if (IsFullScreenSwitch(p.Key, p.SdlModifiers)) return kFullScreenSwitch;
  const int down = KeyDownCode(p.Key, p.SdlModifiers);
  const int text = p.Text != nullptr ? TextCode(p.Text, p.SdlModifiers) : 0;
  EXPECT_TRUE(down == 0 || text == 0) << p.Name << ": two codes";
  return down != 0 ? down : text;
}

using web::kModAlt;
using web::kModAltGraph;
using web::kModCtrl;
using web::kModMeta;

TEST(KeyRulesTest, TheWindowAndThePageGiveTheSameCodes) {
  const Press presses[] = {
      {"q", SDLK_q, KMOD_NONE, "q", "q", 0, 'q', 'q'},
      {">", SDLK_PERIOD, KMOD_LSHIFT, ">", ">", 0, '>', '>'},
      {"Escape", SDLK_ESCAPE, KMOD_NONE, nullptr, "Escape", 0, kKeyEscape, kKeyEscape},
      {"Ctrl+Escape", SDLK_ESCAPE, KMOD_LCTRL, nullptr, "Escape", kModCtrl, kKeyEscape, kKeyEscape},
      {"Down", SDLK_DOWN, KMOD_NONE, nullptr, "ArrowDown", 0, kKeyDown, kKeyDown},
      {"e acute", SDLK_e, KMOD_NONE, "\xC3\xA9", "\xC3\xA9", 0, 0xE9, 0xE9},
      {"y diaeresis, the last of them", SDLK_y, KMOD_NONE, "\xC3\xBF", "\xC3\xBF", 0, 0xFF, 0xFF},
      {"the first above them", SDLK_a, KMOD_NONE, "\xC4\x80", "\xC4\x80", 0, 0, 0},
      {"Ctrl+[ is Escape", SDLK_LEFTBRACKET, KMOD_LCTRL, "[", "[", kModCtrl, 27, 27},
      {"Ctrl+Alt+q is Ctrl+Q", SDLK_q, KMOD_LCTRL | KMOD_LALT, "q", "q", kModCtrl | kModAlt, 17, 17},
      {"Ctrl+1 gives nothing", SDLK_1, KMOD_LCTRL, "1", "1", kModCtrl, 0, 0},
      {"AltGr+q types @", SDLK_q, KMOD_RALT, "@", "@", kModAltGraph, '@', '@'},
      {"AltGr as Ctrl+Alt types @", SDLK_q, KMOD_LCTRL | KMOD_RALT, "@", "@",
       kModCtrl | kModAlt | kModAltGraph, '@', '@'},
      {"AltGr+e: the euro is above 255", SDLK_e, KMOD_RALT, "\xE2\x82\xAC", "\xE2\x82\xAC",
       kModAltGraph, 0, 0},
      {"Option+a types a ring", SDLK_a, KMOD_LALT, "\xC3\xA5", "\xC3\xA5", kModAlt, 0xE5, 0xE5},
      {"Alt+Enter switches full screen", SDLK_RETURN, KMOD_LALT, nullptr, "Enter", kModAlt,
       kFullScreenSwitch, kFullScreenSwitch},
      {"Meta+q is the system's", SDLK_q, KMOD_LGUI, "q", "q", kModMeta, 0, 0},
      // Keys the page leaves to the browser.
      {"Tab", SDLK_TAB, KMOD_NONE, nullptr, "Tab", 0, 9, 0},
      {"Shift+Tab", SDLK_TAB, KMOD_LSHIFT, nullptr, "Tab", 0, 9, 0},
      {"Alt+Left", SDLK_LEFT, KMOD_LALT, nullptr, "ArrowLeft", kModAlt, kKeyLeft, 0},
      {"F5", SDLK_F5, KMOD_NONE, nullptr, "F5", 0, kKeyF1 + 4, 0},
      {"F6", SDLK_F6, KMOD_NONE, nullptr, "F6", 0, kKeyF1 + 5, 0},
      {"Ctrl+R", SDLK_r, KMOD_LCTRL, "r", "r", kModCtrl, 18, 0},
      {"Alt+x", SDLK_x, KMOD_LALT, "x", "x", kModAlt, 'x', 0},
  };
  for (const Press& p : presses) {
    EXPECT_EQ(DesktopCode(p), p.Desktop) << p.Name << " in the window";
    EXPECT_EQ(web::TranslateKey(p.WebKey, p.WebModifiers), p.Browser) << p.Name << " in the page";
  }
}

}  // namespace
}  // namespace vorn
