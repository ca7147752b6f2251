#include "model/missile.h"

#include <cmath>
#include <cstddef>
#include <string>

#include "display/angles.h"
#include "display/canvas.h"
#include "display/picture.h"
#include "display/services.h"
#include "model/fire_control.h"
#include "model/model_state.h"

namespace vorn {

namespace {

constexpr double kTick = kTickPeriod;  // seconds of flight per model step

constexpr double kUpright = kHalfPi;                  // pitch on the launcher
constexpr double kPullOutPitch = 0.1963495408493621;  // pi/16: low enough to test the pull-out
constexpr double kCruiseSpeed = kMissileCruiseSpeed;  // yd/s the missile accelerates toward
constexpr double kDestroyedX = 500000.0;  // far enough out for the aircraft to be replaced

constexpr int kMissRow = 41;
constexpr int kMissColumn = 70;

// Angles wrap into (-pi, pi] by whole turns. A value far out of range is
// first reduced exactly so that the loops stay short; a value that is no
// angle at all (infinite or NaN) gives no turn.
double WrapAngle(double angle) {
  if (!std::isfinite(angle)) return 0.0;
  if (std::fabs(angle) > 64.0 * kTwoPi) angle = std::fmod(angle, kTwoPi);
  while (angle > kPi) angle -= kTwoPi;
  while (angle <= -kPi) angle += kTwoPi;
  return angle;
}

// The engaged aircraft's slot, or -1 when none is engaged: slot 0 is never
// an aircraft and must keep its zero entries.
int EngagedSlot() {
  const int slot = Model.TargetTracked;
  return slot >= 1 && slot < kTargetSlots ? slot : -1;
}

// The missile closes one hundredth of its gap to cruise speed per tick.
void Accelerate() {
  if (Model.MissileSpeed < kCruiseSpeed)
    Model.MissileSpeed = Model.MissileSpeed - 0.01 * Model.MissileSpeed + 12.276;
}

void StartGyroSettling() {
  Model.SteerLateral = 0.0;
  Model.SteerVertical = 0.0;
  // The last flight's miss distance goes under 64 blanks.
  SetColors(0xFFFFFF, -1);
  SetTextPosition(kMissRow, kMissColumn);
  PrintText(std::string(64, ' '), false);
}

void GuideDive() {
  Accelerate();
  Model.SteerLateral = 0.0;
  Model.SteerVertical = -9.0;
  if (Model.MissilePitch < kPullOutPitch) {
    // Where would the present path end under a steady half-g droop?
    const double t = Model.TimeToIntercept;
    const double arrival =
        Model.MissileAlt + std::sin(Model.MissilePitch) * Model.MissileSpeed * t - 2.5 * (t * t);
    if (arrival < Model.PipAlt) {
      Model.MissilePhase = FlightPhase::Cruise;
      Model.SteerVertical = -0.5;
    }
  }
  if (Model.TimeToIntercept < 1.0) {
    Model.MissilePhase = FlightPhase::Burst;
    Model.BurstTimer = 0.0;
  }
}

// Re-solves the intercept from the missile's own position and course.
void ResolveInFlight() {
  Model.SolverTime = Model.TimeToIntercept;
  for (int k = 0; k < 5; ++k) {
    Model.PredX = Model.TrackX + Model.SolverTime * Model.TrackVX;
    Model.PredY = Model.TrackY + Model.SolverTime * Model.TrackVY;
    const double dx = Model.PredX - Model.MissileX;
    const double dy = Model.PredY - Model.MissileY;
    Model.PredRange = std::sqrt(dx * dx + dy * dy);
    Model.PredAz = std::atan2(dy, dx);
    Model.MissileReach = Model.SolverTime * Model.MissileSpeed;
    Model.SolverAz = std::atan2(Model.MissileVY, Model.MissileVX);
    if (k % 2 == 0)
      Model.SolverAz = Model.SolverAz + (Model.PredAz - Model.SolverAz) / 2;
    else
      Model.SolverTime =
          Model.SolverTime + (Model.PredRange - Model.MissileReach) / Model.MissileSpeed / 2;
    Model.SolverAz = WrapAngle(Model.SolverAz);
  }
}

// The time to intercept follows the solution at a limited rate and never
// goes up, so a jumpy solution cannot hold the burst off.
void CountDownToIntercept() {
  const double tti = Model.TimeToIntercept;
  if (tti - 0.075 < Model.SolverTime)
    Model.TimeToIntercept = tti - 0.075;
  else if (tti - 0.125 > Model.SolverTime)
    Model.TimeToIntercept = tti - 0.125;
  else
    Model.TimeToIntercept = Model.SolverTime;
}

void GuideCruise() {
  Accelerate();
  ResolveInFlight();
  CountDownToIntercept();

  Model.PipX = Model.PredX;
  Model.PipY = Model.PredY;
  Model.PipAlt = ClampInterceptAltitude(Model.TrackAlt + Model.TimeToIntercept * Model.TrackVZ);

  if (Model.TimeToIntercept < 1.0) {
    Model.MissilePhase = FlightPhase::Burst;
    Model.BurstSnapPending = 1.0;
    Model.BurstTimer = 0.0;
    return;
  }

  // The scaled error wraps, so an error past about 36 degrees turns the
  // other way.
  Model.SteerLateral = WrapAngle(10.0 * (Model.SolverAz - Model.PredAz));

  // Mean climb correction that meets the intercept altitude on a path
  // drooping at 5 yd/s/s.
  const double t = Model.TimeToIntercept;
  double order = (Model.PipAlt + 2.5 * (t * t) - t * Model.MissileVZ - Model.MissileAlt) / t;
  if (order < -9.0) order = -9.0;
  if (order > 9.0) order = 9.0;
  Model.SteerVertical = order;
}

void ShowMissDistance() {
  const double mx = std::nearbyint(std::fabs(Model.TrackX - Model.MissileX) / 60);
  const double my = std::nearbyint(std::fabs(Model.TrackY - Model.MissileY) / 60);
  const double mz = std::nearbyint(std::fabs(Model.TrackAlt - Model.MissileAlt) / 60);
  // Whole numbers: the sum of squares is exact in a double for any miss
  // that fits on the screen.
  const double mr = std::nearbyint(std::sqrt(mx * mx + my * my + mz * mz));
  SetTextPosition(kMissRow, kMissColumn);
  BeginPicture("Miss distance yards  X= ### Y= ### Z= ### Radius= ###  ");
  PrintPictureNumber(mx, false, false);
  PrintPictureNumber(my, false, false);
  PrintPictureNumber(mz, false, false);
  PrintPictureNumber(mr, true, true);
}

void RunBurst() {
  if (Model.TimeToIntercept > -0.01) Model.TimeToIntercept -= kTick;

  if (Model.TimeToIntercept > 0) {
    // Until the intercept moment the track coasts on and the distance between
    // it and the burst point is read out.
    Model.TrackX += kTick * Model.TrackVX;
    Model.TrackY += kTick * Model.TrackVY;
    Model.TrackAlt += kTick * Model.TrackVZ;
    Model.MissileX += kTick * Model.MissileVX;
    Model.MissileY += kTick * Model.MissileVY;
    Model.MissileAlt += kTick * Model.MissileVZ;
    ShowMissDistance();
  } else if (Model.BurstSnapPending != 0) {
    Model.MissileX = Model.TrackX;
    Model.MissileY = Model.TrackY;
    Model.MissileAlt = Model.TrackAlt;
    Model.BurstSnapPending = 0.0;
  }

  Model.BurstTimer += kTick;
  const int slot = EngagedSlot();
  if (Model.BurstTimer > 7.0) {
    if (slot >= 0) Model.TargetX[static_cast<std::size_t>(slot)] = kDestroyedX;
    Model.MissilePhase = FlightPhase::Ready;
    Model.TargetTracked = 0;
    Model.TargetDesignated = 0;
    Model.ComputerSettled = 0;
    Model.BurstClutter = 1.0;
  } else if (Model.BurstTimer > 1.0) {
    // The debris slows and drifts, and clutters the tracking radar.
    if (slot >= 0) {
      const auto at = static_cast<std::size_t>(slot);
      Model.TargetVX[at] *= 0.96;
      Model.TargetVY[at] *= 0.96;
      Model.TargetVZ[at] *= 0.96;
    }
    Model.BurstClutter = 1 + NextRandom(1);
    Model.SteerVertical = 0.0;
    Model.SteerLateral = 0.0;
  }
}

void PlaceOnLauncher() {
  Model.MissileFlightTime = 0.0;
  Model.GyroSettleTimer = 0.0;
  if (Model.FireCommand != 0) {
    Model.MissilePhase = FlightPhase::SettleGyro;
    Model.LauncherNumber += 1;
    // A new flight: no earlier burst's placement may carry over to it.
    Model.BurstSnapPending = 0.0;
  }
  Model.MissileX = 14 * Model.LauncherNumber + 15 * Model.SectionNumber + 876;
  Model.MissileY = 0.0;
  Model.MissileAlt = 0.0;
  Model.MissileVX = 0.0;
  Model.MissileVY = 0.0;
  Model.MissileVZ = 0.0;
  Model.MissilePitch = kUpright;
}

void SettleGyros() {
  Model.GyroSettleTimer += kTick;
  Model.TimeToIntercept -= kTick;
  if (Model.GyroSettleTimer > 1.99) Model.MissilePhase = FlightPhase::Boost;
}

void Boost() {
  Model.MissileVZ += 25;
  Model.MissileAlt += kTick * Model.MissileVZ;
  Model.MissileFlightTime += kTick;
  Model.TimeToIntercept -= kTick;
  if (Model.MissileFlightTime > 3.49) Model.MissilePhase = FlightPhase::RollStab;
}

void StabiliseRoll() {
  Model.MissileAlt += kTick * Model.MissileVZ;
  Model.MissileFlightTime += kTick;
  Model.TimeToIntercept -= kTick;
  if (Model.MissileFlightTime > 4.99) {
    Model.MissilePhase = FlightPhase::Dive;
    Model.MissileSpeed = Model.MissileVZ;
  }
}

// Dive and cruise: the steering orders turn the flight path, then the
// missile moves one tick along it.
void FlyGuided() {
  const double s = kTick * Model.MissileSpeed;
  Model.MissilePitch += std::atan2(0.15 * Model.SteerVertical, s);
  Model.MissileHeading -= std::atan2(0.05 * Model.SteerLateral, s);
  Model.MissileHeading = WrapAngle(Model.MissileHeading);
  const double h = std::cos(Model.MissilePitch) * s;
  if (Model.TimeToIntercept < 3.0) {
    // Too close to steer: the last moments are flown straight.
    Model.MissileX += kTick * Model.MissileVX;
    Model.MissileY += kTick * Model.MissileVY;
    Model.MissileAlt += kTick * Model.MissileVZ;
  } else {
    const double dx = std::cos(Model.MissileHeading) * h;
    const double dy = std::sin(Model.MissileHeading) * h;
    const double dz = std::sin(Model.MissilePitch) * s;
    Model.MissileX += dx;
    Model.MissileY += dy;
    Model.MissileAlt += dz;
    Model.MissileVX = dx / kTick;
    Model.MissileVY = dy / kTick;
    Model.MissileVZ = dz / kTick;
  }
  Model.MissileFlightTime += kTick;
  // The cruise counts down its own time to intercept.
  if (Model.MissilePhase != FlightPhase::Cruise && Model.MissilePhase != FlightPhase::Burst)
    Model.TimeToIntercept -= kTick;
}

}  // namespace

void UpdateFlightPhase() {
  switch (Model.MissilePhase) {
    case FlightPhase::SettleGyro:
      StartGyroSettling();
      break;
    case FlightPhase::Dive:
      GuideDive();
      break;
    case FlightPhase::Cruise:
      GuideCruise();
      break;
    case FlightPhase::Burst:
      RunBurst();
      break;
    default:  // boost and roll stabilisation fly unguided
      break;
  }
}

void FlyMissile() {
  switch (Model.MissilePhase) {
    case FlightPhase::Ready:
      PlaceOnLauncher();
      break;
    case FlightPhase::SettleGyro:
      SettleGyros();
      break;
    case FlightPhase::Boost:
      Boost();
      break;
    case FlightPhase::RollStab:
      StabiliseRoll();
      break;
    case FlightPhase::Dive:
    case FlightPhase::Cruise:
      FlyGuided();
      break;
    case FlightPhase::Burst:
      Model.MissileVX = 0.0;
      Model.MissileVY = 0.0;
      Model.MissileVZ = 0.0;
      break;
    default:
      break;
  }
}

}  // namespace vorn
