#include "model/targets.h"

#include <cmath>

#include "app/console_state.h"
#include "display/canvas.h"
#include "display/services.h"

namespace vorn {

namespace {

constexpr double kTickSeconds = 0.1;
constexpr double kPi = 3.141592653589793;
constexpr long kWeavePeriod = 140;              // tenths of a second: one weave cycle is 14 s
constexpr double kWeaveYardsPerG = 245.0;       // weave displacement per g of evasion
constexpr double kPictureRange = 300000.0;      // ground range beyond which an aircraft is replaced
constexpr double kNewcomerMinRange = 250000.0;  // inner edge of the ring a newcomer starts on

// The weave factor at the current time: one full sine cycle every 14 s,
// -sin 1 at the start of each cycle.
double WeaveFactor() {
  const long tenths = std::lrint(10.0 * State.Now);
  const long r = ((tenths % kWeavePeriod) + kWeavePeriod) % kWeavePeriod;
  return std::sin(std::fabs(70.0 - static_cast<double>(r) / 70.0) * kPi - 1.0);
}

// The tracking radar's view of slot i: the true position plus the weave, and
// the velocity it infers from one tick to the next.
void UpdateTrack(int i) {
  const auto s = static_cast<std::size_t>(i);
  State.WeaveOffset = kWeaveYardsPerG * State.EvasionG * WeaveFactor();

  if (State.EvasionG == 0.0) {
    State.TrackX = State.TargetX[s];
    State.TrackY = State.TargetY[s];
    State.TrackAlt = State.TargetAlt[s];
    // Clears the evasion notice on the legend line.
    SetTextPosition(3, 86);
    PrintText("                       ", true);
  } else {
    const double heading = std::atan2(State.TargetVY[s], State.TargetVX[s]);
    const double climb = std::atan2(
        State.TrackVZ,
        std::sqrt(State.TargetVX[s] * State.TargetVX[s] + State.TargetVY[s] * State.TargetVY[s]));
    State.TrackX = State.TargetX[s] + State.WeaveOffset * std::sin(heading);
    State.TrackY = State.TargetY[s] + State.WeaveOffset * std::cos(heading);
    State.TrackAlt = State.TargetAlt[s] + State.WeaveOffset * std::cos(climb);
  }

  // A new track has no previous position to difference against, so it starts
  // from the true velocity; without evasion the true velocity is what is seen.
  if (static_cast<double>(i) != State.PrevTrackedSlot || State.EvasionG == 0.0) {
    State.TrackVX = State.TargetVX[s];
    State.TrackVY = State.TargetVY[s];
    State.TrackVZ = State.TargetVZ[s];
    State.PrevTrackedSlot = static_cast<double>(i);
  } else {
    State.TrackVX = (State.TrackX - State.PrevTrackX) / kTickSeconds;
    State.TrackVY = (State.TrackY - State.PrevTrackY) / kTickSeconds;
    State.TrackVZ = (State.TrackAlt - State.PrevTrackAlt) / kTickSeconds;
  }
  State.PrevTrackX = State.TrackX;
  State.PrevTrackY = State.TrackY;
  State.PrevTrackAlt = State.TrackAlt;

  // Bearing, range and speed come from the true aircraft, without the weave.
  State.TrackAz = State.TargetAz[s];
  State.TrackSlantRange = State.TargetSlantRange[s];
  State.TrackGroundSpeed =
      std::sqrt(State.TargetVX[s] * State.TargetVX[s] + State.TargetVY[s] * State.TargetVY[s]);
}

// A fresh uniform offset in yards in (-300000, 300000].
double RandomCoordinate() {
  return kPictureRange * (1.0 - 2.0 * NextRandom(1));
}

}  // namespace

void MoveTargets() {
  for (int i = 1; i < kTargetSlots; ++i) {
    const auto s = static_cast<std::size_t>(i);
    State.TargetX[s] += kTickSeconds * State.TargetVX[s];
    State.TargetY[s] += kTickSeconds * State.TargetVY[s];
    State.TargetAlt[s] += kTickSeconds * State.TargetVZ[s];
    State.TargetAz[s] = std::atan2(State.TargetY[s], State.TargetX[s]);
    State.TargetSlantRange[s] =
        std::sqrt(State.TargetX[s] * State.TargetX[s] + State.TargetY[s] * State.TargetY[s] +
                  State.TargetAlt[s] * State.TargetAlt[s]);
    if (i == State.TargetDesignated) UpdateTrack(i);
  }
}

void ReplaceDistantTargets() {
  for (int i = 1; i < kTargetSlots; ++i) {
    const auto s = static_cast<std::size_t>(i);
    double& x = State.TargetX[s];
    double& y = State.TargetY[s];
    if (!(std::sqrt(x * x + y * y) > kPictureRange)) continue;

    // Uniform on the square, kept only on the ring at the picture's edge.
    double range = 0.0;
    do {
      x = RandomCoordinate();
      y = RandomCoordinate();
      range = std::sqrt(x * x + y * y);
    } while (range < kNewcomerMinRange || range > kPictureRange);

    State.TargetAlt[s] = 1000.0 + 10000.0 * NextRandom(1);
    State.TargetVZ[s] = 0.0;
    // Heading for the battery at ground range / 400 yd/s, each component
    // disturbed by up to 100 yd/s. The friend-or-foe flag stays with the slot.
    State.TargetVX[s] = (-x / 400.0 + 100.0) - 200.0 * NextRandom(1);
    State.TargetVY[s] = (-y / 400.0 + 100.0) - 200.0 * NextRandom(1);
  }
}

}  // namespace vorn
