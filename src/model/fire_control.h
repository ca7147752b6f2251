#pragma once
// The fire-control computer: while the missile is ready it solves where and
// when a missile fired now would meet the tracked aircraft.

namespace vorn {

struct FireControlState {
  double SolverTime = 0.0;  // working estimate of the time to intercept, s
  double SolverAz = 0.0;    // working estimate of the intercept azimuth, rad
  // Scratch values of one solution step.
  double PredX = 0.0;
  double PredY = 0.0;
  double PredRange = 0.0;
  double PredAz = 0.0;
  double MissileReach = 0.0;
  // Published solution.
  double TimeToIntercept = 0.0;
  double PipX = 0.0;
  double PipY = 0.0;
  double PipAlt = 0.0;
  double PipBearingDeg = 0.0;
  int ComputerSettled = 0;
};

// Every tick: the common preamble, then the computer while the missile is
// ready, or the flight branch of the missile's phase.
void UpdateFireControl();

// Intercept altitudes are kept between 1 yard and 80,000 feet.
inline constexpr double kMinPipAlt = 1.0;
inline constexpr double kMaxPipAlt = 26666.66666666667;
inline double ClampInterceptAltitude(double alt) {
  if (alt < kMinPipAlt) return kMinPipAlt;
  if (alt > kMaxPipAlt) return kMaxPipAlt;
  return alt;
}

}  // namespace vorn
