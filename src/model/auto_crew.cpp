#include "model/auto_crew.h"

#include <algorithm>
#include <cmath>

#include "app/console_state.h"
#include "display/canvas.h"
#include "display/picture.h"
#include "model/designation.h"
#include "model/missile.h"

namespace vorn {

namespace {

// The crew's steps.
constexpr int kStartScan = 0;
constexpr int kExamineCandidate = 1;
constexpr int kJudgeCandidate = 2;
constexpr int kPauseAfterJudging = 3;
constexpr int kNextCandidate = 4;
constexpr int kStopChallenge = 5;
constexpr int kPressFire = 6;
constexpr int kReleaseFire = 7;
constexpr int kWatchFlight = 8;

constexpr double kStepWait = 1.5;    // s the crew waits after each action
constexpr double kNoBestTime = 150;  // s: any usable intercept is sooner
// The dead zone: an intercept this soon and this low is not taken.
constexpr double kDeadZoneTime = 30;
constexpr double kDeadZoneAlt = 10000;
// IFF Mode 1 is challenged again when the intercept is this close, s.
constexpr double kRechallengeTime = 15;

constexpr int kIffMode1X = 620, kIffMode1Y = 720;
constexpr int kFireX = 620, kFireY = 920;

// Works a control as the operator would: the pointer at (x, y), the left
// button pressed or released, then the control's own routine.
void Click(int x, int y, void (*control)()) {
  State.MouseX = x;
  State.MouseY = y;
  State.MouseButtons = 1;
  control();
}

void Release(int x, int y, void (*control)()) {
  State.MouseX = x;
  State.MouseY = y;
  State.MouseButtons = 0;
  control();
}

// A canvas coordinate to a whole pixel; aircraft far off the scope stay far
// off the canvas.
int NearestPixel(double v) {
  return static_cast<int>(std::nearbyint(std::clamp(v, -1e6, 1e6)));
}

// Clicks the aircraft's echo on the PPI scope.
void ClickOnEcho(int slot) {
  const auto i = static_cast<std::size_t>(slot);
  Click(NearestPixel(State.TargetX[i] / 1500 + 265), NearestPixel(-State.TargetY[i] / 1500 + 770),
        DesignateTarget);
}

bool Waiting() {
  return State.Now < State.AutoStepTime + kStepWait;
}

void ShowCandidate() {
  SetTextPosition(4, 86);
  BeginPicture("Designated Target = ##            ");
  PrintPictureNumber(State.AutoCandidate, true, true);
}

// Keeps the candidate if its intercept is the soonest so far outside the
// dead zone; an equal time leaves the earlier slot.
void JudgeCandidate() {
  const double time = State.TimeToIntercept;
  const double alt = State.TargetAlt[static_cast<std::size_t>(State.AutoCandidate)];
  const bool outsideDeadZone = time > kDeadZoneTime || alt > kDeadZoneAlt;
  if (outsideDeadZone && time < State.AutoBestTime) {
    State.AutoBestTime = time;
    State.AutoBestSlot = State.AutoCandidate;
  }
}

}  // namespace

// One step per tick: challenge with IFF, examine every hostile in slot order,
// re-designate the one with the soonest legal intercept, stop the challenge,
// fire, and wait for the burst before the next scan.
void RunAutoCrew() {
  int& step = State.AutoEngagementCount;
  switch (step) {
    case kStartScan:
      State.AutoBestTime = kNoBestTime;
      State.AutoBestSlot = 0;
      Click(kIffMode1X, kIffMode1Y, UpdateIffPanel);
      State.AutoCandidate = 1;
      step = kExamineCandidate;
      break;

    case kExamineCandidate:
      ShowCandidate();
      if (State.TargetIffResponder[static_cast<std::size_t>(State.AutoCandidate)] != 0) {
        step = kNextCandidate;  // a friendly answered: not a target
        break;
      }
      ClickOnEcho(State.AutoCandidate);
      State.AutoStepTime = State.Now;
      step = kJudgeCandidate;
      break;

    case kJudgeCandidate:
      if (Waiting()) break;
      if (State.TargetTracked == 0 || State.ComputerSettled == 0) {
        step = kNextCandidate;
        break;
      }
      JudgeCandidate();
      step = kPauseAfterJudging;
      break;

    case kPauseAfterJudging:
      step = kNextCandidate;
      break;

    case kNextCandidate:
      State.AutoCandidate += 1;
      if (State.AutoCandidate <= 7) {
        step = kExamineCandidate;
        break;
      }
      if (State.AutoBestSlot == 0) {
        step = kStartScan;
        break;
      }
      ClickOnEcho(State.AutoBestSlot);
      // The click takes the highest slot under it, which may be a friendly
      // flying beside the chosen hostile: the crew never fires at one.
      if (State.TargetTracked == 0 ||
          State.TargetIffResponder[static_cast<std::size_t>(State.TargetTracked)] != 0) {
        step = kStartScan;
        break;
      }
      State.AutoStepTime = State.Now;
      step = kStopChallenge;
      break;

    case kStopChallenge:
      if (Waiting()) break;
      Release(kIffMode1X, kIffMode1Y, UpdateIffPanel);
      step = State.ComputerSettled == 0 ? kStartScan : kPressFire;
      break;

    case kPressFire:
      // A ready missile launches later in this same tick.
      Click(kFireX, kFireY, UpdateFirePanel);
      if (State.FireCommand == 0) {
        step = kStartScan;
        break;
      }
      State.AutoStepTime = State.Now;
      step = kReleaseFire;
      break;

    case kReleaseFire:
      if (Waiting()) break;
      Release(kFireX, kFireY, UpdateFirePanel);
      step = kWatchFlight;
      break;

    case kWatchFlight:
      if (State.TimeToIntercept < kRechallengeTime) Click(kIffMode1X, kIffMode1Y, UpdateIffPanel);
      if (State.MissilePhase == kPhaseBurst) step = kStartScan;
      break;

    default:
      break;
  }
}

}  // namespace vorn
