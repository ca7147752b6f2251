#include "model/fire_control.h"

#include "app/console_state.h"
#include "model/missile.h"

namespace vorn {

namespace {

// The computer proper, while the missile is ready on its launcher.
void SolveIntercept() {}

}  // namespace

void UpdateFireControl() {
  if (State.TargetTracked == 0) {
    State.ComputerSettled = 0;
    // The flight clock keeps running through boost and roll stabilisation,
    // which need it to reach their ends.
    if (State.MissilePhase != kPhaseBoost && State.MissilePhase != kPhaseRollStab)
      State.MissileFlightTime = 0.0;
  }
  if (State.MissilePhase == kPhaseReady)
    SolveIntercept();
  else
    UpdateFlightPhase();
}

}  // namespace vorn
