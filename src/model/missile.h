#pragma once
// The battery's missile: launch, gyro settling, boost, roll stabilisation,
// dive, half-g cruise with in-flight guidance, and the burst.

namespace vorn {

inline constexpr int kPhaseReady = 0;
inline constexpr int kPhaseSettleGyro = 1;
inline constexpr int kPhaseBoost = 2;
inline constexpr int kPhaseRollStab = 3;
inline constexpr int kPhaseDive = 4;
inline constexpr int kPhaseCruise = 5;
inline constexpr int kPhaseBurst = 6;

struct MissileState {
  int MissilePhase = kPhaseReady;
  double MissileX = 0.0;
  double MissileY = 0.0;
  double MissileAlt = 0.0;
  double MissileVX = 0.0;
  double MissileVY = 0.0;
  double MissileVZ = 0.0;
  double MissileHeading = 0.0;
  double MissilePitch = 1.570796326794897;  // pi/2: upright on the launcher
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
