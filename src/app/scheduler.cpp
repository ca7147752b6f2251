#include "app/scheduler.h"

#include <algorithm>
#include <string>

#include "app/console_state.h"
#include "app/site_controls.h"
#include "boards/plotting_boards.h"
#include "boards/status_panel.h"
#include "boards/steering_indicator.h"
#include "display/canvas.h"
#include "display/message_lines.h"
#include "display/services.h"
#include "model/auto_crew.h"
#include "model/designation.h"
#include "model/fire_control.h"
#include "model/missile.h"
#include "model/site.h"
#include "model/targets.h"
#include "radar/ppi_scope.h"
#include "radar/tracking_scopes.h"

namespace vorn {

namespace {

// Lamps left to right: red, blue, yellow, white; lamp i is lit at status 3 - i.
constexpr int kLampBright[4] = {0xFF0000, 0x0000FF, 0xFFFF00, 0xFFFFFF};
constexpr int kLampDim[4] = {0x800000, 0x000080, 0x808000, 0x606060};

void DrawAlertLamps() {
  for (int i = 0; i < 4; ++i) {
    State.AlertLampColours[static_cast<std::size_t>(i)] =
        State.AlertStatus == 3 - i ? kLampBright[i] : kLampDim[i];
    FillEllipse(static_cast<float>(500 + 40 * i), 15.0f, 15.0f,
                State.AlertLampColours[static_cast<std::size_t>(i)], 0.0f);
  }
  SetColors(0xFFFFFF, -1);
  SetTextPosition(3, 63);
  PrintText("SITE ALERT STATUS   ", true);
}

// "p" holds the loop until the next key; the clock runs on meanwhile.
void WaitForAnyKey() {
  while (!HostFinished()) {
    ShowCanvas();
    SleepMs(10);
    if (!ReadKey().empty()) return;
  }
}

Transfer TakePendingTransfer() {
  const Transfer transfer = State.PendingTransfer;
  State.PendingTransfer = Transfer::None;
  return transfer;
}

// The ten-second mark and the four pens, while the computer is settled.
void RunPens() {
  if (State.Now - State.BoardMarkTime > 10.0) {
    State.BoardMarkTime += 10.0;
    State.BoardMarkDue = 1.0;
  } else {
    State.BoardMarkDue = 0.0;
  }
  UpdateTargetHeightPen();
  UpdateInterceptHeightPen();
  UpdateTargetXyPen();
  UpdateInterceptXyPen();
}

// The 0.1 s tick. Returns a transfer when control leaves the console.
Transfer RunTick() {
  State.KeyPressed = LowerCaseKey(ReadKey());
  if (State.KeyPressed == "p") WaitForAnyKey();
  if (State.KeyPressed == "q" || State.KeyPressed == "\x1b") return Transfer::EndProgram;

  TakeMouseSnapshot();
  RunModeMenu();
  if (State.PendingTransfer != Transfer::None) return TakePendingTransfer();
  RunEvasionSelection();

  if (State.OperatingMode == Mode::Paused) {
    // Simulated time stands still: the tick's deadline stays and the clock
    // is held back by one period.
    State.PauseOffset += kTickPeriod;
    return Transfer::None;
  }
  if (State.OperatingMode == Mode::Auto) {
    RunAutoCrew();
  } else {
    DesignateTarget();
    UpdateIffPanel();
    UpdateFirePanel();
    ClickAlertLamps();
  }
  State.TickTime += kTickPeriod;

  MoveTargets();
  UpdateFireControl();
  FlyMissile();

  if (State.ComputerSettled != 0 && State.PrevComputerSettled == 0) DrawPlottingBoards();
  State.PrevComputerSettled = State.ComputerSettled;
  if (State.ComputerSettled != 0) RunPens();
  return Transfer::None;
}

bool TickDue() {
  return State.Now > State.TickTime + kTickPeriod;
}

// Whether the console is behind its deadlines by more than the pacing leaves
// due between two frames: a tick or a panel task overdue, or the sweep more
// than a tick's worth of steps behind.
bool Behind() {
  return TickDue() || State.Now > State.NextPanelTime ||
         State.Now > State.NextSweepTime + kTickPeriod;
}

void RunPanelTask() {
  State.NextPanelTime += kPanelPeriod;
  // The nap yields the processor; a console that is behind has nothing to
  // yield for.
  if (!Behind()) SleepMs(1);
  DrawAlertLamps();
  SelectMissile();
  ExpireMessageLines();
  DrawStatusPanel();
  DrawSteeringFrame();
  DrawSteeringOrders();
  ReplaceDistantTargets();
}

// A burst looks at the clock once per this much work, in sweep steps: a
// tick, a panel task or a refresh of the tracking scopes (their own 0.2 s
// deadline, made up one per scope update) counts kTaskWork, as each costs
// about as much as eight sweep steps, and a plain scope update next to
// nothing. That is well under a millisecond of work, so a slice ends close to
// its time; and a burst on time never reaches it, so the clock is read no
// more often than before (a journal records each reading).
constexpr int kWorkPerClockLook = 256;
constexpr int kTaskWork = 8;

// One pass at Now: the tick, the panel task, and a sweep step or else the
// scopes, each if due. While paused only the tick's input steps run. Adds
// the work it did to `work`.
Transfer RunPass(int& work) {
  if (TickDue()) {
    work += kTaskWork;
    const Transfer transfer = RunTick();
    if (transfer != Transfer::None) return transfer;
    if (State.OperatingMode == Mode::Paused) return Transfer::None;
  }
  if (State.OperatingMode == Mode::Paused) return Transfer::None;
  if (State.Now > State.NextPanelTime) {
    work += kTaskWork;
    RunPanelTask();
  }
  if (State.Now > State.NextSweepTime) {
    work += 1;
    State.NextSweepTime += kSweepPeriod;
    StepPpiSweep();
  } else if (UpdateTtrScope()) {
    work += kTaskWork;
  }
  return Transfer::None;
}

// The earliest host clock reading at which something falls due: the next
// frame, the tick, or the panel task. Sweep steps wait for the frame, which
// runs all of them that have fallen due since the last one.
double NextWakeUp() {
  double wake = std::min(State.NextFrameTime, State.TickTime + kTickPeriod + State.PauseOffset);
  if (State.OperatingMode != Mode::Paused)
    wake = std::min(wake, State.NextPanelTime + State.PauseOffset);
  return wake;
}

}  // namespace

void InitializeState() {
  State.AlertStatus = 3.0;
  State.TargetDesignated = 0;
  State.TargetTracked = 0;
  State.ComputerSettled = 0;
  State.MissileSelected = 1;
  State.FireCommand = 0;
  State.BurstCommand = 0;
  State.PrevComputerSettled = 0;
  State.NextPanelTime = ReadClock();
  State.TrackAz = 30.0;
  State.TtrRange = 30000.0;
  State.TtrTraceTop.fill(0);
  State.TtrTraceBottom.fill(0);
  std::fill(State.PpiCells.begin(), State.PpiCells.end(), PpiPhosphor{});
  State.PauseOffset = 0.0;
  State.OperatingMode = Mode::Normal;
}

void RestartConsole() {
  OpenScreen(kConsoleMode, 16);
  SetTextPosition(2, 1);
  PrintText(std::string(" VORN TAMBERIS SIMULATION 20090704  ") + kContactAddress, true);
  SetTextPosition(3, 1);
  SetColors(0xFF0000, -1);
  PrintText(" + = Target, ", false);
  SetColors(0xFFFF00, -1);
  PrintText("+ = Predicted Intercept, ", false);
  SetColors(0x00FF00, -1);
  PrintText("+ = Missile", true);
  SetColors(0xFFFFFF, -1);
  DrawPpiMarkings();
  DrawPlottingBoards();
  State.TickTime = ReadClock() - State.PauseOffset;
  State.NextSweepTime = State.TickTime;
}

bool TaskDue() {
  if (TickDue()) return true;
  if (State.OperatingMode == Mode::Paused) return false;
  return State.Now > State.NextPanelTime || State.Now > State.NextSweepTime;
}

Transfer RunBurst(double clock, bool frameDue) {
  // Each pass catches up at most one overdue task of each kind, so after a
  // stall the tasks catch up pass by pass, in their order. A slice of the
  // catch-up ends with a frame: this one, shown after its work, or the next
  // one when it falls due.
  const double sliceEnd = frameDue ? clock + kCatchUpSlice : State.NextFrameTime;
  int work = 0;
  const auto sliceSpent = [&] {
    if (work < kWorkPerClockLook) return false;
    work = 0;
    return ReadClock() >= sliceEnd;
  };
  for (;;) {
    State.Now = clock - State.PauseOffset;
    if (!TaskDue()) break;
    const Transfer transfer = RunPass(work);
    if (transfer != Transfer::None) return transfer;
    if (sliceSpent()) return Transfer::None;
  }
  if (!frameDue || State.OperatingMode == Mode::Paused) return Transfer::None;
  // Nothing else is due at this reading: every further pass updates the
  // scopes, until the frame's share is done or, while the scopes make up
  // their refreshes after a stall, the slice is spent.
  for (int i = 0; i < kTtrUpdatesPerFrame; ++i) {
    const Transfer transfer = RunPass(work);
    if (transfer != Transfer::None) return transfer;
    if (sliceSpent()) break;
  }
  return Transfer::None;
}

Transfer RunScheduler() {
  for (;;) {
    if (HostFinished()) return Transfer::EndProgram;
    const double clock = ReadClock();  // the one reading of this wake-up
    const bool frameDue = clock >= State.NextFrameTime;
    const Transfer transfer = RunBurst(clock, frameDue);
    if (transfer != Transfer::None) return transfer;
    if (frameDue) {
      ShowCanvas();
      // Frames keep their pace; after a stall the pace starts afresh.
      State.NextFrameTime += kFramePeriod;
      if (State.NextFrameTime <= clock) State.NextFrameTime = clock + kFramePeriod;
    }
    if (TaskDue())
      TakePendingInput();  // still catching up: on with the next slice
    else
      WaitForClock(NextWakeUp());
  }
}

Transfer RunSchedulerPass() {
  TakePendingInput();
  State.Now = ReadClock() - State.PauseOffset;
  const bool tickDue = TickDue();
  int work = 0;
  const Transfer transfer = RunPass(work);
  // Paused with no tick due: the pass idles.
  if (transfer == Transfer::None && !tickDue && State.OperatingMode == Mode::Paused) SleepMs(10);
  return transfer;
}

}  // namespace vorn
