#include "app/command_line.h"

#include <charconv>

namespace vorn {

const char* UsageLine() {
  return "usage: vorn [--record FILE | --replay FILE [--headless | [--speed N] [--loop]]"
         " [--screenshot PNG] [--hash]] [--fill] | --help | --version";
}

const char* HelpText() {
  return "Usage: vorn [OPTION]...\n"
         "The console of a surface-to-air missile battery, in real time.\n"
         "\n"
         "  --fill             enlarge the console smoothly to fill a large window or screen;\n"
         "                     without it, it grows by whole steps only (2x, 3x...), which\n"
         "                     keeps every stroke even\n"
         "  --record FILE      run the console and record the session in the journal FILE\n"
         "  --replay FILE      play the journal FILE back in the window at its recorded pace\n"
         "                     (q, Escape or the close button end it)\n"
         "  --speed N          with --replay: play it N times as fast as recorded in the\n"
         "                     window, N from 0.25 to 16\n"
         "  --loop             with --replay: play it over and over in the window, a fresh\n"
         "                     console each time, until q, Escape or the close button;\n"
         "                     each pass that plays to its end prints its hash\n"
         "  --headless         with --replay: play it without a window, as fast as it goes\n"
         "  --screenshot PNG   with --replay: save the last canvas as the PNG picture PNG\n"
         "                     (with --loop, the canvas where the viewer ended it)\n"
         "  --hash             with --replay: print the last canvas's hash (replays always do)\n"
         "  --help             show this help and exit\n"
         "  --version          show the program's version and exit\n"
         "\n"
         "Exit status: 0 done, 1 an error (file, window, journal), 2 a bad command line,\n"
         "3 a replay that parted from its recording.\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  bool record = false;
  bool replay = false;
  bool speed = false;
  const auto fail = [&line](const std::string& why) {
    if (line.Error.empty()) line.Error = why;
  };
  for (std::size_t i = 0; i < args.size() && line.Error.empty(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool inlineValue = false;
    if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      inlineValue = true;
    }
    // The option's value, inline or the next argument; false (with the
    // error set) when there is none.
    const auto nextValue = [&](const char* what) {
      if (!inlineValue) {
        if (i + 1 >= args.size() || args[i + 1].empty() ||
            (args[i + 1].size() > 1 && args[i + 1][0] == '-')) {
          fail("option " + arg + " needs " + what);
          return false;
        }
        value = args[++i];
      }
      if (value.empty()) fail("option " + arg + " needs " + what);
      return !value.empty();
    };
    const auto takeValue = [&](std::string& into) {
      if (!nextValue("a file name")) return;
      if (!into.empty()) fail("option " + arg + " is given twice");
      into = value;
    };
    const auto flag = [&](bool& into) {
      if (inlineValue) fail("option " + arg + " takes no value");
      into = true;
    };
    if (arg == "--help" || arg == "-h") {
      bool help = false;
      flag(help);
      if (line.Error.empty()) line.Action = CommandLine::Mode::Help;
    } else if (arg == "--version") {
      bool version = false;
      flag(version);
      if (line.Error.empty() && line.Action != CommandLine::Mode::Help)
        line.Action = CommandLine::Mode::Version;
    } else if (arg == "--record") {
      if (replay) fail("--record and --replay cannot be given together");
      takeValue(line.Journal);
      record = true;
    } else if (arg == "--replay") {
      if (record) fail("--record and --replay cannot be given together");
      takeValue(line.Journal);
      replay = true;
    } else if (arg == "--screenshot") {
      takeValue(line.Screenshot);
    } else if (arg == "--headless") {
      flag(line.Headless);
    } else if (arg == "--hash") {
      flag(line.Hash);
    } else if (arg == "--fill") {
      flag(line.Fill);
    } else if (arg == "--loop") {
      flag(line.Loop);
    } else if (arg == "--speed") {
      if (speed) fail("option --speed is given twice");
      speed = true;
      if (nextValue("a number")) {
        const char* end = value.data() + value.size();
        const auto [stop, error] = std::from_chars(value.data(), end, line.Speed);
        // Written the other way round, a NaN fails the test too.
        if (error != std::errc() || stop != end ||
            !(line.Speed >= kSlowestReplay && line.Speed <= kFastestReplay))
          fail("option --speed takes a number from 0.25 to 16, not " + value);
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      fail("unknown option " + arg);
    } else {
      fail("unexpected argument " + arg);
    }
  }
  if (line.Error.empty() && line.Action != CommandLine::Mode::Help &&
      line.Action != CommandLine::Mode::Version) {
    if (replay)
      line.Action = CommandLine::Mode::Replay;
    else if (record)
      line.Action = CommandLine::Mode::Record;
    if (!replay) {
      const char* stray = line.Headless              ? "--headless"
                          : line.Hash                ? "--hash"
                          : !line.Screenshot.empty() ? "--screenshot"
                          : speed                    ? "--speed"
                          : line.Loop                ? "--loop"
                                                     : nullptr;
      if (stray != nullptr) fail(std::string(stray) + " goes with --replay");
    }
    // A replay without a window runs as fast as it goes, once.
    if (line.Headless) {
      const char* windowOnly = line.Fill ? "--fill"
                               : speed   ? "--speed"
                               : line.Loop ? "--loop"
                                           : nullptr;
      if (windowOnly != nullptr)
        fail(std::string(windowOnly) + " and --headless cannot be given together");
    }
  }
  return line;
}

}  // namespace vorn
