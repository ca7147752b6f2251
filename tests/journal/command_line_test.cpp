// The command line: the forms it takes and the mistakes it refuses.

#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorn {
namespace {

using Mode = CommandLine::Mode;

TEST(CommandLineTest, TakesEachForm) {
  struct Case {
    std::vector<std::string> args;
    Mode action;
    std::string journal;
    bool headless;
    std::string screenshot;
    bool hash;
  };
  const Case cases[] = {
      {{}, Mode::Run, "", false, "", false},
      {{"--record", "s.vornj"}, Mode::Record, "s.vornj", false, "", false},
      {{"--record=s.vornj"}, Mode::Record, "s.vornj", false, "", false},
      {{"--replay", "s.vornj"}, Mode::Replay, "s.vornj", false, "", false},
      {{"--replay", "s.vornj", "--headless", "--screenshot", "o.png"},
       Mode::Replay,
       "s.vornj",
       true,
       "o.png",
       false},
      {{"--headless", "--hash", "--replay", "s.vornj"}, Mode::Replay, "s.vornj", true, "", true},
      {{"--replay", "s.vornj", "--screenshot=o.png"},
       Mode::Replay,
       "s.vornj",
       false,
       "o.png",
       false},
      {{"--help"}, Mode::Help, "", false, "", false},
      {{"-h"}, Mode::Help, "", false, "", false},
      {{"--version"}, Mode::Version, "", false, "", false},
      {{"--version", "--help"}, Mode::Help, "", false, "", false},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    const std::string what = ::testing::PrintToString(c.args);
    EXPECT_EQ(line.Error, "") << what;
    EXPECT_EQ(line.Action, c.action) << what;
    EXPECT_EQ(line.Journal, c.journal) << what;
    EXPECT_EQ(line.Headless, c.headless) << what;
    EXPECT_EQ(line.Screenshot, c.screenshot) << what;
    EXPECT_EQ(line.Hash, c.hash) << what;
  }
}

// --fill goes with every way the window is shown, and only with those.
TEST(CommandLineTest, FillsTheWindowWhenAsked) {
  struct Case {
    std::vector<std::string> args;
    Mode action;
    bool fill;
  };
  const Case cases[] = {
      {{}, Mode::Run, false},
      {{"--fill"}, Mode::Run, true},
      {{"--fill", "--record", "s.vornj"}, Mode::Record, true},
      {{"--replay", "s.vornj", "--fill"}, Mode::Replay, true},
      {{"--replay", "s.vornj", "--headless"}, Mode::Replay, false},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    const std::string what = ::testing::PrintToString(c.args);
    EXPECT_EQ(line.Error, "") << what;
    EXPECT_EQ(line.Action, c.action) << what;
    EXPECT_EQ(line.Fill, c.fill) << what;
  }
}

// The pace of a window replay, and its loop: the speed's whole range, its
// written forms, and 1 with neither.
TEST(CommandLineTest, TakesTheReplaysPace) {
  struct Case {
    std::vector<std::string> args;
    double speed;
    bool loop;
  };
  const Case cases[] = {
      {{"--replay", "s.vornj"}, 1.0, false},
      {{"--replay", "s.vornj", "--speed", "4"}, 4.0, false},
      {{"--speed=0.25", "--replay", "s.vornj"}, 0.25, false},
      {{"--replay", "s.vornj", "--speed", "16", "--loop"}, 16.0, true},
      {{"--replay", "s.vornj", "--speed", "1.5"}, 1.5, false},
      {{"--loop", "--replay", "s.vornj", "--screenshot", "o.png"}, 1.0, true},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    const std::string what = ::testing::PrintToString(c.args);
    EXPECT_EQ(line.Error, "") << what;
    EXPECT_EQ(line.Action, Mode::Replay) << what;
    EXPECT_EQ(line.Speed, c.speed) << what;
    EXPECT_EQ(line.Loop, c.loop) << what;
  }
}

TEST(CommandLineTest, RefusesMistakesWithTheReason) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"-x"}, "unknown option -x"},
      {{"game.vornj"}, "unexpected argument game.vornj"},
      {{"--record"}, "option --record needs a file name"},
      {{"--record="}, "option --record needs a file name"},
      {{"--replay", "--headless"}, "option --replay needs a file name"},
      {{"--replay", "a", "--screenshot"}, "option --screenshot needs a file name"},
      {{"--record", "a", "--replay", "b"}, "--record and --replay cannot be given together"},
      {{"--replay", "a", "--replay", "b"}, "option --replay is given twice"},
      {{"--headless"}, "--headless goes with --replay"},
      {{"--record", "a", "--hash"}, "--hash goes with --replay"},
      {{"--screenshot", "o.png"}, "--screenshot goes with --replay"},
      {{"--headless=yes", "--replay", "a"}, "option --headless takes no value"},
      {{"--fill", "--replay", "a", "--headless"}, "--fill and --headless cannot be given together"},
      {{"--fill=yes"}, "option --fill takes no value"},
      {{"--replay", "a", "--speed"}, "option --speed needs a number"},
      {{"--replay", "a", "--speed="}, "option --speed needs a number"},
      {{"--replay", "a", "--speed", "-1"}, "option --speed needs a number"},
      {{"--replay", "a", "--speed", "0.24"}, "option --speed takes a number from 0.25 to 16, not 0.24"},
      {{"--replay", "a", "--speed", "16.5"}, "option --speed takes a number from 0.25 to 16, not 16.5"},
      {{"--replay", "a", "--speed", "4x"}, "option --speed takes a number from 0.25 to 16, not 4x"},
      {{"--replay", "a", "--speed", "nan"}, "option --speed takes a number from 0.25 to 16, not nan"},
      {{"--replay", "a", "--speed", "2", "--speed", "2"}, "option --speed is given twice"},
      {{"--speed", "2"}, "--speed goes with --replay"},
      {{"--record", "a", "--loop"}, "--loop goes with --replay"},
      {{"--replay", "a", "--headless", "--speed", "4"}, "--speed and --headless cannot be given together"},
      {{"--loop", "--replay", "a", "--headless"}, "--loop and --headless cannot be given together"},
      {{"--replay", "a", "--loop=2"}, "option --loop takes no value"},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.Error, c.error) << ::testing::PrintToString(c.args);
  }
  EXPECT_EQ(std::string(UsageLine()).find('\n'), std::string::npos);
}

}  // namespace
}  // namespace vorn
