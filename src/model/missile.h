#pragma once
// The battery's missile: launch, gyro settling, boost, roll stabilisation,
// dive, half-g cruise with in-flight guidance, and the burst.

#include "display/angles.h"

namespace vorn {

// The missile's phases in the order it flies them; the numbers are the
// phase numbers the console has always used.
enum class FlightPhase : int {
  Ready = 0,
  SettleGyro = 1,
  Boost = 2,
  RollStab = 3,
  Dive = 4,
  Cruise = 5,
  Burst = 6,
};

// The missile's mean speed on the way out, yd/s: the speed it accelerates
// toward in flight, and the fly-out law the computer solves with.
inline constexpr double kMissileCruiseSpeed = 1227.6;

struct MissileState {
  FlightPhase MissilePhase = FlightPhase::Ready;
  double MissileX = 0.0;
  double MissileY = 0.0;
  double MissileAlt = 0.0;
  double MissileVX = 0.0;
  double MissileVY = 0.0;
  double MissileVZ = 0.0;
  double MissileHeading = 0.0;
  double MissilePitch = kHalfPi;  // upright on the launcher
  double MissileSpeed = 0.0;
  double MissileFlightTime = 0.0;
  double GyroSettleTimer = 0.0;
  double BurstTimer = 0.0;
  double BurstSnapPending = 0.0;
  double SteerLateral = 0.0;
  double SteerVertical = 0.0;
  double LauncherNumber = 1.0;
  double SectionNumber = 1.0;
  double BurstClutter = 1.0;
};

// The guidance and burst branches of the fire-control routine, for the
// phases SettleGyro to Burst; called by UpdateFireControl.
void UpdateFlightPhase();
// Moves the missile and makes the early phase transitions.
void FlyMissile();

}  // namespace vorn
