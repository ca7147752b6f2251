#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

#include "platform/host.h"

namespace vorn {
namespace {

// Ctrl with a letter or [ \ ] gives its control code; the special keys give
// their codes whatever is held; Alt+Enter gives nothing (it switches full
// screen); text with Ctrl is not taken twice, text with Alt or AltGr is.
TEST(SdlKeysTest, KeyPressesGiveOneCodeEach) {
  struct Case {
    SDL_Keycode Key;
    Uint16 Modifiers;
    int Code;
  };
  const Case cases[] = {
      {SDLK_c, KMOD_LCTRL, 3},
      {SDLK_a, KMOD_RCTRL, 1},
      {SDLK_m, KMOD_LCTRL, 13},
      {SDLK_LEFTBRACKET, KMOD_LCTRL, 27},
      {SDLK_z, KMOD_LCTRL, 26},
      {SDLK_1, KMOD_LCTRL, 0},
      {SDLK_c, KMOD_NONE, 0},
      {SDLK_c, KMOD_LCTRL | KMOD_RALT, 0},
      {SDLK_ESCAPE, KMOD_NONE, 27},
      {SDLK_RETURN, KMOD_LCTRL, 13},
      {SDLK_RETURN, KMOD_LALT, 0},
      {SDLK_KP_ENTER, KMOD_RALT, 0},
      {SDLK_DOWN, KMOD_LSHIFT, kKeyDown},
      {SDLK_F10, KMOD_NONE, kKeyF1 + 9},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KeyDownCode(c.Key, c.Modifiers), c.Code)
        << SDL_GetKeyName(c.Key) << " " << c.Modifiers;
  EXPECT_TRUE(IsFullScreenSwitch(SDLK_RETURN, KMOD_LALT));
  EXPECT_FALSE(IsFullScreenSwitch(SDLK_RETURN, KMOD_NONE));

  EXPECT_EQ(TextCode("a", KMOD_NONE), 'a');
  EXPECT_EQ(TextCode("a", KMOD_LALT), 'a');
  EXPECT_EQ(TextCode("!", KMOD_LSHIFT), '!');
  EXPECT_EQ(TextCode("a", KMOD_LCTRL), 0);
  EXPECT_EQ(TextCode("\xC3\xA9", KMOD_NONE), 0xE9);       // é
  EXPECT_EQ(TextCode("\xE2\x82\xAC", KMOD_RALT), 0);      // the euro sign: above 255
  EXPECT_EQ(TextCode("@", KMOD_LCTRL | KMOD_RALT), '@');  // AltGr
}

}  // namespace
}  // namespace vorn
