#pragma once
// The engagement model's slice of the console record: the site settings,
// the aircraft, the fire-control computer, the missile, the operator's
// controls and the auto crew, over the display layer's slice.

#include "display/display_state.h"
#include "model/auto_crew.h"
#include "model/designation.h"
#include "model/fire_control.h"
#include "model/missile.h"
#include "model/site.h"
#include "model/targets.h"

namespace vorn {

struct ModelState : DisplayState,
                    SiteState,
                    TargetState,
                    FireControlState,
                    MissileState,
                    DesignationState,
                    AutoCrewState {};

// The record as the model sees it.
extern ModelState& Model;

}  // namespace vorn
