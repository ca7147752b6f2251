#include "model/auto_crew.h"

#include "display/canvas.h"
#include "display/picture.h"
#include "display/services.h"
#include "model/designation.h"
#include "model/missile.h"
#include "model/model_state.h"
#include "model/ppi_geometry.h"

namespace vorn {

namespace {

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
  SetMouseSnapshot(x, y, 1);
  control();
}

void Release(int x, int y, void (*control)()) {
  SetMouseSnapshot(x, y, 0);
  control();
}

// Clicks the aircraft's echo on the PPI scope.
void ClickOnEcho(int slot) {
  const auto i = static_cast<std::size_t>(slot);
  Click(PpiPixelX(Model.TargetX[i]), PpiPixelY(Model.TargetY[i]), DesignateTarget);
}

bool Waiting() {
  return Model.Now < Model.AutoStepTime + kStepWait;
}

void StartWait() {
  Model.AutoStepTime = Model.Now;
}

bool IsFriend(int slot) {
  return Model.TargetIffResponder[static_cast<std::size_t>(slot)] != 0;
}

void ShowCandidate() {
  SetTextPosition(4, 86);
  BeginPicture("Designated Target = ##            ");
  PrintPictureNumber(Model.AutoCandidate, true, true);
}

// Keeps the candidate if its intercept is the soonest so far outside the
// dead zone; an equal time leaves the earlier slot.
void JudgeCandidate() {
  const double time = Model.TimeToIntercept;
  const double alt = Model.TargetAlt[static_cast<std::size_t>(Model.AutoCandidate)];
  const bool outsideDeadZone = time > kDeadZoneTime || alt > kDeadZoneAlt;
  if (outsideDeadZone && time < Model.AutoBestTime) {
    Model.AutoBestTime = time;
    Model.AutoBestSlot = Model.AutoCandidate;
  }
}

// Each step's work; each returns the step for the next tick.

CrewStep StartScan() {
  Model.AutoBestTime = kNoBestTime;
  Model.AutoBestSlot = 0;
  Click(kIffMode1X, kIffMode1Y, UpdateIffPanel);
  Model.AutoCandidate = 1;
  return CrewStep::ExamineCandidate;
}

CrewStep ExamineCandidate() {
  ShowCandidate();
  if (IsFriend(Model.AutoCandidate)) return CrewStep::NextCandidate;  // a friend answered
  ClickOnEcho(Model.AutoCandidate);
  StartWait();
  return CrewStep::JudgeCandidate;
}

CrewStep JudgeAfterWait() {
  if (Waiting()) return CrewStep::JudgeCandidate;
  if (Model.TargetTracked == 0 || Model.ComputerSettled == 0) return CrewStep::NextCandidate;
  JudgeCandidate();
  return CrewStep::PauseAfterJudging;
}

CrewStep NextCandidate() {
  Model.AutoCandidate += 1;
  if (Model.AutoCandidate <= 7) return CrewStep::ExamineCandidate;
  if (Model.AutoBestSlot == 0) return CrewStep::StartScan;
  ClickOnEcho(Model.AutoBestSlot);
  // The click takes the highest slot under it, which may be a friendly
  // flying beside the chosen hostile: the crew never fires at one.
  if (Model.TargetTracked == 0 || IsFriend(Model.TargetTracked)) return CrewStep::StartScan;
  StartWait();
  return CrewStep::StopChallenge;
}

CrewStep StopChallenge() {
  if (Waiting()) return CrewStep::StopChallenge;
  Release(kIffMode1X, kIffMode1Y, UpdateIffPanel);
  return Model.ComputerSettled == 0 ? CrewStep::StartScan : CrewStep::PressFire;
}

CrewStep PressFire() {
  // A ready missile launches later in this same tick.
  Click(kFireX, kFireY, UpdateFirePanel);
  if (Model.FireCommand == 0) return CrewStep::StartScan;
  StartWait();
  return CrewStep::ReleaseFire;
}

CrewStep ReleaseFire() {
  if (Waiting()) return CrewStep::ReleaseFire;
  Release(kFireX, kFireY, UpdateFirePanel);
  return CrewStep::WatchFlight;
}

CrewStep WatchFlight() {
  if (Model.TimeToIntercept < kRechallengeTime) Click(kIffMode1X, kIffMode1Y, UpdateIffPanel);
  return Model.MissilePhase == FlightPhase::Burst ? CrewStep::StartScan : CrewStep::WatchFlight;
}

}  // namespace

// One step per tick: challenge with IFF, examine every hostile in slot order,
// re-designate the one with the soonest legal intercept, stop the challenge,
// fire, and wait for the burst before the next scan.
void RunAutoCrew() {
  CrewStep& step = Model.AutoEngagementCount;
  switch (step) {
    case CrewStep::StartScan:
      step = StartScan();
      break;
    case CrewStep::ExamineCandidate:
      step = ExamineCandidate();
      break;
    case CrewStep::JudgeCandidate:
      step = JudgeAfterWait();
      break;
    case CrewStep::PauseAfterJudging:
      step = CrewStep::NextCandidate;
      break;
    case CrewStep::NextCandidate:
      step = NextCandidate();
      break;
    case CrewStep::StopChallenge:
      step = StopChallenge();
      break;
    case CrewStep::PressFire:
      step = PressFire();
      break;
    case CrewStep::ReleaseFire:
      step = ReleaseFire();
      break;
    case CrewStep::WatchFlight:
      step = WatchFlight();
      break;
  }
}

}  // namespace vorn
