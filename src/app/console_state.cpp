#include "app/console_state.h"

namespace vorn {

ConsoleState State;

// Each layer's view of the one record.
constinit DisplayState& Display = State;
constinit ModelState& Model = State;
constinit RadarState& Radar = State;
constinit BoardsState& Boards = State;

void ResetConsoleState() {
  State = ConsoleState{};
}

}  // namespace vorn
