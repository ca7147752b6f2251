#include "app/scheduler.h"

#include <algorithm>
#include <string>

#include "app/console_state.h"
#include "app/help_pages.h"
#include "app/site_controls.h"
#include "boards/plotting_boards.h"
#include "boards/status_panel.h"
#include "boards/steering_indicator.h"
#include "display/canvas.h"
#include "display/host.h"
#include "display/services.h"
#include "model/auto_crew.h"
#include "model/designation.h"
#include "model/fire_control.h"
#include "model/missile.h"
#include "model/targets.h"
#include "radar/ppi_scope.h"
#include "radar/tracking_scopes.h"

namespace vorn {

namespace {

constexpr double kTickPeriod = 0.1;
constexpr double kPanelPeriod = 0.5;
constexpr double kSweepPeriod = 0.0012;

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
  for (;;) {
    SleepMs(10);
    if (!ReadKey().empty()) return;
  }
}

Transfer TakePendingTransfer() {
  const Transfer transfer = State.PendingTransfer;
  State.PendingTransfer = Transfer::None;
  return transfer;
}

// The 0.1 s tick. Returns a transfer when control leaves the console.
Transfer RunTick() {
  State.KeyPressed = LowerCaseKey(ReadKey());
  if (State.KeyPressed == "p") WaitForAnyKey();
  if (State.KeyPressed == "q" || State.KeyPressed == "\x1b") return Transfer::EndProgram;

  const MouseReading mouse = ReadMouse();
  State.MouseX = mouse.X;
  State.MouseY = mouse.Y;
  State.MouseButtons = mouse.Buttons;
  State.MouseWheel = mouse.Wheel;

  RunModeMenu();
  if (State.PendingTransfer != Transfer::None) return TakePendingTransfer();
  RunEvasionSelection();

  if (State.OperatingMode == kModePaused) {
    // Simulated time stands still: the tick's deadline stays and the clock
    // is held back by one period.
    State.PauseOffset += kTickPeriod;
    return Transfer::None;
  }
  if (State.OperatingMode == kModeAuto) {
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

  if (State.ComputerSettled != 0) {
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
  return Transfer::None;
}

void RunPanelTask() {
  State.NextPanelTime += kPanelPeriod;
  SleepMs(1);
  DrawAlertLamps();
  State.MissileSelected = State.AlertStatus >= 2.0 ? 1 : 0;
  ExpireMessageLines();
  DrawStatusPanel();
  DrawSteeringFrame();
  DrawSteeringOrders();
  ReplaceDistantTargets();
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
  State.OperatingMode = kModeNormal;
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

Transfer RunSchedulerPass() {
  ActiveHost().Pump();
  State.Now = ReadClock() - State.PauseOffset;

  if (State.Now > State.TickTime + kTickPeriod) {
    const Transfer transfer = RunTick();
    if (transfer != Transfer::None) return transfer;
    if (State.OperatingMode == kModePaused) return Transfer::None;
  }
  if (State.OperatingMode == kModePaused) {
    SleepMs(10);
    return Transfer::None;
  }
  if (State.Now > State.NextPanelTime) RunPanelTask();
  if (State.Now > State.NextSweepTime) {
    State.NextSweepTime += kSweepPeriod;
    StepPpiSweep();
  } else {
    UpdateTtrScope();
  }
  return Transfer::None;
}

Transfer RunScheduler() {
  for (;;) {
    const Transfer transfer = RunSchedulerPass();
    if (transfer != Transfer::None) return transfer;
  }
}

int RunConsole() {
  InitializeState();
  for (;;) {
    RestartConsole();
    if (RunScheduler() == Transfer::EndProgram) return 0;
    RunHelpPages();
  }
}

}  // namespace vorn
