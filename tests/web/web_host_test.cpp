// The browser host's pure parts: keys to key codes and the pixels the page
// puts. Where the canvas sits and where a pointer falls on it is the shared
// letterbox's (tests/platform/letterbox_test.cpp).

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/host.h"
#include "platform/web/web_keys.h"
#include "platform/web/web_pixels.h"

namespace vorn::web {
namespace {

struct KeyCase {
  std::string_view Key;
  int Modifiers;
  int Code;
};

TEST(WebKeysTest, TakesOnlyTheConsolesKeys) {
  const KeyCase cases[] = {
      // Characters as the layout types them, up to 255.
      {"a", 0, 'a'},
      {"A", 0, 'A'},
      {"q", 0, 'q'},
      {" ", 0, ' '},
      {">", 0, '>'},
      {"\xC3\xA9", 0, 0xE9},   // e acute, two UTF-8 bytes
      {"\xE2\x82\xAC", 0, 0},  // the euro sign is above 255
      // Keys without a character.
      {"Escape", 0, kKeyEscape},
      {"Enter", 0, kKeyEnter},
      {"Backspace", 0, 8},
      {"Tab", 0, 0},  // moves the focus
      {"ArrowUp", 0, kKeyUp},
      {"ArrowDown", 0, kKeyDown},
      {"ArrowLeft", 0, kKeyLeft},
      {"ArrowRight", 0, kKeyRight},
      {"Insert", 0, kKeyInsert},
      {"Delete", 0, kKeyDelete},
      {"Home", 0, kKeyHome},
      {"End", 0, kKeyEnd},
      {"PageUp", 0, kKeyPageUp},
      {"PageDown", 0, kKeyPageDown},
      {"F1", 0, 0},  // function keys are the browser's
      {"F10", 0, 0},
      {"F11", 0, 0},
      {"F0", 0, 0},
      {"F1x", 0, 0},
      {"F", 0, 'F'},
      // Keys the console has no code for.
      {"Shift", 0, 0},
      {"Control", kModCtrl, 0},
      {"Dead", 0, 0},
      {"Unidentified", 0, 0},
      {"", 0, 0},
      // Ctrl or Alt with a letter or digit, and Meta with anything, are the
      // browser's; Ctrl+Alt is Ctrl (more in the window's and the page's
      // table, tests/platform/key_rules_test.cpp).
      {"a", kModCtrl, 0},
      {"Z", kModCtrl, 0},
      {"1", kModCtrl, 0},
      {"]", kModCtrl, 29},
      {"c", kModMeta, 0},
      {"x", kModAlt, 0},
      // Alt with an ASCII letter or digit is the browser's, right up to the
      // characters beside them.
      {"a", kModAlt, 0},
      {"z", kModAlt, 0},
      {"A", kModAlt, 0},
      {"Z", kModAlt, 0},
      {"0", kModAlt, 0},
      {"9", kModAlt, 0},
      {"`", kModAlt, '`'},
      {"{", kModAlt, '{'},
      {"@", kModAlt, '@'},
      {"[", kModAlt, '['},
      {"/", kModAlt, '/'},
      {":", kModAlt, ':'},
      {"A", kModCtrl | kModAlt, 1},  // with Shift
      {"Z", kModCtrl | kModAlt, 26},
      {"@", kModCtrl | kModAlt, 0},
      {"Escape", kModCtrl, kKeyEscape},
      {"PageDown", kModCtrl, 0},  // next tab
  };
  for (const KeyCase& c : cases)
    EXPECT_EQ(TranslateKey(c.Key, c.Modifiers), c.Code)
        << "key \"" << c.Key << "\" modifiers " << c.Modifiers;
}

// The bytes R, G, B, A of an RGBA pixel.
std::vector<int> Bytes(std::uint32_t p) {
  return {static_cast<int>(p & 0xFF), static_cast<int>(p >> 8 & 0xFF),
          static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 24)};
}

TEST(WebPixelsTest, ConvertsOnlyTheChangedRectangle) {
  // A 4 x 3 canvas of 5-6-5 pixels; the rectangle is 2 x 2 at (1, 1).
  const std::vector<std::uint16_t> pixels = {
      0, 0,      0,      0,  //
      0, 0xF800, 0x07E0, 0,  //
      0, 0x001F, 0x8410, 0,  //
  };
  const Region changed{1, 1, 2, 2};
  const Frame frame{4, 3, 16, pixels.data(), std::span<const Region>(&changed, 1), false};
  std::vector<std::uint32_t> rgba(12, 0x12345678u);
  ConvertRegion(frame, changed, rgba.data());
  EXPECT_EQ(Bytes(rgba[5]), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(Bytes(rgba[6]), (std::vector<int>{0, 255, 0, 255}));
  EXPECT_EQ(Bytes(rgba[9]), (std::vector<int>{0, 0, 255, 255}));
  EXPECT_EQ(Bytes(rgba[10]), (std::vector<int>{132, 130, 132, 255}));  // mid grey
  for (const int untouched : {0, 3, 4, 7, 8, 11}) EXPECT_EQ(rgba[untouched], 0x12345678u);
}

TEST(WebPixelsTest, ConvertsDeepPixelsAndKeepsToTheCanvas) {
  const std::vector<std::uint32_t> pixels = {0x00FF8000, 0x00123456};
  // A rectangle reaching past the canvas converts only what is on it.
  const Region changed{-1, 0, 5, 4};
  const Frame frame{2, 1, 32, pixels.data(), std::span<const Region>(&changed, 1), false};
  std::vector<std::uint32_t> rgba(2, 0);
  ConvertRegion(frame, changed, rgba.data());
  EXPECT_EQ(Bytes(rgba[0]), (std::vector<int>{255, 128, 0, 255}));
  EXPECT_EQ(Bytes(rgba[1]), (std::vector<int>{0x12, 0x34, 0x56, 255}));
}

}  // namespace
}  // namespace vorn::web
