#include "app/help_pages.h"

#include <gtest/gtest.h>

#include <string>

#include "app/console.h"
#include "app/site_controls.h"
#include "display/canvas.h"
#include "display/services.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::CellForeground;
using test::Colour;
using test::ReadCanvasText;

class HelpPagesTest : public test::ConsoleTest {
 protected:
  // A key that arrives while a page waits.
  void KeyAfterAWhile(int code) { Host().ScheduleKey(Host().Time() + 0.05, code); }

  // Every row of the 800 x 600 screen reads back as the page's line, blank
  // to the right edge and below.
  template <std::size_t N>
  static void ExpectPage(const std::array<std::string_view, N>& lines) {
    ASSERT_EQ(State.Canvas.Width, 800);
    ASSERT_EQ(State.Canvas.Height, 600);
    ASSERT_EQ(State.Canvas.BitsPerPixel, 32);
    for (int row = 1; row <= 37; ++row) {
      std::string want(100, ' ');
      if (row <= static_cast<int>(N)) want.replace(0, lines[row - 1].size(), lines[row - 1]);
      EXPECT_EQ(ReadCanvasText(row, 1, 100), want) << "row " << row;
      const std::size_t lit = want.find_first_not_of(' ');
      if (lit != std::string::npos) {
        EXPECT_EQ(CellForeground(row, static_cast<int>(lit) + 1), Colour(0xFFFFFF));
      }
    }
  }
};

TEST_F(HelpPagesTest, PagesFillTheirRowsExactly) {
  KeyAfterAWhile('>');
  EXPECT_EQ(ShowHelpPage1(), HelpStep::Page2);
  EXPECT_EQ(State.KeyPressed, ">");
  ExpectPage(kHelpPage1Lines);
  EXPECT_EQ(ReadCanvasText(1, 1, 56), "   '>' next page;   other keys return to Vorn Simulation");
  EXPECT_EQ(ReadCanvasText(29, 1, 12), "    d) Missi");

  // Page 2 again on ">": the screen is cleared and the page printed anew.
  SetTextPosition(36, 1);
  PrintText("left over", false);
  KeyAfterAWhile('>');
  EXPECT_EQ(ShowHelpPage2(), HelpStep::Page2);
  ExpectPage(kHelpPage2Lines);
  EXPECT_EQ(ReadCanvasText(1, 1, 72),
            "  '>' next page; '<' previous page; other keys return to Vorn Simulation");
  EXPECT_EQ(ReadCanvasText(34, 1, 50), "           The current  display seems quite valid.");
}

TEST_F(HelpPagesTest, KeysChooseThePageOrLeave) {
  struct Case {
    int page, key;
    HelpStep step;
  };
  const Case cases[] = {
      {1, '>', HelpStep::Page2},
      {1, '<', HelpStep::Console},
      {1, 'x', HelpStep::Console},
      {1, kKeyDown, HelpStep::Console},
      {1, kKeyCloseRequest, HelpStep::Console},
      {2, '>', HelpStep::Page2},
      {2, '<', HelpStep::Page1},
      {2, 'X', HelpStep::Console},
      {2, kKeyEscape, HelpStep::Console},
      {2, kKeyCloseRequest, HelpStep::Console},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "page " << c.page << " key " << c.key);
    KeyAfterAWhile(c.key);
    EXPECT_EQ(c.page == 1 ? ShowHelpPage1() : ShowHelpPage2(), c.step);
    EXPECT_FALSE(KeyWaiting());
  }
  // The close request's scan code is a letter and comes lower-cased.
  EXPECT_EQ(State.KeyPressed, std::string({static_cast<char>(255), 'x'}));
}

TEST_F(HelpPagesTest, PagesFollowTheKeysUntilOneLeaves) {
  for (const int key : {'>', '>', '<', 'q'}) KeyAfterAWhile(key);
  const int screens = State.Canvas.Generation;
  RunHelpPages();
  // Page 1, page 2 twice, page 1 again.
  EXPECT_EQ(State.Canvas.Generation - screens, 4);
  ExpectPage(kHelpPage1Lines);
  EXPECT_EQ(State.KeyPressed, "q");
  EXPECT_TRUE(Host().ScriptDone());
}

TEST_F(HelpPagesTest, ConsoleComesBackInTextModeAndWorksAsInNormal) {
  StartConsole();
  RunFor(1.0);
  // Paused first: the pages still leave simulated time running on return.
  State.OperatingMode = Mode::Paused;
  State.ModeBeforePause = Mode::Normal;
  RunTicks(3);
  Host().MoveMouse(970, 5, 1);
  EXPECT_EQ(RunScheduler(), Transfer::HelpPages);
  EXPECT_EQ(State.OperatingMode, Mode::Text);

  Host().ScheduleMouse(Host().Time() + 0.02, 970, 5, 0);
  KeyAfterAWhile(kKeyDown);
  RunHelpPages();
  RestartConsole();
  EXPECT_EQ(State.Canvas.Width, 1280);
  EXPECT_NEAR(State.TickTime, Host().Time() - State.PauseOffset, 0.01);
  const double tickTime = State.TickTime;
  RunTicks(1);
  EXPECT_NEAR(State.TickTime, tickTime + 0.1, 1e-9);
  EXPECT_EQ(ReadCanvasText(2, 1, 26), " VORN TAMBERIS SIMULATION ");
  EXPECT_EQ(ReadCanvasText(1, 121, 5), "Text ");
  EXPECT_EQ(CellForeground(1, 121), Colour(0xFF0000));
  EXPECT_EQ(CellForeground(1, 94), Colour(0xFFFFFF));

  // Lamps and evasion answer as in Normal.
  Host().MoveMouse(620, 15, 1);
  RunTicks(1);
  EXPECT_EQ(State.AlertStatus, 0.0);
  Host().MoveMouse(880, 20, 1);
  RunTicks(1);
  EXPECT_EQ(State.EvasionG, 1.0);
  EXPECT_EQ(State.OperatingMode, Mode::Text);
}

TEST_F(HelpPagesTest, ProgramGoesToThePagesAndBackAndEndsOnExit) {
  const double start = Host().Time();
  Host().ScheduleMouse(start + 0.5, 970, 5, 1);  // Text
  Host().ScheduleMouse(start + 0.8, 970, 5, 0);
  Host().ScheduleKey(start + 1.0, '>');
  Host().ScheduleKey(start + 1.1, 'x');
  Host().ScheduleMouse(start + 2.0, 930, 5, 1);  // Exit
  EXPECT_EQ(RunConsole(Host()), 0);
  EXPECT_EQ(State.OperatingMode, Mode::Exit);
  EXPECT_EQ(State.Canvas.Width, 1280);
  EXPECT_TRUE(Host().ScriptDone());
}

}  // namespace
}  // namespace vorn
