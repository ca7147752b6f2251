#pragma once
// The auto crew: in Auto mode it works the designation, IFF and FIRE controls
// by itself to engage hostile aircraft.

namespace vorn {

// The crew's steps, one per tick; the numbers are the step numbers shown
// after "Auto" in the mode menu.
enum class CrewStep : int {
  StartScan = 0,         // challenge with IFF, start with slot 1
  ExamineCandidate = 1,  // designate the candidate unless a friend answered
  JudgeCandidate = 2,    // after 1.5 s, keep it if it is the best so far
  PauseAfterJudging = 3,
  NextCandidate = 4,  // on to the next slot, or designate the best one
  StopChallenge = 5,  // after 1.5 s, release IFF
  PressFire = 6,
  ReleaseFire = 7,  // after 1.5 s
  WatchFlight = 8,  // until the burst
};

struct AutoCrewState {
  CrewStep AutoEngagementCount = CrewStep::StartScan;  // the crew's step
  int AutoCandidate = 0;                               // slot being examined
  int AutoBestSlot = 0;  // soonest legal intercept of this scan; 0 none
  double AutoBestTime = 0.0;
  double AutoStepTime = 0.0;  // Now when the current 1.5 s wait began
};

void RunAutoCrew();

}  // namespace vorn
