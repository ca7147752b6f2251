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
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.Error, c.error) << ::testing::PrintToString(c.args);
  }
  EXPECT_EQ(std::string(UsageLine()).find('\n'), std::string::npos);
}

}  // namespace
}  // namespace vorn
