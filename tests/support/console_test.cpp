#include "support/console_test.h"

#include <cmath>

#include "display/canvas.h"
#include "display/font.h"

namespace vorn::test {

void ConsoleTest::SetUp() {
  ResetConsoleState();
  host_ = std::make_unique<HeadlessHost>();
  AttachHost(host_.get());
}

void ConsoleTest::TearDown() {
  AttachHost(nullptr);
}

void ConsoleTest::StartConsole() {
  InitializeState();
  RestartConsole();
}

void ConsoleScreenTest::SetUp() {
  ConsoleTest::SetUp();
  OpenScreen(kConsoleMode, 16);
}

void StartedConsoleTest::SetUp() {
  ConsoleTest::SetUp();
  StartConsole();
}

Transfer ConsoleTest::RunUntil(double now) {
  while (State.Now < now) {
    const Transfer transfer = RunSchedulerPass();
    if (transfer != Transfer::None) return transfer;
  }
  return Transfer::None;
}

Transfer ConsoleTest::RunTicks(int ticks) {
  for (int i = 0; i < ticks; ++i) {
    const double tickTime = State.TickTime;
    const double pauseOffset = State.PauseOffset;
    while (State.TickTime == tickTime && State.PauseOffset == pauseOffset) {
      const Transfer transfer = RunSchedulerPass();
      if (transfer != Transfer::None) return transfer;
    }
  }
  return Transfer::None;
}

namespace {

// The cell's lit pixels as glyph rows.
bool ReadCell(int row, int column, std::uint8_t bits[16], std::uint32_t& foreground) {
  const auto& canvas = State.Canvas;
  if (row < 1 || column < 1 || row > canvas.TextRows || column > canvas.TextColumns) return false;
  const int x0 = (column - 1) * kGlyphWidth, y0 = (row - 1) * kGlyphHeight;
  const std::uint32_t background = PixelAt(x0 + 7, y0 + 15);  // glyphs leave this corner dark
  foreground = 0;
  for (int gy = 0; gy < kGlyphHeight; ++gy) {
    bits[gy] = 0;
    for (int gx = 0; gx < kGlyphWidth; ++gx) {
      const std::uint32_t p = PixelAt(x0 + gx, y0 + gy);
      if (p != background) {
        bits[gy] = static_cast<std::uint8_t>(bits[gy] | (0x80u >> gx));
        if (foreground == 0) foreground = p;
      }
    }
  }
  return true;
}

}  // namespace

std::string ReadCanvasText(int row, int column, int length) {
  std::string text;
  for (int i = 0; i < length; ++i) {
    std::uint8_t bits[16];
    std::uint32_t foreground = 0;
    char found = '?';
    if (ReadCell(row, column + i, bits, foreground)) {
      for (int code = 32; code <= 126; ++code) {
        if (std::equal(bits, bits + 16, kPrintableGlyphs[code - 32])) {
          found = static_cast<char>(code);
          break;
        }
      }
    }
    text += found;
  }
  return text;
}

std::uint32_t CellForeground(int row, int column) {
  std::uint8_t bits[16];
  std::uint32_t foreground = 0;
  ReadCell(row, column, bits, foreground);
  return foreground;
}

void PlaceAircraft(int slot, double x, double y, double alt) {
  const auto i = static_cast<std::size_t>(slot);
  State.TargetX[i] = x;
  State.TargetY[i] = y;
  State.TargetAlt[i] = alt;
  State.TargetAz[i] = std::atan2(y, x);
  State.TargetSlantRange[i] = std::sqrt(x * x + y * y + alt * alt);
}

std::uint32_t Colour(int rgb) {
  return ConvertColour(rgb);
}

int CountPixels(int left, int top, int right, int bottom, int rgb) {
  const std::uint32_t want = ConvertColour(rgb);
  int count = 0;
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x)
      if (PixelAt(x, y) == want) ++count;
  return count;
}

}  // namespace vorn::test
