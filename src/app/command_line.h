#pragma once
// The program's command line: run the console, record it to a journal, or
// replay a journal in the window or without one; and how the window shows it.

#include <string>
#include <vector>

namespace vorn {

struct CommandLine {
  enum class Mode { Run, Record, Replay, Help, Version };
  Mode Action = Mode::Run;
  std::string Journal;     // --record FILE, --replay FILE
  bool Headless = false;   // --headless: replay without a window, as fast as it goes
  std::string Screenshot;  // --screenshot PNG: the last canvas of a replay
  bool Hash = false;       // --hash: print the canvas hash (replays always do)
  bool Fill = false;       // --fill: fill the window smoothly, not by whole steps only
  double Speed = 1.0;      // --speed N: recorded seconds per second in the window
  bool Loop = false;       // --loop: play the journal over and over until the viewer stops it
  std::string Error;       // set when the command line is not understood
};

// The speeds --speed takes.
inline constexpr double kSlowestReplay = 0.25;
inline constexpr double kFastestReplay = 16.0;

// The arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// One line: the forms the command line takes.
const char* UsageLine();
// The --help text.
const char* HelpText();

}  // namespace vorn
