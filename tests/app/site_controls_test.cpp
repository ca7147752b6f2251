#include "app/site_controls.h"

#include <gtest/gtest.h>

#include "display/message_lines.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::CellForeground;
using test::Colour;
using test::ReadCanvasText;

constexpr int kRed = 0xFF0000;
constexpr int kWhite = 0xFFFFFF;

// Menu and evasion words by pixel.
constexpr int kNormalX = 770, kAutoX = 820, kPauseX = 880, kExitX = 930, kTextX = 970;
constexpr int kMenuY = 5, kEvasionY = 20;

class SiteControlsTest : public test::StartedConsoleTest {
 protected:
  // Real seconds until the next tick falls due.
  double TimeToNextTick() { return State.TickTime + 0.1 + State.PauseOffset - Host().Time(); }

  // Holds the left button at (x, y) for exactly one tick. The release comes
  // while the Pause button holds the loop, so a Pause click toggles once.
  void Click(int x, int y) {
    RunTicks(1);
    while (TimeToNextTick() < 0.05) RunTicks(1);
    Host().MoveMouse(x, y, 1);
    Host().ScheduleMouse(Host().Time() + TimeToNextTick() + 0.05, x, y, 0);
    RunTicks(1);
    while (!Host().ScriptDone()) RunSchedulerPass();
  }
};

TEST_F(SiteControlsTest, MenuClickRangesIncludeTheirEndsOnly) {
  struct Case {
    int x, y, buttons;
    Mode mode;
    int count;
    Transfer transfer;
  };
  const Mode auto_ = Mode::Auto;  // the start mode: nothing chosen leaves it
  // clang-format off
  const Case cases[] = {
      {740, 5, 1, auto_, 7, Transfer::None}, {741, 5, 1, Mode::Normal, 7, Transfer::None},
      {801, 5, 1, Mode::Normal, 7, Transfer::None}, {802, 5, 1, Mode::Auto, 0, Transfer::None},
      {852, 5, 1, Mode::Auto, 0, Transfer::None}, {853, 5, 1, Mode::Paused, 7, Transfer::None},
      {909, 5, 1, Mode::Paused, 7, Transfer::None}, {910, 5, 1, Mode::Exit, 7, Transfer::EndProgram},
      {957, 5, 1, Mode::Exit, 7, Transfer::EndProgram}, {958, 5, 1, Mode::Text, 7, Transfer::HelpPages},
      {997, 5, 1, Mode::Text, 7, Transfer::HelpPages}, {998, 5, 1, auto_, 7, Transfer::None},
      {770, 0, 1, auto_, 7, Transfer::None}, {770, 11, 1, Mode::Normal, 7, Transfer::None},
      {770, 12, 1, auto_, 7, Transfer::None}, {770, 5, 3, auto_, 7, Transfer::None},
      {770, 5, 2, auto_, 7, Transfer::None}, {-1, -1, -1, auto_, 7, Transfer::None},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "x " << c.x << " y " << c.y << " buttons " << c.buttons);
    State.OperatingMode = Mode::Auto;
    State.AutoEngagementCount = CrewStep::ReleaseFire;
    State.PendingTransfer = Transfer::None;
    test::SetMouse(c.x, c.y, c.buttons);
    RunModeMenu();
    EXPECT_EQ(State.OperatingMode, c.mode);
    EXPECT_EQ(static_cast<int>(State.AutoEngagementCount), c.count);
    EXPECT_EQ(State.PendingTransfer, c.transfer);
  }
}

TEST_F(SiteControlsTest, LampAndEvasionClickRanges) {
  struct Case {
    int x, y, buttons;
    double status;
  };
  const double none = 9.0;  // left alone by the click
  const Case lamps[] = {
      {486, 15, 1, 3.0},  {524, 15, 1, 3.0},  {525, 15, 1, none}, {526, 15, 1, 2.0},
      {565, 15, 1, none}, {566, 15, 1, 1.0},  {605, 15, 1, none}, {606, 15, 1, 0.0},
      {644, 15, 1, 0.0},  {645, 15, 1, none}, {485, 15, 1, none}, {580, 0, 1, none},
      {580, 32, 1, 1.0},  {580, 33, 1, none}, {580, 15, 3, none},
  };
  for (const Case& c : lamps) {
    SCOPED_TRACE(testing::Message() << "lamp x " << c.x << " y " << c.y);
    State.AlertStatus = none;
    test::SetMouse(c.x, c.y, c.buttons);
    ClickAlertLamps();
    EXPECT_EQ(State.AlertStatus, c.status);
  }
  const Case evasion[] = {
      {740, 20, 1, none}, {741, 20, 1, 0.0}, {801, 20, 1, 0.0}, {802, 20, 1, 0.2},
      {852, 20, 1, 0.2},  {853, 20, 1, 1.0}, {909, 20, 1, 1.0}, {910, 20, 1, none},
      {770, 14, 1, none}, {830, 15, 1, 0.2}, {830, 28, 1, 0.2}, {830, 29, 1, none},
      {830, 20, 2, none},
  };
  for (const Case& c : evasion) {
    SCOPED_TRACE(testing::Message() << "evasion x " << c.x << " y " << c.y);
    State.EvasionG = none;
    test::SetMouse(c.x, c.y, c.buttons);
    RunEvasionSelection();
    EXPECT_EQ(State.EvasionG, c.status);
  }
}

TEST_F(SiteControlsTest, NormalLeavesAutoAndWipesTheCrewLine) {
  Click(kAutoX, kMenuY);
  ASSERT_EQ(State.OperatingMode, Mode::Auto);
  SetTextPosition(4, 86);
  PrintText("Designated Target =  5            ", true);
  Host().MoveMouse(kNormalX, kMenuY, 1);
  RunTicks(1);
  EXPECT_EQ(State.OperatingMode, Mode::Normal);
  EXPECT_EQ(ReadCanvasText(4, 86, 34), std::string(34, ' '));
}

TEST_F(SiteControlsTest, AlertLampClickShowsAtThePanelPassInNormalOnly) {
  Click(580, 15);
  EXPECT_EQ(State.AlertStatus, 1.0);
  RunFor(0.6);
  EXPECT_EQ(State.MissileSelected, 0);
  EXPECT_EQ(PixelAt(580, 15), Colour(0xFFFF00));
  EXPECT_EQ(PixelAt(500, 15), Colour(0x800000));

  // In Auto and Paused the lamps do not answer; the menu and evasion do.
  Click(kAutoX, kMenuY);
  Click(500, 15);
  EXPECT_EQ(State.AlertStatus, 1.0);
  Click(kPauseX, kMenuY);
  ASSERT_EQ(State.OperatingMode, Mode::Paused);
  Click(500, 15);
  EXPECT_EQ(State.AlertStatus, 1.0);
  Click(830, kEvasionY);
  EXPECT_EQ(State.EvasionG, 0.2);
  Click(kNormalX, kMenuY);
  EXPECT_EQ(State.OperatingMode, Mode::Normal);
  Click(500, 15);
  EXPECT_EQ(State.AlertStatus, 3.0);
}

TEST_F(SiteControlsTest, PauseButtonHoldsTheLoopAndToggles) {
  // A click toggles once: the button is read again while the loop is held.
  RunTicks(1);
  const double before = Host().Time();
  Click(kPauseX, kMenuY);
  EXPECT_EQ(State.OperatingMode, Mode::Paused);
  EXPECT_GE(Host().Time() - before, 0.2);
  EXPECT_EQ(State.MouseButtons, 0);
  RunTicks(5);
  EXPECT_EQ(State.OperatingMode, Mode::Paused);

  // Held on, it toggles again at a following tick, and again.
  Host().MoveMouse(kPauseX, kMenuY, 1);
  RunTicks(1);
  EXPECT_EQ(State.OperatingMode, Mode::Normal);
  RunTicks(1);
  EXPECT_EQ(State.OperatingMode, Mode::Paused);
}

TEST_F(SiteControlsTest, PauseFreezesSimulatedTimeAndResumesWhereItStopped) {
  RunFor(1.0);
  Click(kPauseX, kMenuY);
  ASSERT_EQ(State.OperatingMode, Mode::Paused);
  const double tickTime = State.TickTime, panelTime = State.NextPanelTime;
  const double sweepTime = State.NextSweepTime, pauseOffset = State.PauseOffset;
  const double realStart = Host().Time();
  RunTicks(30);
  // About three seconds went by on the clock, none of them simulated.
  EXPECT_GT(Host().Time() - realStart, 2.5);
  EXPECT_EQ(State.TickTime, tickTime);
  EXPECT_EQ(State.NextPanelTime, panelTime);
  EXPECT_EQ(State.NextSweepTime, sweepTime);
  EXPECT_NEAR(State.PauseOffset, pauseOffset + 3.0, 1e-9);
  EXPECT_LT(State.Now, tickTime + 0.25);

  Click(kPauseX, kMenuY);
  EXPECT_EQ(State.OperatingMode, Mode::Normal);
  EXPECT_NEAR(State.TickTime, tickTime + 0.1, 1e-9);
  RunTicks(4);
  EXPECT_NEAR(State.TickTime, tickTime + 0.5, 1e-9);
  EXPECT_LT(State.Now, tickTime + 0.75);
}

TEST_F(SiteControlsTest, PauseReturnsToAutoWithTheCrewsStep) {
  Click(kAutoX, kMenuY);
  ASSERT_EQ(State.OperatingMode, Mode::Auto);
  // The crew waits at its step while its wait has far to go.
  State.AutoEngagementCount = CrewStep::StopChallenge;
  State.AutoStepTime = 1e9;
  Click(kPauseX, kMenuY);
  EXPECT_EQ(State.OperatingMode, Mode::Paused);
  EXPECT_EQ(State.ModeBeforePause, Mode::Auto);
  Click(kPauseX, kMenuY);
  EXPECT_EQ(State.OperatingMode, Mode::Auto);
  EXPECT_EQ(State.AutoEngagementCount, CrewStep::StopChallenge);

  // Choosing Auto restarts the crew: the menu shows step 0 before it runs.
  Host().MoveMouse(kAutoX, kMenuY, 1);
  RunTicks(1);
  EXPECT_EQ(ReadCanvasText(1, 102, 6), "Auto0 ");
  EXPECT_EQ(CellForeground(1, 102), Colour(kRed));
}

TEST_F(SiteControlsTest, MenuAndEvasionShowTheCurrentChoiceInRed) {
  State.EvasionG = 0.2;
  RunTicks(1);
  EXPECT_EQ(ReadCanvasText(1, 82, 44), "Game Modes: Normal, Auto, Pause ,Exit, Text ");
  EXPECT_EQ(CellForeground(1, 82), Colour(kWhite));
  EXPECT_EQ(CellForeground(1, 94), Colour(kRed));
  for (const int column : {102, 108, 115, 121})
    EXPECT_EQ(CellForeground(1, column), Colour(kWhite));
  EXPECT_EQ(ReadCanvasText(2, 82, 55), "Evasion Gs: 0.0 g   0.2 g   1.0 g   tracked target only");
  EXPECT_EQ(CellForeground(2, 94), Colour(kWhite));
  EXPECT_EQ(CellForeground(2, 102), Colour(kRed));
  EXPECT_EQ(CellForeground(2, 110), Colour(kWhite));
  EXPECT_EQ(CellForeground(2, 118), Colour(kWhite));

  Click(kPauseX, kMenuY);
  EXPECT_EQ(ReadCanvasText(1, 82, 44), "Game Modes: Normal, Auto, Paused,Exit, Text ");
  EXPECT_EQ(CellForeground(1, 94), Colour(kWhite));
  EXPECT_EQ(CellForeground(1, 108), Colour(kRed));
  EXPECT_EQ(CellForeground(1, 114), Colour(kRed));

  // The standing colour is white again afterwards.
  PrintText("x", false);
  EXPECT_EQ(State.Canvas.Foreground, Colour(kWhite));
}

TEST_F(SiteControlsTest, ExitEndsTheLoopWithoutDrawing) {
  RunTicks(1);
  SetTextPosition(1, 82);
  PrintText("stale", false);
  Host().MoveMouse(kExitX, kMenuY, 1);
  EXPECT_EQ(RunScheduler(), Transfer::EndProgram);
  EXPECT_EQ(State.OperatingMode, Mode::Exit);
  EXPECT_EQ(ReadCanvasText(1, 82, 5), "stale");
}

// The computer rewrites the message lines on every Ready tick, so the expiry
// is driven here at the panel task's 0.5 s cadence alone.
TEST_F(SiteControlsTest, MessagesStayFourToFourAndAHalfSeconds) {
  for (const double phase : {0.0, 0.1, 0.25, 0.49}) {
    SCOPED_TRACE(phase);
    State.Now = 100.0;
    State.MessageClearTime = 0.0;
    ExpireMessageLines();
    State.Now = 100.0 + phase;
    const double placed = State.Now;
    PlaceMessageLine1();
    PrintText("Out of         ", true);
    SetColors(kWhite, -1);
    EXPECT_EQ(State.MessageClearTime, placed + 4.0);
    EXPECT_EQ(ReadCanvasText(50, 76, 15), "Out of         ");
    EXPECT_EQ(CellForeground(50, 76), Colour(kRed));
    double goneAt = 0.0;
    for (double panel = 100.5; goneAt == 0.0 && panel < 110.0; panel += 0.5) {
      State.Now = panel;
      ExpireMessageLines();
      if (ReadCanvasText(50, 76, 15) == std::string(15, ' ')) goneAt = panel;
    }
    EXPECT_GT(goneAt - placed, 4.0);
    EXPECT_LE(goneAt - placed, 4.5);
  }
}

TEST_F(SiteControlsTest, PlacingEitherLinePostponesTheBlankingOfBoth) {
  State.Now = 10.0;
  PlaceMessageLine1();
  PrintText("Out of         ", true);
  State.Now = 13.0;
  PlaceMessageLine2();
  PrintText("TTR Range      ", true);
  SetColors(kWhite, -1);
  EXPECT_EQ(ReadCanvasText(51, 76, 15), "TTR Range      ");
  EXPECT_EQ(CellForeground(51, 76), Colour(kRed));
  State.Now = 15.0;
  ExpireMessageLines();
  EXPECT_EQ(ReadCanvasText(50, 76, 6), "Out of");
  State.Now = 17.5;
  ExpireMessageLines();
  EXPECT_EQ(ReadCanvasText(50, 76, 15), std::string(15, ' '));
  EXPECT_EQ(ReadCanvasText(51, 76, 15), std::string(15, ' '));
  EXPECT_EQ(State.MessageClearTime, 21.5);
}

}  // namespace
}  // namespace vorn
