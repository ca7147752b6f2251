#include "model/site.h"

#include "model/model_state.h"

namespace vorn {

void SelectMissile() {
  Model.MissileSelected = Model.AlertStatus >= 2.0 ? 1 : 0;
}

}  // namespace vorn
