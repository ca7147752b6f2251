#include "model/fire_control.h"

#include <cmath>
#include <string_view>

#include "display/angles.h"
#include "display/message_lines.h"
#include "model/missile.h"
#include "model/model_state.h"

namespace vorn {

namespace {

// Fly-out law of a missile fired now: it covers 1227.6 yd/s on average
// after a delay of 11731.2 / 1227.6 (about 9.56) seconds.
constexpr double kFlyOutSpeed = kMissileCruiseSpeed;
constexpr double kFlyOutDelayYards = 11731.2;
// The working time estimate stays within these bounds, s.
constexpr double kMinSolverTime = 12.0;
constexpr double kMaxSolverTime = 150.0;
// A solution beyond this is too far to be usable, s.
constexpr double kLongestUsableTime = 149.0;
constexpr int kSolutionSteps = 5;

double FlyOutReach(double seconds) {
  return kFlyOutSpeed * seconds - kFlyOutDelayYards;
}

// One step of the solution. Even steps pull the azimuth half-way towards the
// aircraft's predicted azimuth (a plain mean, not wrapped at +-pi), odd steps
// correct the time by half the range error at the fly-out speed.
void SolutionStep(int k) {
  Model.PredX = Model.TrackX + Model.SolverTime * Model.TrackVX;
  Model.PredY = Model.TrackY + Model.SolverTime * Model.TrackVY;
  Model.PredRange = std::sqrt(Model.PredX * Model.PredX + Model.PredY * Model.PredY);
  Model.PredAz = std::atan2(Model.PredY, Model.PredX);
  Model.MissileReach = FlyOutReach(Model.SolverTime);

  // The azimuth of the point the missile would reach: this brings the
  // estimate into (-pi, pi], and turns it round when the reach is negative.
  const double cx = std::cos(Model.SolverAz) * Model.MissileReach;
  const double cy = std::sin(Model.SolverAz) * Model.MissileReach;
  Model.SolverAz = cx != 0.0 && cy != 0.0 ? std::atan2(cy, cx) : 0.0;

  if (k % 2 == 0)
    Model.SolverAz = Model.SolverAz + (Model.PredAz - Model.SolverAz) / 2;
  else
    Model.SolverTime = Model.SolverTime + (Model.PredRange - Model.MissileReach) / kFlyOutSpeed / 2;
}

// The computer proper, while the missile is ready on its launcher. It makes a
// fixed number of steps per tick and carries its estimates over, so the
// solution settles over successive ticks.
void SolveIntercept() {
  if (Model.TargetTracked != 0) Model.ComputerSettled = 1;
  Model.BurstClutter = 1.0;
  Model.SteerLateral = 0.0;
  Model.SteerVertical = 0.0;

  if (Model.SolverTime < kMinSolverTime)
    Model.SolverTime = kMinSolverTime;
  else if (Model.SolverTime > kMaxSolverTime)
    Model.SolverTime = kMaxSolverTime;

  for (int k = 0; k < kSolutionSteps; ++k) SolutionStep(k);

  Model.MissileReach = FlyOutReach(Model.SolverTime);
  Model.TimeToIntercept = Model.SolverTime;
  Model.MissileHeading = Model.SolverAz;

  // Written on every ready tick, so the warning disappears as soon as the
  // intercept comes within reach.
  if (Model.TimeToIntercept > kLongestUsableTime) {
    Model.ComputerSettled = 0;
    PostMessageLines("Pred. Intercept ", "> 150 seconds   ");
  } else {
    PostMessageLines(kBlankMessageLine, kBlankMessageLine);
  }

  // Compass bearing of the aircraft's predicted position.
  double bearing = kPi / 2 - Model.PredAz;
  if (bearing < 0) bearing += 2 * kPi;
  Model.PipBearingDeg = kDegreesPerRadian * bearing;

  // The intercept point lies on the solution's azimuth at the missile's reach.
  Model.PipX = std::cos(Model.SolverAz) * Model.MissileReach;
  Model.PipY = std::sin(Model.SolverAz) * Model.MissileReach;
  Model.PipAlt = ClampInterceptAltitude(Model.TrackAlt + Model.TimeToIntercept * Model.TrackVZ);
}

}  // namespace

void UpdateFireControl() {
  if (Model.TargetTracked == 0) {
    Model.ComputerSettled = 0;
    // The flight clock keeps running through boost and roll stabilisation,
    // which need it to reach their ends.
    if (Model.MissilePhase != FlightPhase::Boost && Model.MissilePhase != FlightPhase::RollStab)
      Model.MissileFlightTime = 0.0;
  }
  if (Model.MissilePhase == FlightPhase::Ready)
    SolveIntercept();
  else
    UpdateFlightPhase();
}

}  // namespace vorn
