#include "boards/status_panel.h"

#include <gtest/gtest.h>

#include <string>

#include "display/canvas.h"
#include "model/missile.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::CellForeground;
using test::Colour;
using test::ReadCanvasText;

constexpr int kWhite = 0xFFFFFF;
constexpr int kRed = 0xFF0000;
constexpr int kGreen = 0x00FF00;
constexpr int kYellow = 0xFFFF00;

class StatusPanelTest : public test::ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    OpenScreen(kConsoleMode, 16);
  }

  // A battery that can fire: a tracked target, a settled computer, RED alert.
  static void ReadyBattery() {
    State.TargetDesignated = 4;
    State.TargetTracked = 4;
    State.ComputerSettled = 1;
    State.AlertStatus = 3.0;
    State.MissileSelected = 1;
  }

  // The indication on a condition row, with its colour.
  static std::string Indication(int row) { return ReadCanvasText(row, 93, 3); }
  static bool IsGreen(int row) { return CellForeground(row, 93) == Colour(kGreen); }
  static bool IsRed(int row) { return CellForeground(row, 93) == Colour(kRed); }
};

TEST_F(StatusPanelTest, ShowsEveryLineOfTheReadyBattery) {
  ReadyBattery();
  State.TimeToIntercept = 42.7;
  State.PipBearingDeg = -12.5;
  State.TrackGroundSpeed = 300.0;  // 613.6 mph
  DrawStatusPanel();

  EXPECT_EQ(ReadCanvasText(31, 70, 38), "                  SYSTEM STATUS       ");
  EXPECT_EQ(ReadCanvasText(32, 70, 40), " -------------------------------------  ");
  EXPECT_EQ(ReadCanvasText(33, 70, 26), "Target Designated      YES");
  EXPECT_EQ(ReadCanvasText(34, 70, 26), "Target Tracked         YES");
  EXPECT_EQ(ReadCanvasText(35, 70, 26), "Computer Settled       YES");
  EXPECT_EQ(ReadCanvasText(36, 70, 26), "Site Alert Status RED? YES");
  EXPECT_EQ(ReadCanvasText(37, 70, 26), "Missile Selected       YES");
  EXPECT_EQ(ReadCanvasText(38, 70, 23), " ---------------       ");
  EXPECT_EQ(ReadCanvasText(39, 70, 26), "Ready to Fire ?        YES");
  EXPECT_EQ(ReadCanvasText(40, 70, 40), " -------------------------------------  ");
  EXPECT_EQ(ReadCanvasText(43, 105, 37), " Target Tracking Radar Display       ");
  for (const int row : {33, 34, 35, 36, 37, 39}) EXPECT_TRUE(IsGreen(row)) << row;
  EXPECT_EQ(CellForeground(33, 70), Colour(kWhite));

  EXPECT_EQ(ReadCanvasText(33, 100, 23), "Sel Sctn # 1 Lnchr # 1 ");
  EXPECT_EQ(ReadCanvasText(34, 100, 24), "Msl Status       Ready  ");
  EXPECT_EQ(ReadCanvasText(35, 100, 23), "Pred Intercept sec  42 ");
  EXPECT_EQ(ReadCanvasText(36, 100, 23), "MSL Gyro Degrees   -12 ");
  EXPECT_EQ(ReadCanvasText(37, 100, 22), "Flight Time          0");
  EXPECT_EQ(ReadCanvasText(38, 100, 22), "Tgt Gnd MPH        613");
  EXPECT_EQ(ReadCanvasText(39, 100, 22), "Missile MPH          0");
  EXPECT_EQ(State.Canvas.Foreground, Colour(kWhite));
}

TEST_F(StatusPanelTest, VerdictFallsWithTheAlertStatus) {
  ReadyBattery();
  DrawStatusPanel();
  EXPECT_EQ(Indication(39), "YES");

  // BLUE: the missile is still selected, but the site is not at RED.
  State.AlertStatus = 2.0;
  DrawStatusPanel();
  EXPECT_EQ(Indication(36), "NO ");
  EXPECT_TRUE(IsRed(36));
  EXPECT_EQ(Indication(37), "YES");
  EXPECT_EQ(Indication(39), "NO ");
  EXPECT_TRUE(IsRed(39));

  // YELLOW: the missile is deselected too.
  State.AlertStatus = 1.0;
  State.MissileSelected = 0;
  DrawStatusPanel();
  EXPECT_EQ(Indication(37), "NO ");
  EXPECT_TRUE(IsRed(37));
  EXPECT_EQ(Indication(39), "NO ");
}

TEST_F(StatusPanelTest, VerdictNeedsTrackNotDesignation) {
  ReadyBattery();
  State.TargetDesignated = 0;
  DrawStatusPanel();
  EXPECT_EQ(Indication(33), "NO ");
  EXPECT_EQ(Indication(39), "YES");

  State.TargetDesignated = 4;
  State.TargetTracked = 0;
  DrawStatusPanel();
  EXPECT_EQ(Indication(34), "NO ");
  EXPECT_EQ(Indication(39), "NO ");
}

TEST_F(StatusPanelTest, MissileSelectionFollowsTheAlertStatusAtThePanelTask) {
  StartConsole();
  RunFor(0.6);
  EXPECT_EQ(Indication(37), "YES");
  State.AlertStatus = 2.0;
  RunFor(0.6);
  EXPECT_EQ(Indication(36), "NO ");
  EXPECT_EQ(Indication(37), "YES");
  State.AlertStatus = 1.0;
  RunFor(0.6);
  EXPECT_EQ(Indication(37), "NO ");
}

TEST_F(StatusPanelTest, PhaseNamesHaveTheirColours) {
  struct Expected {
    int Phase;
    const char* Text;
    int Colour;
  };
  const Expected phases[] = {
      {kPhaseSettleGyro, " SettleGyro  ", kGreen},
      {kPhaseBoost, "Away, Boost ", kGreen},
      {kPhaseRollStab, "  Roll Stab ", kGreen},
      {kPhaseDive, "       Dive ", kGreen},
      {kPhaseCruise, "1/2g Cruise ", kGreen},
      {kPhaseBurst, "      Burst ", kRed},
      {9, "?????       ", kGreen},
  };
  // Each name covers the longest one before it.
  SetTextPosition(34, 111);
  PrintText("~~~~~~~~~~~~~", false);
  for (const Expected& e : phases) {
    State.MissilePhase = e.Phase;
    DrawStatusPanel();
    const std::string text = e.Text;
    EXPECT_EQ(ReadCanvasText(34, 111, static_cast<int>(text.size())), text) << e.Phase;
    const int firstLetter = static_cast<int>(text.find_first_not_of(' '));
    EXPECT_EQ(CellForeground(34, 111 + firstLetter), Colour(e.Colour)) << e.Phase;
    EXPECT_EQ(CellForeground(34, 100), Colour(kWhite));
  }
}

TEST_F(StatusPanelTest, ReadyIsYellowBelowRedAndGreenAtRed) {
  State.MissilePhase = kPhaseReady;
  State.AlertStatus = 2.0;
  DrawStatusPanel();
  EXPECT_EQ(ReadCanvasText(34, 111, 13), "      Ready  ");
  EXPECT_EQ(CellForeground(34, 117), Colour(kYellow));
  State.AlertStatus = 3.0;
  DrawStatusPanel();
  EXPECT_EQ(CellForeground(34, 117), Colour(kGreen));
}

TEST_F(StatusPanelTest, LauncherWrapsAfterTheThirdOfEachSection) {
  State.LauncherNumber = 3.0;
  DrawStatusPanel();
  EXPECT_EQ(ReadCanvasText(33, 100, 23), "Sel Sctn # 1 Lnchr # 3 ");

  State.LauncherNumber = 4.0;  // after the third launch of section 1
  DrawStatusPanel();
  EXPECT_EQ(State.SectionNumber, 2.0);
  EXPECT_EQ(State.LauncherNumber, 1.0);
  EXPECT_EQ(ReadCanvasText(33, 100, 23), "Sel Sctn # 2 Lnchr # 1 ");

  State.LauncherNumber = 4.0;  // after the third launch of section 2
  DrawStatusPanel();
  EXPECT_EQ(ReadCanvasText(33, 100, 23), "Sel Sctn # 1 Lnchr # 1 ");

  State.SectionNumber = 0.0;
  DrawStatusPanel();
  EXPECT_EQ(State.SectionNumber, 1.0);
}

TEST_F(StatusPanelTest, ComputerReadoutsBlankWhileUnsettled) {
  ReadyBattery();
  State.TimeToIntercept = 88.0;
  State.PipBearingDeg = 270.0;
  State.MissileFlightTime = 12.3;
  State.MissileVX = 300.0;
  State.MissileVY = 400.0;  // 500 yards per second, 1022.7 mph
  DrawStatusPanel();
  EXPECT_EQ(ReadCanvasText(35, 100, 23), "Pred Intercept sec  88 ");

  State.ComputerSettled = 0;
  State.TargetTracked = 0;
  DrawStatusPanel();
  const std::string blank(25, ' ');
  EXPECT_EQ(ReadCanvasText(35, 100, 25), blank);
  EXPECT_EQ(ReadCanvasText(36, 100, 25), blank);
  EXPECT_EQ(ReadCanvasText(38, 100, 25), blank);
  EXPECT_EQ(ReadCanvasText(37, 100, 22), "Flight Time         12");
  EXPECT_EQ(ReadCanvasText(39, 100, 22), "Missile MPH       1022");
}

}  // namespace
}  // namespace vorn
