#include "model/fire_control.h"

#include <cmath>
#include <numbers>
#include <string_view>

#include "app/console_state.h"
#include "app/site_controls.h"
#include "display/canvas.h"
#include "model/missile.h"

namespace vorn {

namespace {

// Fly-out law of a missile fired now: it covers 1227.6 yd/s on average
// after a delay of 11731.2 / 1227.6 (about 9.56) seconds.
constexpr double kFlyOutSpeed = 1227.6;
constexpr double kFlyOutDelayYards = 11731.2;
// The working time estimate stays within these bounds, s.
constexpr double kMinSolverTime = 12.0;
constexpr double kMaxSolverTime = 150.0;
// A solution beyond this is too far to be usable, s.
constexpr double kLongestUsableTime = 149.0;
// Intercept altitudes are kept between 1 yard and 80,000 feet.
constexpr double kMinPipAlt = 1.0;
constexpr double kMaxPipAlt = 26666.66666666667;
constexpr double kDegreesPerRadian = 57.29577951308231;
constexpr int kSolutionSteps = 5;

double FlyOutReach(double seconds) {
  return kFlyOutSpeed * seconds - kFlyOutDelayYards;
}

// One step of the solution. Even steps pull the azimuth half-way towards the
// aircraft's predicted azimuth (a plain mean, not wrapped at +-pi), odd steps
// correct the time by half the range error at the fly-out speed.
void SolutionStep(int k) {
  State.PredX = State.TrackX + State.SolverTime * State.TrackVX;
  State.PredY = State.TrackY + State.SolverTime * State.TrackVY;
  State.PredRange = std::sqrt(State.PredX * State.PredX + State.PredY * State.PredY);
  State.PredAz = std::atan2(State.PredY, State.PredX);
  State.MissileReach = FlyOutReach(State.SolverTime);

  // The azimuth of the point the missile would reach: this brings the
  // estimate into (-pi, pi], and turns it round when the reach is negative.
  const double cx = std::cos(State.SolverAz) * State.MissileReach;
  const double cy = std::sin(State.SolverAz) * State.MissileReach;
  State.SolverAz = cx != 0.0 && cy != 0.0 ? std::atan2(cy, cx) : 0.0;

  if (k % 2 == 0)
    State.SolverAz = State.SolverAz + (State.PredAz - State.SolverAz) / 2;
  else
    State.SolverTime = State.SolverTime + (State.PredRange - State.MissileReach) / kFlyOutSpeed / 2;
}

// The computer proper, while the missile is ready on its launcher. It makes a
// fixed number of steps per tick and carries its estimates over, so the
// solution settles over successive ticks.
void SolveIntercept() {
  if (State.TargetTracked != 0) State.ComputerSettled = 1;
  State.BurstClutter = 1.0;
  State.SteerLateral = 0.0;
  State.SteerVertical = 0.0;

  if (State.SolverTime < kMinSolverTime)
    State.SolverTime = kMinSolverTime;
  else if (State.SolverTime > kMaxSolverTime)
    State.SolverTime = kMaxSolverTime;

  for (int k = 0; k < kSolutionSteps; ++k) SolutionStep(k);

  State.MissileReach = FlyOutReach(State.SolverTime);
  State.TimeToIntercept = State.SolverTime;
  State.MissileHeading = State.SolverAz;

  // Written on every ready tick, so the warning disappears as soon as the
  // intercept comes within reach.
  if (State.TimeToIntercept > kLongestUsableTime) {
    State.ComputerSettled = 0;
    PostMessageLines("Pred. Intercept ", "> 150 seconds   ");
  } else {
    PostMessageLines(kBlankMessageLine, kBlankMessageLine);
  }

  // Compass bearing of the aircraft's predicted position.
  double bearing = std::numbers::pi / 2 - State.PredAz;
  if (bearing < 0) bearing += 2 * std::numbers::pi;
  State.PipBearingDeg = kDegreesPerRadian * bearing;

  // The intercept point lies on the solution's azimuth at the missile's reach.
  State.PipX = std::cos(State.SolverAz) * State.MissileReach;
  State.PipY = std::sin(State.SolverAz) * State.MissileReach;
  State.PipAlt = State.TrackAlt + State.TimeToIntercept * State.TrackVZ;
  if (State.PipAlt < kMinPipAlt)
    State.PipAlt = kMinPipAlt;
  else if (State.PipAlt > kMaxPipAlt)
    State.PipAlt = kMaxPipAlt;
}

}  // namespace

void UpdateFireControl() {
  if (State.TargetTracked == 0) {
    State.ComputerSettled = 0;
    // The flight clock keeps running through boost and roll stabilisation,
    // which need it to reach their ends.
    if (State.MissilePhase != kPhaseBoost && State.MissilePhase != kPhaseRollStab)
      State.MissileFlightTime = 0.0;
  }
  if (State.MissilePhase == kPhaseReady)
    SolveIntercept();
  else
    UpdateFlightPhase();
}

}  // namespace vorn
