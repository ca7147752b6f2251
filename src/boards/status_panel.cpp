#include "boards/status_panel.h"

#include <cmath>
#include <string_view>

#include "app/console_state.h"
#include "display/canvas.h"
#include "display/picture.h"

namespace vorn {

namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr int kGreen = 0x00FF00;
constexpr int kRed = 0xFF0000;
constexpr int kYellow = 0xFFFF00;

constexpr int kLeftColumn = 70;
constexpr int kRightColumn = 100;

// Yards per second to miles per hour, as the panel has always used it.
constexpr double kYardsPerSecondToMph = 2.0454545;

constexpr std::string_view kBlankReadout = "                         ";  // covers any read-out

// A label and a green "YES" or a red "NO ", ending the line.
void PrintCondition(int row, std::string_view label, bool holds) {
  SetTextPosition(row, kLeftColumn);
  PrintText(label, false);
  if (holds) {
    SetColors(kGreen, -1);
    PrintText("YES", true);
  } else {
    SetColors(kRed, -1);
    PrintText("NO ", true);
  }
  SetColors(kWhite, -1);
}

// Launchers 1 to 3 of section 1, then of section 2, then section 1 again.
void WrapLauncherSelection() {
  if (State.LauncherNumber < 1.0 || State.LauncherNumber > 3.0) {
    State.LauncherNumber = 1.0;
    State.SectionNumber += 1.0;
  }
  if (State.SectionNumber < 1.0 || State.SectionNumber > 2.0) State.SectionNumber = 1.0;
}

void PrintLauncherSelection() {
  SetTextPosition(33, kRightColumn);
  PrintText("Sel Sctn # ", false);
  BeginPicture("# ");
  PrintPictureNumber(State.SectionNumber, false, false);
  EndPicture();
  PrintText("Lnchr # ", false);
  BeginPicture("# ");
  PrintPictureNumber(State.LauncherNumber, true, true);
}

struct PhaseName {
  std::string_view Text;
  int Colour;
};

PhaseName NameOfPhase(int phase) {
  switch (phase) {
    case 0:
      return {"      Ready  ", State.AlertStatus >= 3.0 ? kGreen : kYellow};
    case 1:
      return {" SettleGyro  ", kGreen};
    case 2:
      return {"Away, Boost ", kGreen};
    case 3:
      return {"  Roll Stab ", kGreen};
    case 4:
      return {"       Dive ", kGreen};
    case 5:
      return {"1/2g Cruise ", kGreen};
    case 6:
      return {"      Burst ", kRed};
    default:
      return {"?????       ", kGreen};
  }
}

void PrintMissileStatus() {
  SetTextPosition(34, kRightColumn);
  PrintText("Msl Status ", false);
  const PhaseName name = NameOfPhase(State.MissilePhase);
  SetColors(name.Colour, -1);
  PrintText(name.Text, true);
  SetColors(kWhite, -1);
}

// One number through its picture, or blanks while it means nothing.
void PrintReadout(int row, std::string_view picture, double value, bool shown) {
  SetTextPosition(row, kRightColumn);
  if (!shown) {
    PrintText(kBlankReadout, true);
    return;
  }
  BeginPicture(picture);
  PrintPictureNumber(value, true, true);
}

}  // namespace

void DrawStatusPanel() {
  SetColors(kWhite, -1);
  SetTextPosition(31, kLeftColumn);
  PrintText("                  SYSTEM STATUS       ", true);
  SetTextPosition(32, kLeftColumn);
  PrintText(" -------------------------------------  ", true);

  PrintCondition(33, "Target Designated      ", State.TargetDesignated != 0);
  PrintCondition(34, "Target Tracked         ", State.TargetTracked != 0);
  PrintCondition(35, "Computer Settled       ", State.ComputerSettled != 0);
  PrintCondition(36, "Site Alert Status RED? ", State.AlertStatus == 3.0);
  PrintCondition(37, "Missile Selected       ", State.MissileSelected != 0);

  SetTextPosition(38, kLeftColumn);
  PrintText(" ---------------       ", false);
  // The designation alone does not make the battery ready.
  const bool ready = State.TargetTracked > 0 && State.ComputerSettled > 0 &&
                     State.AlertStatus == 3.0 && State.MissileSelected > 0;
  PrintCondition(39, "Ready to Fire ?        ", ready);
  SetTextPosition(40, kLeftColumn);
  PrintText(" -------------------------------------  ", false);

  // Caption of the target tracking radar scope below.
  SetTextPosition(43, 105);
  PrintText(" Target Tracking Radar Display       ", false);

  WrapLauncherSelection();
  PrintLauncherSelection();
  PrintMissileStatus();

  const bool settled = State.ComputerSettled != 0;
  PrintReadout(35, "Pred Intercept sec ### ", State.TimeToIntercept, settled);
  PrintReadout(36, "MSL Gyro Degrees  #### ", State.PipBearingDeg, settled);
  PrintReadout(37, "Flight Time       ####", State.MissileFlightTime, true);
  PrintReadout(38, "Tgt Gnd MPH       ####", State.TrackGroundSpeed * kYardsPerSecondToMph,
               State.TargetTracked != 0);
  const double missileSpeed =
      std::sqrt(State.MissileVX * State.MissileVX + State.MissileVY * State.MissileVY +
                State.MissileVZ * State.MissileVZ);
  PrintReadout(39, "Missile MPH       ####", missileSpeed * kYardsPerSecondToMph, true);
}

}  // namespace vorn
