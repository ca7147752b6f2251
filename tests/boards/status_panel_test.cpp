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

constexpr int kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00, kYellow = 0xFFFF00;

class StatusPanelTest : public test::ConsoleScreenTest {
 protected:
  void SetUp() override {
    ConsoleScreenTest::SetUp();
    // A battery that can fire: a tracked target, a settled computer, RED alert.
    State.TargetDesignated = State.TargetTracked = 4;
    State.ComputerSettled = 1;
    State.AlertStatus = 3.0;
    State.MissileSelected = 1;
  }
  // The indication of a condition row, with its colour.
  static std::string Indication(int row) {
    const std::string text = ReadCanvasText(row, 93, 3);
    const bool coloured = CellForeground(row, 93) == Colour(text == "YES" ? kGreen : kRed);
    return coloured ? text : "wrong colour";
  }
};

TEST_F(StatusPanelTest, ShowsEveryLineOfTheReadyBattery) {
  State.TimeToIntercept = 42.7;
  State.PipBearingDeg = -12.5;
  State.TrackGroundSpeed = 300.0;  // 613.6 mph
  DrawStatusPanel();
  EXPECT_EQ(ReadCanvasText(31, 70, 38), "                  SYSTEM STATUS       ");
  EXPECT_EQ(ReadCanvasText(33, 70, 23), "Target Designated      ");
  EXPECT_EQ(ReadCanvasText(36, 70, 23), "Site Alert Status RED? ");
  EXPECT_EQ(ReadCanvasText(38, 70, 23), " ---------------       ");
  EXPECT_EQ(ReadCanvasText(40, 70, 40), " -------------------------------------  ");
  EXPECT_EQ(ReadCanvasText(43, 105, 37), " Target Tracking Radar Display       ");
  for (const int row : {33, 34, 35, 36, 37, 39}) EXPECT_EQ(Indication(row), "YES") << row;
  EXPECT_EQ(ReadCanvasText(33, 100, 23), "Sel Sctn # 1 Lnchr # 1 ");
  EXPECT_EQ(ReadCanvasText(35, 100, 23), "Pred Intercept sec  42 ");
  EXPECT_EQ(ReadCanvasText(36, 100, 23), "MSL Gyro Degrees   -12 ");
  EXPECT_EQ(ReadCanvasText(38, 100, 22), "Tgt Gnd MPH        613");
  EXPECT_EQ(State.Canvas.Foreground, Colour(kWhite));
}

TEST_F(StatusPanelTest, VerdictFallsWithTheAlertStatusAndTheTrack) {
  State.AlertStatus = 2.0;  // BLUE: still selected, but not at RED
  DrawStatusPanel();
  EXPECT_EQ(Indication(36), "NO ");
  EXPECT_EQ(Indication(37), "YES");
  EXPECT_EQ(Indication(39), "NO ");
  State.AlertStatus = 1.0;  // YELLOW: deselected too
  State.MissileSelected = 0;
  DrawStatusPanel();
  EXPECT_EQ(Indication(37), "NO ");
  EXPECT_EQ(Indication(39), "NO ");

  State.AlertStatus = 3.0;  // the designation is no part of the verdict
  State.MissileSelected = 1;
  State.TargetDesignated = 0;
  DrawStatusPanel();
  EXPECT_EQ(Indication(33), "NO ");
  EXPECT_EQ(Indication(39), "YES");
}

TEST_F(StatusPanelTest, PhaseNamesHaveTheirColours) {
  State.MissilePhase = FlightPhase::Ready;
  State.AlertStatus = 2.0;
  DrawStatusPanel();
  EXPECT_EQ(ReadCanvasText(34, 100, 24), "Msl Status       Ready  ");
  EXPECT_EQ(CellForeground(34, 117), Colour(kYellow));
  State.AlertStatus = 3.0;
  DrawStatusPanel();
  EXPECT_EQ(CellForeground(34, 117), Colour(kGreen));

  const struct {
    FlightPhase Phase;
    std::string Text;
    int Colour;
  } phases[] = {{FlightPhase::SettleGyro, " SettleGyro  ", kGreen},
                {FlightPhase::Boost, "Away, Boost ", kGreen},
                {FlightPhase::Cruise, "1/2g Cruise ", kGreen},
                {FlightPhase::Burst, "      Burst ", kRed},
                {static_cast<FlightPhase>(9), "?????       ", kGreen}};
  for (const auto& e : phases) {
    State.MissilePhase = e.Phase;
    DrawStatusPanel();
    EXPECT_EQ(ReadCanvasText(34, 111, static_cast<int>(e.Text.size())), e.Text)
        << static_cast<int>(e.Phase);
    const int letter = static_cast<int>(e.Text.find_first_not_of(' '));
    EXPECT_EQ(CellForeground(34, 111 + letter), Colour(e.Colour)) << static_cast<int>(e.Phase);
  }
}

TEST_F(StatusPanelTest, LauncherWrapsAfterTheThirdOfEachSection) {
  State.LauncherNumber = 4.0;  // after the third launch of section 1
  DrawStatusPanel();
  EXPECT_EQ(ReadCanvasText(33, 100, 23), "Sel Sctn # 2 Lnchr # 1 ");
  State.LauncherNumber = 4.0;  // after the third launch of section 2
  DrawStatusPanel();
  EXPECT_EQ(ReadCanvasText(33, 100, 23), "Sel Sctn # 1 Lnchr # 1 ");
  EXPECT_EQ(State.LauncherNumber, 1.0);
}

TEST_F(StatusPanelTest, ComputerReadoutsBlankWhileUnsettled) {
  State.TimeToIntercept = 88.0;
  State.MissileFlightTime = 12.3;
  State.MissileVX = 300.0;
  State.MissileVY = 400.0;  // 500 yards per second, 1022.7 mph
  DrawStatusPanel();
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
