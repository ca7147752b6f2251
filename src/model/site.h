#pragma once
// The battery site's settings that the engagement depends on: the alert
// status the operator sets with the lamps, whether a missile is selected,
// and the evasion the tracked aircraft flies.

namespace vorn {

struct SiteState {
  double AlertStatus = 3.0;  // 3 RED, 2 BLUE, 1 YELLOW, 0 WHITE
  int MissileSelected = 1;   // 1 while AlertStatus >= 2
  double EvasionG = 0.0;     // 0.0, 0.2 or 1.0
};

// A missile is selected at RED and BLUE, none at YELLOW and WHITE.
void SelectMissile();

}  // namespace vorn
