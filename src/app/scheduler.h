#pragma once
// The main program's loop: the simulated clock, the three task deadlines,
// the frames shown, and the alert lamps.

#include <array>

namespace vorn {

// Where control goes when the loop or a routine leaves the running console.
enum class Transfer {
  None,        // keep running
  EndProgram,  // "q", Escape or Exit: the process ends with exit code 0
  HelpPages,   // Text: the help pages replace the console
};

// Task periods, in seconds of simulated time (the tick's is kTickPeriod).
inline constexpr double kPanelPeriod = 0.5;
inline constexpr double kSweepPeriod = 0.0012;
// Frames are shown this often, in seconds of the host's clock.
inline constexpr double kFramePeriod = 1.0 / 60.0;
// At each shown frame the TTR scope gets this many column updates: four for
// each of its 446 random columns on average (4 x 446 = 1784, rounded up), so
// a column is left out of a frame's rebuild with a chance of about e^-4,
// 2 %, and the grass looks freshly drawn on every frame.
inline constexpr int kTtrUpdatesPerFrame = 1800;
// A catch-up after a stall (the help pages, the "p" wait, a slow host) runs
// in slices of about a frame's work, in seconds of the host's clock: after
// each the loop takes the input that came and shows a frame when one is due,
// so the catch-up plays as a fast-forward that still answers "q".
inline constexpr double kCatchUpSlice = 0.015;

struct SchedulerState {
  double PauseOffset = 0.0;    // grows by 0.1 per tick that falls due while paused
  double TickTime = 0.0;       // the 0.1 s tick is due when Now > TickTime + 0.1
  double NextPanelTime = 0.0;  // the 0.5 s panel task is due when Now > NextPanelTime
  double NextSweepTime = 0.0;  // a sweep step is due when Now > NextSweepTime
  double NextFrameTime = 0.0;  // the host's clock at which the next frame is due

  int PrevComputerSettled = 0;
  std::array<int, 4> AlertLampColours{};

  // Set by a routine that leaves the console (the mode menu's Exit and Text);
  // the loop returns it at once.
  Transfer PendingTransfer = Transfer::None;
};

void InitializeState();
void RestartConsole();
// Runs the console until control leaves it: at each wake-up one reading of
// the clock, the passes of every task that has fallen due, at frame time the
// scope updates and the frame, then a wait in the host until the next frame
// or deadline. While it is catching up it does not wait: it only takes the
// input that came before the next slice.
Transfer RunScheduler();
// The passes due at one reading of the clock, up to a slice of catch-up work
// or until the next frame falls due; at a frame, if all of them ran, the
// passes that rebuild the TTR trace as well.
Transfer RunBurst(double clock, bool frameDue);
// Whether a pass at Now would run a task: after a burst, whether the console
// is still catching up.
bool TaskDue();
// One pass of the loop, with pending input taken and the clock read first:
// what a loop without waiting would do on every turn.
Transfer RunSchedulerPass();

// The contact address printed after the title.
inline constexpr const char* kContactAddress = "vorn@example.org";

}  // namespace vorn
