#include "platform/journal/journal_format.h"

#include <array>
#include <cstring>

namespace vorn::journal {

const char* Describe(Event::Type type) {
  switch (type) {
    case Event::Type::Clock:
      return "a clock reading";
    case Event::Type::Wait:
      return "a wait";
    case Event::Type::Shown:
      return "a shown frame";
    case Event::Type::Input:
      return "an input";
    case Event::Type::End:
      return "the end mark";
    case Event::Type::Saved:
      return "the mark of a journal saved while the console ran";
  }
  return "an event";
}

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

inline std::uint64_t Mix(std::uint64_t h, std::uint64_t word) {
  h = (h ^ word) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}

// Mixes n bytes: 32 at a time in four independent lanes (the multiplies
// then overlap instead of waiting on each other), the rest eight at a time.
std::uint64_t MixBytes(std::uint64_t h, const unsigned char* bytes, std::size_t n) {
  std::size_t i = 0;
  if (n >= 32) {
    std::uint64_t lanes[4] = {h, h ^ 0x243F6A8885A308D3ull, h ^ 0x13198A2E03707344ull,
                              h ^ 0xA4093822299F31D0ull};
    for (; i + 32 <= n; i += 32) {
      std::uint64_t words[4];
      std::memcpy(words, bytes + i, 32);
      for (int lane = 0; lane < 4; ++lane) lanes[lane] = Mix(lanes[lane], words[lane]);
    }
    h = Mix(Mix(Mix(lanes[0], lanes[1]), lanes[2]), lanes[3]);
  }
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    h = Mix(h, word);
  }
  if (i < n) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes + i, n - i);
    h = Mix(h, word ^ (static_cast<std::uint64_t>(n - i) << 56));
  }
  return h;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  crc = ~crc;
  for (const std::uint8_t b : bytes) crc = kCrcTable[(crc ^ b) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t FrameDigest(const Frame& frame) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  h = Mix(h, static_cast<std::uint64_t>(static_cast<std::uint32_t>(frame.Width)) << 32 |
                 static_cast<std::uint32_t>(frame.Height));
  h = Mix(h, static_cast<std::uint64_t>(frame.BitsPerPixel) << 1 | (frame.NewScreen ? 1 : 0));
  const std::size_t bytesPerPixel = frame.BitsPerPixel == 32 ? 4 : 2;
  const auto* pixels = static_cast<const unsigned char*>(frame.Pixels);
  for (const Region& r : frame.Changed) {
    h = Mix(h, static_cast<std::uint64_t>(static_cast<std::uint32_t>(r.X)) << 32 |
                   static_cast<std::uint32_t>(r.Y));
    h = Mix(h, static_cast<std::uint64_t>(static_cast<std::uint32_t>(r.Width)) << 32 |
                   static_cast<std::uint32_t>(r.Height));
    // Only rectangles inside the canvas are read; the console hands no other.
    if (pixels == nullptr || r.X < 0 || r.Y < 0 || r.Width <= 0 || r.Height <= 0 ||
        r.X + r.Width > frame.Width || r.Y + r.Height > frame.Height)
      continue;
    const std::size_t rowBytes = static_cast<std::size_t>(r.Width) * bytesPerPixel;
    for (int y = r.Y; y < r.Y + r.Height; ++y) {
      const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width) +
                              static_cast<std::size_t>(r.X)) *
                             bytesPerPixel;
      h = MixBytes(h, pixels + at, rowBytes);
    }
  }
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

void PutVarint(std::string& out, std::uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

}  // namespace vorn::journal
