#pragma once
// The console's whole state in one process-wide record. Each part of the
// console declares its own state beside its code; each layer gathers its
// parts over the layer below (display, model, radar, boards), and the record
// adds the main loop and the site controls on top. Every routine reads the
// same names (State.TargetX, State.TtrRange, ...), and a fresh record is a
// fresh console.

#include "app/scheduler.h"
#include "app/site_controls.h"
#include "boards/boards_state.h"

namespace vorn {

struct ConsoleState : BoardsState, SchedulerState, SiteControlState {};

extern ConsoleState State;

// Starts the whole console afresh: program start as far as the state goes.
void ResetConsoleState();

}  // namespace vorn
