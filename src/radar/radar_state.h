#pragma once
// The radar scopes' slice of the console record, over the model's.

#include "model/model_state.h"
#include "radar/ppi_scope.h"
#include "radar/tracking_scopes.h"

namespace vorn {

struct RadarState : ModelState, PpiState, TrackingScopeState {};

// The record as the radar scopes see it.
extern RadarState& Radar;

}  // namespace vorn
