#include "model/designation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <utility>

#include "app/site_controls.h"
#include "display/canvas.h"
#include "model/fire_control.h"
#include "model/missile.h"
#include "support/console_test.h"

namespace vorn {
namespace {

using test::Colour;
using test::ReadCanvasText;

using test::PlaceAircraft;
using test::SetMouse;

class DesignationTest : public test::StartedConsoleTest {
 protected:
  // Moves every aircraft of the scenario far off, so only the placed ones
  // can be under a click.
  static void ClearSky() {
    for (int slot = 1; slot <= 7; ++slot) PlaceAircraft(slot, 0, 290000, 5000);
  }

  static void Engage(int slot) {
    State.TargetDesignated = slot;
    State.TargetTracked = slot;
    State.ComputerSettled = 1;
  }
};

TEST_F(DesignationTest, ClickOnEmptyScopeDropsTheEngagementOutsideItNothing) {
  ClearSky();
  Engage(3);
  SetMouse(64, 770, 1);  // just left of the scope square
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 3);
  EXPECT_EQ(State.ComputerSettled, 1);

  SetMouse(465, 970, 1);  // the square's far corner: empty sky
  DesignateTarget();
  EXPECT_EQ(State.TargetDesignated, 0);
  EXPECT_EQ(State.TargetTracked, 0);
  EXPECT_EQ(State.ComputerSettled, 0);
}

TEST_F(DesignationTest, AnyButtonDesignatesAnAircraftUnderTheClick) {
  ClearSky();
  PlaceAircraft(2, 60000, 30000, 4000);
  for (const int buttons : {1, 2, 4, 3}) {
    State.TargetDesignated = State.TargetTracked = 0;
    SetMouse(PpiPixelX(60000), PpiPixelY(30000), buttons);
    DesignateTarget();
    EXPECT_EQ(State.TargetDesignated, 2) << "buttons " << buttons;
    EXPECT_EQ(State.TargetTracked, 2) << "buttons " << buttons;
  }
  // No button, nothing happens.
  Engage(5);
  SetMouse(PpiPixelX(60000), PpiPixelY(30000), 0);
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 5);
}

TEST_F(DesignationTest, TrackingRadarReachesJustShortOf199000Yards) {
  ClearSky();
  PlaceAircraft(1, 199000, 0, 0);
  SetMouse(PpiPixelX(199000), 770, 1);
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 0);
  EXPECT_EQ(ReadCanvasText(50, 76, 15), "Out of         ");
  EXPECT_EQ(ReadCanvasText(51, 76, 15), "TTR Range      ");
  EXPECT_EQ(test::CellForeground(50, 76), Colour(0xFF0000));
  EXPECT_EQ(State.Canvas.Foreground, Colour(0xFFFFFF));

  // A designation in reach wipes the message.
  PlaceAircraft(1, 198999, 0, 0);
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 1);
  EXPECT_EQ(ReadCanvasText(50, 76, 15), std::string(15, ' '));
  EXPECT_EQ(ReadCanvasText(51, 76, 15), std::string(15, ' '));

  // The limit is taken on where the aircraft is now, the window on where it
  // was at the last tick.
  State.TargetX[1] = 199001;
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 0);
}

TEST_F(DesignationTest, HighestQualifyingSlotUnderTheClickWins) {
  ClearSky();
  PlaceAircraft(2, 60000, 30000, 4000);
  PlaceAircraft(4, 63000, 31000, 4000);
  PlaceAircraft(6, 58000, 29000, 4000);
  SetMouse(PpiPixelX(60000), PpiPixelY(30000), 1);
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 6);

  // A higher slot out of the radar's reach does not take it from a lower one.
  ClearSky();
  PlaceAircraft(2, 190000, 0, 4000);
  PlaceAircraft(5, 198000, 0, 30000);
  SetMouse(PpiPixelX(192000), 770, 1);
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 2);
}

TEST_F(DesignationTest, HeldButtonFollowsTheAircraftOnlyWithinTheClicksWindow) {
  ClearSky();
  PlaceAircraft(3, 0, 90000, 4000);
  SetMouse(PpiPixelX(0), PpiPixelY(90000), 2);
  DesignateTarget();
  ASSERT_EQ(State.TargetTracked, 3);

  // Moves 8 degrees round and 8,000 yards out: still in the window.
  const double az = std::atan2(90000.0, 0.0) + 8 * std::numbers::pi / 180;
  PlaceAircraft(3, 98000 * std::cos(az), 98000 * std::sin(az), 4000);
  State.ComputerSettled = 1;
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 3);
  EXPECT_EQ(State.ComputerSettled, 0);  // dropped and taken again

  PlaceAircraft(3, 0, 101000, 4000);  // 11,000 yards out
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 0);

  // Azimuths are compared unwrapped: either side of due west, 1.2 degrees
  // apart on the scope, are far apart for the window.
  PlaceAircraft(1, -120000, 1000, 4000);
  SetMouse(PpiPixelX(-120000), PpiPixelY(-1500), 1);
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 0);
  SetMouse(PpiPixelX(-120000), PpiPixelY(1500), 1);
  DesignateTarget();
  EXPECT_EQ(State.TargetTracked, 1);
}

TEST_F(DesignationTest, ClicksAreIgnoredWhileTheMissileIsNotReady) {
  ClearSky();
  PlaceAircraft(2, 60000, 30000, 4000);
  Engage(1);
  for (const FlightPhase phase :
       {FlightPhase::SettleGyro, FlightPhase::Cruise, FlightPhase::Burst}) {
    State.MissilePhase = phase;
    SetMouse(PpiPixelX(60000), PpiPixelY(30000), 1);
    DesignateTarget();
    SetMouse(300, 600, 1);
    DesignateTarget();
    EXPECT_EQ(State.TargetTracked, 1);
    EXPECT_EQ(State.TargetDesignated, 1);
    EXPECT_EQ(State.ComputerSettled, 1);
  }
}

// The IFF and FIRE panels.
class PanelTest : public DesignationTest {};

TEST_F(PanelTest, PanelsActOnlyWhenTheMouseChanges) {
  // The saved copies start at (0, 0, 0): an unmoved mouse draws nothing.
  SetMouse(0, 0, 0);
  UpdateIffPanel();
  UpdateFirePanel();
  EXPECT_EQ(PixelAt(620, 720), 0u);
  EXPECT_EQ(PixelAt(620, 920), 0u);
  EXPECT_EQ(ReadCanvasText(43, 75, 13), std::string(13, ' '));

  SetMouse(10, 10, 0);
  UpdateIffPanel();
  UpdateFirePanel();
  EXPECT_EQ(ReadCanvasText(43, 75, 13), "IFF Challenge");
  EXPECT_EQ(ReadCanvasText(48, 76, 12), "Mode1  Mode2");
  EXPECT_EQ(ReadCanvasText(60, 77, 12), "FIRE  Manual");
  EXPECT_EQ(ReadCanvasText(61, 77, 12), "      Burst ");
  EXPECT_EQ(PixelAt(620, 720), Colour(0x808000));
  EXPECT_EQ(PixelAt(670, 720), Colour(0x808000));
  EXPECT_EQ(PixelAt(620, 920), Colour(0x800000));
  EXPECT_EQ(PixelAt(670, 920), Colour(0x800000));
  // The boxes cover their corners.
  EXPECT_EQ(test::CountPixels(600, 700, 640, 740, 0x808000), 41 * 41);

  // FIRE accepted, then the engagement lost without a mouse change: the
  // panel is not re-evaluated until the mouse moves, wherever it goes.
  Engage(1);
  SetMouse(620, 920, 1);
  UpdateFirePanel();
  ASSERT_EQ(State.FireCommand, 1);
  State.TargetTracked = 0;
  UpdateFirePanel();
  EXPECT_EQ(State.FireCommand, 1);
  SetMouse(300, 300, 1);
  UpdateFirePanel();
  EXPECT_EQ(State.FireCommand, 0);
  EXPECT_EQ(PixelAt(620, 920), Colour(0xFFFF00));
}

TEST_F(PanelTest, HeldButtonKeepsItsStateOffTheButton) {
  SetMouse(620, 720, 1);
  UpdateIffPanel();
  EXPECT_EQ(State.IffMode1, 1);
  EXPECT_EQ(PixelAt(620, 720), Colour(0xFFFF00));
  SetMouse(700, 500, 1);  // dragged off
  UpdateIffPanel();
  SetMouse(700, 500, 0);  // released elsewhere
  UpdateIffPanel();
  EXPECT_EQ(State.IffMode1, 1);
  EXPECT_EQ(PixelAt(620, 720), Colour(0xFFFF00));

  // Only the left button alone works a panel button, strictly inside it.
  SetMouse(670, 720, 3);
  UpdateIffPanel();
  EXPECT_EQ(State.IffMode2, 0);
  SetMouse(650, 720, 1);  // on the box's edge
  UpdateIffPanel();
  EXPECT_EQ(State.IffMode2, 0);
  SetMouse(651, 739, 1);
  UpdateIffPanel();
  EXPECT_EQ(State.IffMode2, 1);
  EXPECT_EQ(State.IffMode1, 1);

  // Over the button with no button pressed turns it off.
  SetMouse(620, 720, 0);
  UpdateIffPanel();
  EXPECT_EQ(State.IffMode1, 0);
  EXPECT_EQ(PixelAt(620, 720), Colour(0x808000));
}

TEST_F(PanelTest, FireIsRefusedWithoutAnEngagedAircraftOrBelowRed) {
  SetMouse(620, 920, 1);
  UpdateFirePanel();
  EXPECT_EQ(State.FireCommand, 0);
  EXPECT_EQ(PixelAt(620, 920), Colour(0xFFFF00));

  Engage(2);
  State.AlertStatus = 2.0;  // BLUE
  SetMouse(621, 920, 1);
  UpdateFirePanel();
  EXPECT_EQ(State.FireCommand, 0);
  EXPECT_EQ(PixelAt(620, 920), Colour(0xFFFF00));
  UpdateFireControl();
  FlyMissile();
  EXPECT_EQ(State.MissilePhase, FlightPhase::Ready);
}

TEST_F(PanelTest, FireAtRedIsAcceptedEvenBeyond150Seconds) {
  State.TrackX = 150000;
  State.TrackVX = 600;
  Engage(3);
  for (int tick = 0; tick < 5; ++tick) UpdateFireControl();
  ASSERT_EQ(State.ComputerSettled, 0);
  ASSERT_GT(State.TimeToIntercept, 149);

  SetMouse(620, 920, 1);
  UpdateFirePanel();
  EXPECT_EQ(State.FireCommand, 1);
  EXPECT_EQ(PixelAt(620, 920), Colour(0xFF0000));
  SetMouse(620, 920, 0);
  UpdateFirePanel();
  EXPECT_EQ(State.FireCommand, 0);
  EXPECT_EQ(PixelAt(620, 920), Colour(0x800000));
}

TEST_F(PanelTest, ManualBurstAbandonsTheFlightFromRollStabilisation) {
  // Phase, and whether the button bursts the missile.
  const std::pair<FlightPhase, bool> cases[] = {
      {FlightPhase::Ready, false},   {FlightPhase::SettleGyro, false}, {FlightPhase::Boost, false},
      {FlightPhase::RollStab, true}, {FlightPhase::Dive, true},        {FlightPhase::Cruise, true},
      {FlightPhase::Burst, true}};
  for (const auto& [phase, bursts] : cases) {
    SCOPED_TRACE(static_cast<int>(phase));
    State.MissilePhase = phase;
    SetMouse(670, 920, 0);
    UpdateFirePanel();
    SetMouse(670, 920, 1);
    UpdateFirePanel();
    EXPECT_EQ(State.BurstCommand, bursts ? 1 : 0);
    EXPECT_EQ(State.MissilePhase, bursts ? FlightPhase::Ready : phase);
    EXPECT_EQ(PixelAt(670, 920), Colour(bursts ? 0xFF0000 : 0xFFFF00));
  }
}

}  // namespace
}  // namespace vorn
