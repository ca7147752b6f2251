#include "model/targets.h"

#include <cmath>

#include "display/angles.h"
#include "display/canvas.h"
#include "display/services.h"
#include "model/model_state.h"

namespace vorn {

namespace {

constexpr double kTickSeconds = kTickPeriod;
constexpr long kWeavePeriod = 140;              // tenths of a second: one weave cycle is 14 s
constexpr double kWeaveYardsPerG = 245.0;       // weave displacement per g of evasion
constexpr double kPictureRange = 300000.0;      // ground range beyond which an aircraft is replaced
constexpr double kNewcomerMinRange = 250000.0;  // inner edge of the ring a newcomer starts on

// The weave factor at the current time: one full sine cycle every 14 s,
// -sin 1 at the start of each cycle.
double WeaveFactor() {
  const long tenths = std::lrint(10.0 * Model.Now);
  const long r = ((tenths % kWeavePeriod) + kWeavePeriod) % kWeavePeriod;
  return std::sin(std::fabs(70.0 - static_cast<double>(r) / 70.0) * kPi - 1.0);
}

// The tracking radar's view of slot i: the true position plus the weave, and
// the velocity it infers from one tick to the next.
void UpdateTrack(int i) {
  const auto s = static_cast<std::size_t>(i);
  Model.WeaveOffset = kWeaveYardsPerG * Model.EvasionG * WeaveFactor();

  if (Model.EvasionG == 0.0) {
    Model.TrackX = Model.TargetX[s];
    Model.TrackY = Model.TargetY[s];
    Model.TrackAlt = Model.TargetAlt[s];
    // Clears the evasion notice on the legend line.
    SetTextPosition(3, 86);
    PrintText("                       ", true);
  } else {
    const double heading = std::atan2(Model.TargetVY[s], Model.TargetVX[s]);
    const double climb = std::atan2(
        Model.TrackVZ,
        std::sqrt(Model.TargetVX[s] * Model.TargetVX[s] + Model.TargetVY[s] * Model.TargetVY[s]));
    Model.TrackX = Model.TargetX[s] + Model.WeaveOffset * std::sin(heading);
    Model.TrackY = Model.TargetY[s] + Model.WeaveOffset * std::cos(heading);
    Model.TrackAlt = Model.TargetAlt[s] + Model.WeaveOffset * std::cos(climb);
  }

  // A new track has no previous position to difference against, so it starts
  // from the true velocity; without evasion the true velocity is what is seen.
  if (static_cast<double>(i) != Model.PrevTrackedSlot || Model.EvasionG == 0.0) {
    Model.TrackVX = Model.TargetVX[s];
    Model.TrackVY = Model.TargetVY[s];
    Model.TrackVZ = Model.TargetVZ[s];
    Model.PrevTrackedSlot = static_cast<double>(i);
  } else {
    Model.TrackVX = (Model.TrackX - Model.PrevTrackX) / kTickSeconds;
    Model.TrackVY = (Model.TrackY - Model.PrevTrackY) / kTickSeconds;
    Model.TrackVZ = (Model.TrackAlt - Model.PrevTrackAlt) / kTickSeconds;
  }
  Model.PrevTrackX = Model.TrackX;
  Model.PrevTrackY = Model.TrackY;
  Model.PrevTrackAlt = Model.TrackAlt;

  // Bearing, range and speed come from the true aircraft, without the weave.
  Model.TrackAz = Model.TargetAz[s];
  Model.TrackSlantRange = Model.TargetSlantRange[s];
  Model.TrackGroundSpeed =
      std::sqrt(Model.TargetVX[s] * Model.TargetVX[s] + Model.TargetVY[s] * Model.TargetVY[s]);
}

// A fresh uniform offset in yards in (-300000, 300000].
double RandomCoordinate() {
  return kPictureRange * (1.0 - 2.0 * NextRandom(1));
}

}  // namespace

void MoveTargets() {
  for (int i = 1; i < kTargetSlots; ++i) {
    const auto s = static_cast<std::size_t>(i);
    Model.TargetX[s] += kTickSeconds * Model.TargetVX[s];
    Model.TargetY[s] += kTickSeconds * Model.TargetVY[s];
    Model.TargetAlt[s] += kTickSeconds * Model.TargetVZ[s];
    Model.TargetAz[s] = std::atan2(Model.TargetY[s], Model.TargetX[s]);
    Model.TargetSlantRange[s] =
        std::sqrt(Model.TargetX[s] * Model.TargetX[s] + Model.TargetY[s] * Model.TargetY[s] +
                  Model.TargetAlt[s] * Model.TargetAlt[s]);
    if (i == Model.TargetDesignated) UpdateTrack(i);
  }
}

void ReplaceDistantTargets() {
  for (int i = 1; i < kTargetSlots; ++i) {
    const auto s = static_cast<std::size_t>(i);
    double& x = Model.TargetX[s];
    double& y = Model.TargetY[s];
    if (!(std::sqrt(x * x + y * y) > kPictureRange)) continue;

    // Uniform on the square, kept only on the ring at the picture's edge.
    double range = 0.0;
    do {
      x = RandomCoordinate();
      y = RandomCoordinate();
      range = std::sqrt(x * x + y * y);
    } while (range < kNewcomerMinRange || range > kPictureRange);

    Model.TargetAlt[s] = 1000.0 + 10000.0 * NextRandom(1);
    Model.TargetVZ[s] = 0.0;
    // Heading for the battery at ground range / 400 yd/s, each component
    // disturbed by up to 100 yd/s. The friend-or-foe flag stays with the slot.
    Model.TargetVX[s] = (-x / 400.0 + 100.0) - 200.0 * NextRandom(1);
    Model.TargetVY[s] = (-y / 400.0 + 100.0) - 200.0 * NextRandom(1);
  }
}

}  // namespace vorn
