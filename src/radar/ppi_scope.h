#pragma once
// The acquisition radar's round PPI scope: a sweep turning clockwise once
// every 4.32 s that paints noise, echoes, IFF replies and the track marker
// into a slowly fading phosphor picture.

#include <array>
#include <cstdint>
#include <vector>

namespace vorn {

inline constexpr int kPpiGridSize = 401;             // grid cells 0..400 on each axis
inline constexpr int kPpiColumnStride = 512;         // a column of 401 cells padded to 512
inline constexpr std::int8_t kPpiNeverPainted = 10;  // phase of a pixel no beam has touched

// Where grid cell (x, y) lives in the grid. Columns are padded to a
// power of two so the sweep can take a cell index apart with a shift; the
// padding cells are never used.
constexpr int PpiCell(int x, int y) {
  return x * kPpiColumnStride + y;
}

// One scope pixel's phosphor. Brightness never leaves 0..255 (painting caps
// it), so a byte holds it. Phase: 0 just painted, 1..5 faded that often
// since, kPpiNeverPainted before the first paint.
struct PpiPhosphor {
  std::uint8_t Intensity = 0;
  std::int8_t Phase = kPpiNeverPainted;
};

struct PpiState {
  double SweepAngle = 0.0;      // the live beam, radians counter-clockwise from east
  std::int64_t SweepSteps = 0;  // steps taken since start, for measurements
  // Phosphor brightness and decay phase of each scope pixel, indexed by
  // PpiCell(x, y), grid y growing northwards. The two lie side by side, so
  // the sweep's scattered reads and writes of a pixel touch one cache line.
  std::vector<PpiPhosphor> PpiCells =
      std::vector<PpiPhosphor>(kPpiGridSize * kPpiColumnStride, PpiPhosphor{});
  int TrackNear = 0;
  int TrackSector = 0;
  std::array<int, 7> EchoRadii{};
  int EchoCount = 0;
  std::array<int, 7> IffRadii{};
  int IffCount = 0;
  // Phosphor colour (n, n, 0) of each brightness n in the canvas's pixel
  // format, built for the canvas depth in PpiColourBits (0: not yet built).
  std::array<std::uint32_t, 256> PpiColours{};
  int PpiColourBits = 0;
};

void StepPpiSweep();
void DrawPpiMarkings();

}  // namespace vorn
