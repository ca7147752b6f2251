#pragma once
// The console's whole state in one process-wide record. Each part of the
// console declares its own state beside its code; the record gathers them,
// so every routine reads the same names (State.TargetX, State.TtrRange, ...)
// and a fresh record is a fresh console.

#include "app/scheduler.h"
#include "app/site_controls.h"
#include "boards/plotting_boards.h"
#include "boards/steering_indicator.h"
#include "display/canvas.h"
#include "display/picture.h"
#include "display/services.h"
#include "model/auto_crew.h"
#include "model/designation.h"
#include "model/fire_control.h"
#include "model/missile.h"
#include "model/targets.h"
#include "radar/ppi_scope.h"
#include "radar/tracking_scopes.h"

namespace vorn {

struct ConsoleState : SchedulerState,
                      SiteState,
                      TargetState,
                      FireControlState,
                      MissileState,
                      DesignationState,
                      AutoCrewState,
                      PpiState,
                      TrackingScopeState,
                      BoardState,
                      SteeringState {
  // Display and input services.
  CanvasState Canvas;
  PictureState Picture;
  KeyRing Keys;
  MouseDevice Mouse;
  RandomGenerator Random;
};

extern ConsoleState State;

// Starts the whole console afresh: program start as far as the state goes.
void ResetConsoleState();

}  // namespace vorn
