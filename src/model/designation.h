#pragma once
// The operator's hands: designating an aircraft on the PPI scope, the IFF
// challenge buttons, and the FIRE and Manual Burst buttons.

namespace vorn {

// A panel's copy of the mouse state from its last run.
struct PanelMouse {
  int X = 0;
  int Y = 0;
  int Buttons = 0;
};

struct DesignationState {
  int TargetDesignated = 0;  // slot the tracking radar follows; 0 none
  int TargetTracked = 0;     // slot engaged by the computer and the burst; 0 none
  int IffMode1 = 0;
  int IffMode2 = 0;
  int FireCommand = 0;
  int BurstCommand = 0;
  PanelMouse IffPanelMouse;
  PanelMouse FirePanelMouse;
};

void DesignateTarget();
void UpdateIffPanel();
void UpdateFirePanel();

}  // namespace vorn
