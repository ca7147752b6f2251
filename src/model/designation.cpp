#include "model/designation.h"

#include <cmath>
#include <string_view>

#include "app/console_state.h"
#include "app/site_controls.h"
#include "display/canvas.h"
#include "model/missile.h"

namespace vorn {

namespace {

// The PPI scope: centre pixel and scale.
constexpr int kPpiCentreX = 265;
constexpr int kPpiCentreY = 770;
constexpr double kYardsPerPixel = 1500.0;
// A click picks an aircraft within this azimuth (10 degrees, in radians) and
// this range of the clicked point.
constexpr double kClickAzWindow = 0.174532925199433;
constexpr double kClickRangeWindow = 10000.0;
// The tracking radar cannot take an aircraft this far away, in yards.
constexpr double kTtrRangeLimit = 199000.0;

constexpr int kLampLit = 0xFFFF00;  // IFF buttons
constexpr int kLampDark = 0x808000;
constexpr int kButtonLit = 0xFF0000;  // FIRE and Manual Burst
constexpr int kButtonDark = 0x800000;
constexpr int kButtonRefused = 0xFFFF00;

struct ButtonBox {
  int X1, Y1, X2, Y2;
};
constexpr ButtonBox kIffMode1Box = {600, 700, 640, 740};
constexpr ButtonBox kIffMode2Box = {650, 700, 690, 740};
constexpr ButtonBox kFireBox = {600, 900, 640, 940};
constexpr ButtonBox kBurstBox = {650, 900, 690, 940};

// A button reacts only while the pointer is strictly inside its box.
bool PointerInside(const ButtonBox& box) {
  return box.X1 < State.MouseX && State.MouseX < box.X2 && box.Y1 < State.MouseY &&
         State.MouseY < box.Y2;
}

// A button held with the left button alone is on; any other state over it
// turns it off. Away from the button it keeps its state.
void ReadButton(const ButtonBox& box, int& command) {
  if (PointerInside(box)) command = State.MouseButtons == 1 ? 1 : 0;
}

void DrawButton(const ButtonBox& box, int colour) {
  DrawLine(static_cast<float>(box.X1), static_cast<float>(box.Y1), static_cast<float>(box.X2),
           static_cast<float>(box.Y2), colour, LineKind::FilledBox);
}

bool MouseUnchangedSince(const PanelMouse& saved) {
  return State.MouseX == saved.X && State.MouseY == saved.Y && State.MouseButtons == saved.Buttons;
}

void SaveMouse(PanelMouse& saved) {
  saved.X = State.MouseX;
  saved.Y = State.MouseY;
  saved.Buttons = State.MouseButtons;
}

}  // namespace

void DesignateTarget() {
  if (State.MouseButtons == 0 || State.MissilePhase != kPhaseReady) return;
  if (State.MouseX < 65 || State.MouseX > 465 || State.MouseY < 570 || State.MouseY > 970) return;

  const int dx = State.MouseX - kPpiCentreX;
  const int dy = State.MouseY - kPpiCentreY;
  const double rho = std::sqrt(static_cast<double>(dx * dx + dy * dy));
  const double clickRange = kYardsPerPixel * rho;
  const double clickAz = std::atan2(static_cast<double>(-dy), static_cast<double>(dx));

  // Every click in the scope drops the present engagement first.
  State.TargetDesignated = 0;
  State.TargetTracked = 0;
  State.ComputerSettled = 0;

  // The window is tested on the azimuth and range the target motion derived
  // on the previous tick; azimuths are compared without wrapping at +-pi.
  for (std::size_t i = 1; i < kTargetSlots; ++i) {
    const bool underClick = std::abs(State.TargetAz[i] - clickAz) < kClickAzWindow &&
                            std::abs(clickRange - State.TargetSlantRange[i]) < kClickRangeWindow;
    if (!underClick) continue;
    const double x = State.TargetX[i], y = State.TargetY[i], alt = State.TargetAlt[i];
    if (std::sqrt(x * x + y * y + alt * alt) < kTtrRangeLimit) {
      State.TargetDesignated = static_cast<int>(i);
      State.TargetTracked = static_cast<int>(i);
      PostMessageLines(kBlankMessageLine, kBlankMessageLine);
    } else {
      PostMessageLines("Out of         ", "TTR Range      ");
    }
  }
}

void UpdateIffPanel() {
  if (MouseUnchangedSince(State.IffPanelMouse)) return;
  SetTextPosition(43, 75);
  PrintText("IFF Challenge", true);
  SaveMouse(State.IffPanelMouse);
  SetTextPosition(48, 76);
  PrintText("Mode1  Mode2", true);

  ReadButton(kIffMode1Box, State.IffMode1);
  ReadButton(kIffMode2Box, State.IffMode2);
  DrawButton(kIffMode1Box, State.IffMode1 == 1 ? kLampLit : kLampDark);
  DrawButton(kIffMode2Box, State.IffMode2 == 1 ? kLampLit : kLampDark);
}

void UpdateFirePanel() {
  if (MouseUnchangedSince(State.FirePanelMouse)) return;
  SaveMouse(State.FirePanelMouse);
  SetTextPosition(60, 77);
  PrintText("FIRE  Manual", true);
  SetTextPosition(61, 77);
  PrintText("      Burst ", true);

  // FIRE needs an engaged aircraft and RED alert; nothing else. A command
  // held while a missile flies takes effect when the next one is ready.
  ReadButton(kFireBox, State.FireCommand);
  int fireColour = State.FireCommand != 0 ? kButtonLit : kButtonDark;
  if (State.FireCommand == 1 && (State.TargetTracked == 0 || State.AlertStatus != 3.0)) {
    State.FireCommand = 0;
    fireColour = kButtonRefused;
  }

  // Manual Burst abandons a flight from roll stabilisation on, and is
  // refused on the launcher, in gyro settling and in boost.
  ReadButton(kBurstBox, State.BurstCommand);
  int burstColour = State.BurstCommand != 0 ? kButtonLit : kButtonDark;
  if (State.BurstCommand == 1) {
    if (State.MissilePhase < kPhaseRollStab) {
      State.BurstCommand = 0;
      burstColour = kButtonRefused;
    } else {
      State.MissilePhase = kPhaseReady;
    }
  }

  DrawButton(kFireBox, fireColour);
  DrawButton(kBurstBox, burstColour);
}

}  // namespace vorn
