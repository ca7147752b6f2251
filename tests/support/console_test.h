#pragma once
// Test support: a fresh console on the headless host, and ways to read the
// canvas back as a user would see it.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/console_state.h"
#include "app/scheduler.h"
#include "display/services.h"
#include "model/ppi_geometry.h"
#include "platform/headless/headless_host.h"

namespace vorn::test {

// Each test starts from a fresh console state with a headless host whose
// clock advances 0.4 ms per read (the loop reads it once per pass).
class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Program start: InitializeState and RestartConsole, as the program does.
  void StartConsole();
  // Runs scheduler passes until Now reaches the given simulated time, or
  // control leaves the console.
  Transfer RunUntil(double now);
  Transfer RunFor(double seconds) { return RunUntil(State.Now + seconds); }
  // Runs passes until the next tick has run (TickTime moved) or n passes.
  Transfer RunTicks(int ticks);

  HeadlessHost& Host() { return *host_; }

 private:
  std::unique_ptr<HeadlessHost> host_;
};

// A console test on the console's 1280 x 1024 x 16 screen, nothing drawn.
class ConsoleScreenTest : public ConsoleTest {
 protected:
  void SetUp() override;
};

// A console test on the console as the program starts it.
class StartedConsoleTest : public ConsoleTest {
 protected:
  void SetUp() override;
};

// Sets the mouse snapshot the routines read.
inline void SetMouse(int x, int y, int buttons) {
  SetMouseSnapshot(x, y, buttons);
}
// Puts an aircraft at (x, y, alt) with the azimuth and slant range the target
// motion derives for it.
void PlaceAircraft(int slot, double x, double y, double alt);

// The text in cells (row, column) .. (row, column + length - 1), 1-based,
// read back by matching each cell against the font; '?' for a cell that is
// no glyph in the current colours.
std::string ReadCanvasText(int row, int column, int length);
// The colour of the first lit pixel of a cell (canvas format), 0 if blank.
std::uint32_t CellForeground(int row, int column);
// A 0xRRGGBB colour in the current canvas format.
std::uint32_t Colour(int rgb);
// Counts pixels of a colour within a rectangle, both corners included.
int CountPixels(int left, int top, int right, int bottom, int rgb);

}  // namespace vorn::test
