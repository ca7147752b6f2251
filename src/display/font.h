#pragma once
// The console's 8 x 16 bitmap font.

#include <cstdint>

namespace vorn {

inline constexpr int kGlyphWidth = 8;
inline constexpr int kGlyphHeight = 16;

// Rows of the glyphs for codes 32 to 126, most significant bit leftmost.
extern const std::uint8_t kPrintableGlyphs[95][16];

// A hollow box with a diagonal: shown for codes outside printable ASCII so
// that they are visible, yet cannot be taken for a letter.
inline constexpr std::uint8_t kFallbackGlyph[16] = {0x00, 0x00, 0x7E, 0x42, 0x62, 0x52, 0x52, 0x4A,
                                                    0x4A, 0x46, 0x42, 0x7E, 0x00, 0x00, 0x00, 0x00};

inline const std::uint8_t* GlyphFor(unsigned char code) {
  if (code >= 32 && code <= 126) return kPrintableGlyphs[code - 32];
  return kFallbackGlyph;
}

}  // namespace vorn
