#include "model/designation.h"

#include <cmath>
#include <string_view>

#include "display/angles.h"
#include "display/canvas.h"
#include "display/message_lines.h"
#include "model/missile.h"
#include "model/model_state.h"
#include "model/ppi_geometry.h"

namespace vorn {

namespace {

// A click picks an aircraft within this azimuth and this range of the
// clicked point.
constexpr double kClickAzWindow = kTenDegrees;
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
  return box.X1 < Model.MouseX && Model.MouseX < box.X2 && box.Y1 < Model.MouseY &&
         Model.MouseY < box.Y2;
}

// A button held with the left button alone is on; any other state over it
// turns it off. Away from the button it keeps its state.
void ReadButton(const ButtonBox& box, int& command) {
  if (PointerInside(box)) command = Model.MouseButtons == 1 ? 1 : 0;
}

void DrawButton(const ButtonBox& box, int colour) {
  DrawLine(static_cast<float>(box.X1), static_cast<float>(box.Y1), static_cast<float>(box.X2),
           static_cast<float>(box.Y2), colour, LineKind::FilledBox);
}

bool MouseUnchangedSince(const PanelMouse& saved) {
  return Model.MouseX == saved.X && Model.MouseY == saved.Y && Model.MouseButtons == saved.Buttons;
}

void SaveMouse(PanelMouse& saved) {
  saved.X = Model.MouseX;
  saved.Y = Model.MouseY;
  saved.Buttons = Model.MouseButtons;
}

}  // namespace

void DesignateTarget() {
  if (Model.MouseButtons == 0 || Model.MissilePhase != FlightPhase::Ready) return;
  if (Model.MouseX < kPpiLeft || Model.MouseX > kPpiRight || Model.MouseY < kPpiTop ||
      Model.MouseY > kPpiBottom)
    return;

  const int dx = Model.MouseX - kPpiCentreX;
  const int dy = Model.MouseY - kPpiCentreY;
  const double rho = std::sqrt(static_cast<double>(dx * dx + dy * dy));
  const double clickRange = kPpiYardsPerPixel * rho;
  const double clickAz = std::atan2(static_cast<double>(-dy), static_cast<double>(dx));

  // Every click in the scope drops the present engagement first.
  Model.TargetDesignated = 0;
  Model.TargetTracked = 0;
  Model.ComputerSettled = 0;

  // The window is tested on the azimuth and range the target motion derived
  // on the previous tick; azimuths are compared without wrapping at +-pi.
  for (std::size_t i = 1; i < kTargetSlots; ++i) {
    const bool underClick = std::abs(Model.TargetAz[i] - clickAz) < kClickAzWindow &&
                            std::abs(clickRange - Model.TargetSlantRange[i]) < kClickRangeWindow;
    if (!underClick) continue;
    const double x = Model.TargetX[i], y = Model.TargetY[i], alt = Model.TargetAlt[i];
    if (std::sqrt(x * x + y * y + alt * alt) < kTtrRangeLimit) {
      Model.TargetDesignated = static_cast<int>(i);
      Model.TargetTracked = static_cast<int>(i);
      PostMessageLines(kBlankMessageLine, kBlankMessageLine);
    } else {
      PostMessageLines("Out of         ", "TTR Range      ");
    }
  }
}

void UpdateIffPanel() {
  if (MouseUnchangedSince(Model.IffPanelMouse)) return;
  SetTextPosition(43, 75);
  PrintText("IFF Challenge", true);
  SaveMouse(Model.IffPanelMouse);
  SetTextPosition(48, 76);
  PrintText("Mode1  Mode2", true);

  ReadButton(kIffMode1Box, Model.IffMode1);
  ReadButton(kIffMode2Box, Model.IffMode2);
  DrawButton(kIffMode1Box, Model.IffMode1 == 1 ? kLampLit : kLampDark);
  DrawButton(kIffMode2Box, Model.IffMode2 == 1 ? kLampLit : kLampDark);
}

void UpdateFirePanel() {
  if (MouseUnchangedSince(Model.FirePanelMouse)) return;
  SaveMouse(Model.FirePanelMouse);
  SetTextPosition(60, 77);
  PrintText("FIRE  Manual", true);
  SetTextPosition(61, 77);
  PrintText("      Burst ", true);

  // FIRE needs an engaged aircraft and RED alert; nothing else. A command
  // held while a missile flies takes effect when the next one is ready.
  ReadButton(kFireBox, Model.FireCommand);
  int fireColour = Model.FireCommand != 0 ? kButtonLit : kButtonDark;
  if (Model.FireCommand == 1 && (Model.TargetTracked == 0 || Model.AlertStatus != 3.0)) {
    Model.FireCommand = 0;
    fireColour = kButtonRefused;
  }

  // Manual Burst abandons a flight from roll stabilisation on, and is
  // refused on the launcher, in gyro settling and in boost.
  ReadButton(kBurstBox, Model.BurstCommand);
  int burstColour = Model.BurstCommand != 0 ? kButtonLit : kButtonDark;
  if (Model.BurstCommand == 1) {
    if (Model.MissilePhase < FlightPhase::RollStab) {
      Model.BurstCommand = 0;
      burstColour = kButtonRefused;
    } else {
      // The flight is over: a burst entered from the cruise no longer
      // places the missile on the track.
      Model.MissilePhase = FlightPhase::Ready;
      Model.BurstSnapPending = 0.0;
    }
  }

  DrawButton(kFireBox, fireColour);
  DrawButton(kBurstBox, burstColour);
}

}  // namespace vorn
