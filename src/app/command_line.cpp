#include "app/command_line.h"

namespace vorn {

const char* UsageLine() {
  return "usage: vorn [--record FILE | --replay FILE [--headless] [--screenshot PNG] [--hash]]"
         " [--fill] | --help | --version";
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
         "  --headless         with --replay: play it without a window, as fast as it goes\n"
         "  --screenshot PNG   with --replay: save the last canvas as the PNG picture PNG\n"
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
    const auto takeValue = [&](std::string& into) {
      if (!inlineValue) {
        if (i + 1 >= args.size() || args[i + 1].empty() ||
            (args[i + 1].size() > 1 && args[i + 1][0] == '-')) {
          fail("option " + arg + " needs a file name");
          return;
        }
        value = args[++i];
      }
      if (value.empty()) fail("option " + arg + " needs a file name");
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
    if (!replay && (line.Headless || line.Hash || !line.Screenshot.empty()))
      fail(std::string(line.Headless ? "--headless"
                       : line.Hash   ? "--hash"
                                     : "--screenshot") +
           " goes with --replay");
    if (line.Fill && line.Headless) fail("--fill and --headless cannot be given together");
  }
  return line;
}

}  // namespace vorn
