#pragma once
// The acquisition radar's round PPI scope: a sweep turning clockwise once
// every 4.32 s that paints noise, echoes, IFF replies and the track marker
// into a slowly fading phosphor picture.

#include <array>
#include <cstdint>
#include <vector>

namespace vorn {

inline constexpr int kPpiGridSize = 401;           // grid cells 0..400 on each axis
inline constexpr std::int8_t kPpiNeverPainted = 10;  // phase of a pixel no beam has touched

struct PpiState {
  double SweepAngle = 0.0;  // the live beam, radians counter-clockwise from east
  // Phosphor brightness 0..255 and decay phase of each scope pixel, indexed
  // [x * 401 + y], grid y growing northwards.
  std::vector<std::int32_t> PpiIntensity =
      std::vector<std::int32_t>(kPpiGridSize * kPpiGridSize, 0);
  std::vector<std::int8_t> PpiPhase =
      std::vector<std::int8_t>(kPpiGridSize * kPpiGridSize, kPpiNeverPainted);
  int TrackNear = 0;
  int TrackSector = 0;
  std::array<int, 7> EchoRadii{};
  int EchoCount = 0;
  std::array<int, 7> IffRadii{};
  int IffCount = 0;
};

void StepPpiSweep();
void DrawPpiMarkings();

}  // namespace vorn
