#pragma once
// The main program's loop: the simulated clock, the three task deadlines, the
// input snapshot of each tick and the alert lamps.

#include <array>
#include <string>

namespace vorn {

// Where control goes when the loop or a routine leaves the running console.
enum class Transfer {
  None,        // keep running
  EndProgram,  // "q", Escape or Exit: the process ends with exit code 0
  HelpPages,   // Text: the help pages replace the console
};

struct SchedulerState {
  double Now = 0.0;            // simulated seconds: clock - PauseOffset, sampled once per pass
  double PauseOffset = 0.0;    // grows by 0.1 per tick that falls due while paused
  double TickTime = 0.0;       // the 0.1 s tick is due when Now > TickTime + 0.1
  double NextPanelTime = 0.0;  // the 0.5 s panel task is due when Now > NextPanelTime
  double NextSweepTime = 0.0;  // a sweep step is due when Now > NextSweepTime
  double BoardMarkTime = 0.0;  // time of the last ten-second mark on the plotting boards
  double BoardMarkDue = 0.0;   // 1.0 during a tick at which a ten-second mark falls due

  std::string KeyPressed;  // the key read at the last tick, lower-cased
  int MouseX = -1;         // the mouse snapshot of the last tick, canvas pixels
  int MouseY = -1;
  int MouseButtons = -1;  // 1 left, 2 right, 4 middle; -1 off the canvas
  int MouseWheel = 0;     // read with the snapshot, never used

  int PrevComputerSettled = 0;
  std::array<int, 4> AlertLampColours{};

  // Set by a routine that leaves the console (the mode menu's Exit and Text);
  // the loop returns it at once.
  Transfer PendingTransfer = Transfer::None;
};

void InitializeState();
void RestartConsole();
// Runs passes until control leaves the console.
Transfer RunScheduler();
// One pass of the loop.
Transfer RunSchedulerPass();
// The whole program: start-up, the console, the help pages and back; returns
// the exit code.
int RunConsole();

// The contact address printed after the title.
inline constexpr const char* kContactAddress = "vorn@example.org";

}  // namespace vorn
