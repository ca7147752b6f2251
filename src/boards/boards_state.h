#pragma once
// The plotting boards' and panels' slice of the console record, over the
// radar scopes'.

#include "boards/plotting_boards.h"
#include "boards/steering_indicator.h"
#include "radar/radar_state.h"

namespace vorn {

struct BoardsState : RadarState, BoardState, SteeringState {};

// The record as the boards and panels see them.
extern BoardsState& Boards;

}  // namespace vorn
