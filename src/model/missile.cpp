#include "model/missile.h"

#include <cmath>
#include <cstddef>
#include <string>

#include "app/console_state.h"
#include "display/canvas.h"
#include "display/picture.h"
#include "display/services.h"

namespace vorn {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kTick = 0.1;  // seconds of flight per model step

constexpr double kUpright = 1.570796326794897;        // pitch on the launcher: pi/2
constexpr double kPullOutPitch = 0.1963495408493621;  // pi/16: low enough to test the pull-out
constexpr double kCruiseSpeed = 1227.6;               // yd/s the missile accelerates toward
constexpr double kMaxPipAlt = 26666.66666666667;      // 80,000 ft
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
  const int slot = State.TargetTracked;
  return slot >= 1 && slot < kTargetSlots ? slot : -1;
}

// The missile closes one hundredth of its gap to cruise speed per tick.
void Accelerate() {
  if (State.MissileSpeed < kCruiseSpeed)
    State.MissileSpeed = State.MissileSpeed - 0.01 * State.MissileSpeed + 12.276;
}

void StartGyroSettling() {
  State.SteerLateral = 0.0;
  State.SteerVertical = 0.0;
  // The last flight's miss distance goes under 64 blanks.
  SetColors(0xFFFFFF, -1);
  SetTextPosition(kMissRow, kMissColumn);
  PrintText(std::string(64, ' '), false);
}

void GuideDive() {
  Accelerate();
  State.SteerLateral = 0.0;
  State.SteerVertical = -9.0;
  if (State.MissilePitch < kPullOutPitch) {
    // Where would the present path end under a steady half-g droop?
    const double t = State.TimeToIntercept;
    const double arrival =
        State.MissileAlt + std::sin(State.MissilePitch) * State.MissileSpeed * t - 2.5 * (t * t);
    if (arrival < State.PipAlt) {
      State.MissilePhase = kPhaseCruise;
      State.SteerVertical = -0.5;
    }
  }
  if (State.TimeToIntercept < 1.0) {
    State.MissilePhase = kPhaseBurst;
    State.BurstTimer = 0.0;
  }
}

// Re-solves the intercept from the missile's own position and course.
void ResolveInFlight() {
  State.SolverTime = State.TimeToIntercept;
  for (int k = 0; k < 5; ++k) {
    State.PredX = State.TrackX + State.SolverTime * State.TrackVX;
    State.PredY = State.TrackY + State.SolverTime * State.TrackVY;
    const double dx = State.PredX - State.MissileX;
    const double dy = State.PredY - State.MissileY;
    State.PredRange = std::sqrt(dx * dx + dy * dy);
    State.PredAz = std::atan2(dy, dx);
    State.MissileReach = State.SolverTime * State.MissileSpeed;
    State.SolverAz = std::atan2(State.MissileVY, State.MissileVX);
    if (k % 2 == 0)
      State.SolverAz = State.SolverAz + (State.PredAz - State.SolverAz) / 2;
    else
      State.SolverTime =
          State.SolverTime + (State.PredRange - State.MissileReach) / State.MissileSpeed / 2;
    State.SolverAz = WrapAngle(State.SolverAz);
  }
}

// The time to intercept follows the solution at a limited rate and never
// goes up, so a jumpy solution cannot hold the burst off.
void CountDownToIntercept() {
  const double tti = State.TimeToIntercept;
  if (tti - 0.075 < State.SolverTime)
    State.TimeToIntercept = tti - 0.075;
  else if (tti - 0.125 > State.SolverTime)
    State.TimeToIntercept = tti - 0.125;
  else
    State.TimeToIntercept = State.SolverTime;
}

void GuideCruise() {
  Accelerate();
  ResolveInFlight();
  CountDownToIntercept();

  State.PipX = State.PredX;
  State.PipY = State.PredY;
  State.PipAlt = State.TrackAlt + State.TimeToIntercept * State.TrackVZ;
  if (State.PipAlt < 1.0) State.PipAlt = 1.0;
  if (State.PipAlt > kMaxPipAlt) State.PipAlt = kMaxPipAlt;

  if (State.TimeToIntercept < 1.0) {
    State.MissilePhase = kPhaseBurst;
    State.BurstSnapPending = 1.0;
    State.BurstTimer = 0.0;
    return;
  }

  // The scaled error wraps, so an error past about 36 degrees turns the
  // other way.
  State.SteerLateral = WrapAngle(10.0 * (State.SolverAz - State.PredAz));

  // Mean climb correction that meets the intercept altitude on a path
  // drooping at 5 yd/s/s.
  const double t = State.TimeToIntercept;
  double order = (State.PipAlt + 2.5 * (t * t) - t * State.MissileVZ - State.MissileAlt) / t;
  if (order < -9.0) order = -9.0;
  if (order > 9.0) order = 9.0;
  State.SteerVertical = order;
}

void ShowMissDistance() {
  const double mx = std::nearbyint(std::fabs(State.TrackX - State.MissileX) / 60);
  const double my = std::nearbyint(std::fabs(State.TrackY - State.MissileY) / 60);
  const double mz = std::nearbyint(std::fabs(State.TrackAlt - State.MissileAlt) / 60);
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
  if (State.TimeToIntercept > -0.01) State.TimeToIntercept -= kTick;

  if (State.TimeToIntercept > 0) {
    // Until the intercept moment the track coasts on and the distance between
    // it and the burst point is read out.
    State.TrackX += kTick * State.TrackVX;
    State.TrackY += kTick * State.TrackVY;
    State.TrackAlt += kTick * State.TrackVZ;
    State.MissileX += kTick * State.MissileVX;
    State.MissileY += kTick * State.MissileVY;
    State.MissileAlt += kTick * State.MissileVZ;
    ShowMissDistance();
  } else if (State.BurstSnapPending != 0) {
    State.MissileX = State.TrackX;
    State.MissileY = State.TrackY;
    State.MissileAlt = State.TrackAlt;
    State.BurstSnapPending = 0.0;
  }

  State.BurstTimer += kTick;
  const int slot = EngagedSlot();
  if (State.BurstTimer > 7.0) {
    if (slot >= 0) State.TargetX[static_cast<std::size_t>(slot)] = kDestroyedX;
    State.MissilePhase = kPhaseReady;
    State.TargetTracked = 0;
    State.TargetDesignated = 0;
    State.ComputerSettled = 0;
    State.BurstClutter = 1.0;
  } else if (State.BurstTimer > 1.0) {
    // The debris slows and drifts, and clutters the tracking radar.
    if (slot >= 0) {
      const auto at = static_cast<std::size_t>(slot);
      State.TargetVX[at] *= 0.96;
      State.TargetVY[at] *= 0.96;
      State.TargetVZ[at] *= 0.96;
    }
    State.BurstClutter = 1 + NextRandom(1);
    State.SteerVertical = 0.0;
    State.SteerLateral = 0.0;
  }
}

void PlaceOnLauncher() {
  State.MissileFlightTime = 0.0;
  State.GyroSettleTimer = 0.0;
  if (State.FireCommand != 0) {
    State.MissilePhase = kPhaseSettleGyro;
    State.LauncherNumber += 1;
  }
  State.MissileX = 14 * State.LauncherNumber + 15 * State.SectionNumber + 876;
  State.MissileY = 0.0;
  State.MissileAlt = 0.0;
  State.MissileVX = 0.0;
  State.MissileVY = 0.0;
  State.MissileVZ = 0.0;
  State.MissilePitch = kUpright;
}

void SettleGyros() {
  State.GyroSettleTimer += kTick;
  State.TimeToIntercept -= kTick;
  if (State.GyroSettleTimer > 1.99) State.MissilePhase = kPhaseBoost;
}

void Boost() {
  State.MissileVZ += 25;
  State.MissileAlt += kTick * State.MissileVZ;
  State.MissileFlightTime += kTick;
  State.TimeToIntercept -= kTick;
  if (State.MissileFlightTime > 3.49) State.MissilePhase = kPhaseRollStab;
}

void StabiliseRoll() {
  State.MissileAlt += kTick * State.MissileVZ;
  State.MissileFlightTime += kTick;
  State.TimeToIntercept -= kTick;
  if (State.MissileFlightTime > 4.99) {
    State.MissilePhase = kPhaseDive;
    State.MissileSpeed = State.MissileVZ;
  }
}

// Dive and cruise: the steering orders turn the flight path, then the
// missile moves one tick along it.
void FlyGuided() {
  const double s = kTick * State.MissileSpeed;
  State.MissilePitch += std::atan2(0.15 * State.SteerVertical, s);
  State.MissileHeading -= std::atan2(0.05 * State.SteerLateral, s);
  State.MissileHeading = WrapAngle(State.MissileHeading);
  const double h = std::cos(State.MissilePitch) * s;
  if (State.TimeToIntercept < 3.0) {
    // Too close to steer: the last moments are flown straight.
    State.MissileX += kTick * State.MissileVX;
    State.MissileY += kTick * State.MissileVY;
    State.MissileAlt += kTick * State.MissileVZ;
  } else {
    const double dx = std::cos(State.MissileHeading) * h;
    const double dy = std::sin(State.MissileHeading) * h;
    const double dz = std::sin(State.MissilePitch) * s;
    State.MissileX += dx;
    State.MissileY += dy;
    State.MissileAlt += dz;
    State.MissileVX = dx / kTick;
    State.MissileVY = dy / kTick;
    State.MissileVZ = dz / kTick;
  }
  State.MissileFlightTime += kTick;
  // The cruise counts down its own time to intercept.
  if (State.MissilePhase != kPhaseCruise && State.MissilePhase != kPhaseBurst)
    State.TimeToIntercept -= kTick;
}

}  // namespace

void UpdateFlightPhase() {
  switch (State.MissilePhase) {
    case kPhaseSettleGyro:
      StartGyroSettling();
      break;
    case kPhaseDive:
      GuideDive();
      break;
    case kPhaseCruise:
      GuideCruise();
      break;
    case kPhaseBurst:
      RunBurst();
      break;
    default:  // boost and roll stabilisation fly unguided
      break;
  }
}

void FlyMissile() {
  switch (State.MissilePhase) {
    case kPhaseReady:
      PlaceOnLauncher();
      break;
    case kPhaseSettleGyro:
      SettleGyros();
      break;
    case kPhaseBoost:
      Boost();
      break;
    case kPhaseRollStab:
      StabiliseRoll();
      break;
    case kPhaseDive:
    case kPhaseCruise:
      FlyGuided();
      break;
    case kPhaseBurst:
      State.MissileVX = 0.0;
      State.MissileVY = 0.0;
      State.MissileVZ = 0.0;
      break;
    default:
      break;
  }
}

}  // namespace vorn
