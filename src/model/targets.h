#pragma once
// The air picture: eight aircraft slots (slot 0 is never an aircraft), their
// straight-line motion, replacement of aircraft that flew out of the picture,
// and the observed track of the designated aircraft with its evasive weave.

#include <array>

namespace vorn {

inline constexpr int kTargetSlots = 8;

struct TargetState {
  // The scenario at start-up; altitudes are thousands of feet divided by 3.
  std::array<double, kTargetSlots> TargetX = {0,      -88000,  100000, 100000,
                                              -75000, -150000, 0,      144444};
  std::array<double, kTargetSlots> TargetY = {0, -44060, 50000, -100000, -75000, 50000, 144444, 10};
  std::array<double, kTargetSlots> TargetAlt = {0,     3333.333333333334, 13333.33333333333,
                                                5000,  6666.666666666667, 10000,
                                                10000, 13333.33333333333};
  std::array<double, kTargetSlots> TargetVX = {0, 300, 600, 600, 600, 400, 0, -400};
  std::array<double, kTargetSlots> TargetVY = {0, 0, 0, 0, 0, -400, -400, 0};
  std::array<double, kTargetSlots> TargetVZ = {};
  std::array<double, kTargetSlots> TargetIffResponder = {0, 0, 0, 0, 0, 1, 1, 1};
  std::array<double, kTargetSlots> TargetAz = {};
  std::array<double, kTargetSlots> TargetSlantRange = {};

  // The observed track of the designated aircraft.
  double TrackX = 0.0;
  double TrackY = 0.0;
  double TrackAlt = 0.0;
  double TrackVX = 0.0;
  double TrackVY = 0.0;
  double TrackVZ = 0.0;
  double TrackAz = 30.0;  // outside -pi..pi until a track exists: no sweep comes near it
  double TrackSlantRange = 0.0;
  double TrackGroundSpeed = 0.0;
  double PrevTrackedSlot = 0.0;
  double PrevTrackX = 0.0;
  double PrevTrackY = 0.0;
  double PrevTrackAlt = 0.0;
  double WeaveOffset = 0.0;
};

void MoveTargets();
void ReplaceDistantTargets();

}  // namespace vorn
