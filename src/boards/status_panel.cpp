#include "boards/status_panel.h"

#include <cmath>
#include <string_view>

#include "boards/boards_state.h"
#include "display/canvas.h"
#include "display/picture.h"
#include "model/missile.h"

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
  if (Boards.LauncherNumber < 1.0 || Boards.LauncherNumber > 3.0) {
    Boards.LauncherNumber = 1.0;
    Boards.SectionNumber += 1.0;
  }
  if (Boards.SectionNumber < 1.0 || Boards.SectionNumber > 2.0) Boards.SectionNumber = 1.0;
}

void PrintLauncherSelection() {
  SetTextPosition(33, kRightColumn);
  PrintText("Sel Sctn # ", false);
  BeginPicture("# ");
  PrintPictureNumber(Boards.SectionNumber, false, false);
  EndPicture();
  PrintText("Lnchr # ", false);
  BeginPicture("# ");
  PrintPictureNumber(Boards.LauncherNumber, true, true);
}

struct PhaseName {
  std::string_view Text;
  int Colour;
};

PhaseName NameOfPhase(FlightPhase phase) {
  switch (phase) {
    case FlightPhase::Ready:
      return {"      Ready  ", Boards.AlertStatus >= 3.0 ? kGreen : kYellow};
    case FlightPhase::SettleGyro:
      return {" SettleGyro  ", kGreen};
    case FlightPhase::Boost:
      return {"Away, Boost ", kGreen};
    case FlightPhase::RollStab:
      return {"  Roll Stab ", kGreen};
    case FlightPhase::Dive:
      return {"       Dive ", kGreen};
    case FlightPhase::Cruise:
      return {"1/2g Cruise ", kGreen};
    case FlightPhase::Burst:
      return {"      Burst ", kRed};
  }
  return {"?????       ", kGreen};
}

void PrintMissileStatus() {
  SetTextPosition(34, kRightColumn);
  PrintText("Msl Status ", false);
  const PhaseName name = NameOfPhase(Boards.MissilePhase);
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

  PrintCondition(33, "Target Designated      ", Boards.TargetDesignated != 0);
  PrintCondition(34, "Target Tracked         ", Boards.TargetTracked != 0);
  PrintCondition(35, "Computer Settled       ", Boards.ComputerSettled != 0);
  PrintCondition(36, "Site Alert Status RED? ", Boards.AlertStatus == 3.0);
  PrintCondition(37, "Missile Selected       ", Boards.MissileSelected != 0);

  SetTextPosition(38, kLeftColumn);
  PrintText(" ---------------       ", false);
  // The designation alone does not make the battery ready.
  const bool ready = Boards.TargetTracked > 0 && Boards.ComputerSettled > 0 &&
                     Boards.AlertStatus == 3.0 && Boards.MissileSelected > 0;
  PrintCondition(39, "Ready to Fire ?        ", ready);
  SetTextPosition(40, kLeftColumn);
  PrintText(" -------------------------------------  ", false);

  // Caption of the target tracking radar scope below.
  SetTextPosition(43, 105);
  PrintText(" Target Tracking Radar Display       ", false);

  WrapLauncherSelection();
  PrintLauncherSelection();
  PrintMissileStatus();

  const bool settled = Boards.ComputerSettled != 0;
  PrintReadout(35, "Pred Intercept sec ### ", Boards.TimeToIntercept, settled);
  PrintReadout(36, "MSL Gyro Degrees  #### ", Boards.PipBearingDeg, settled);
  PrintReadout(37, "Flight Time       ####", Boards.MissileFlightTime, true);
  PrintReadout(38, "Tgt Gnd MPH       ####", Boards.TrackGroundSpeed * kYardsPerSecondToMph,
               Boards.TargetTracked != 0);
  const double missileSpeed =
      std::sqrt(Boards.MissileVX * Boards.MissileVX + Boards.MissileVY * Boards.MissileVY +
                Boards.MissileVZ * Boards.MissileVZ);
  PrintReadout(39, "Missile MPH       ####", missileSpeed * kYardsPerSecondToMph, true);
}

}  // namespace vorn
