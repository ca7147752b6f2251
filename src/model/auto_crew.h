#pragma once
// The auto crew: in Auto mode it works the designation, IFF and FIRE controls
// by itself to engage hostile aircraft.

namespace vorn {

struct AutoCrewState {
  int AutoEngagementCount = 0;  // the crew's step, 0 to 8
  int AutoCandidate = 0;        // slot being examined
  int AutoBestSlot = 0;         // soonest legal intercept of this scan; 0 none
  double AutoBestTime = 0.0;
  double AutoStepTime = 0.0;  // Now when the current 1.5 s wait began
};

void RunAutoCrew();

}  // namespace vorn
