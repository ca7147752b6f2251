#include "model/targets.h"

#include "app/console_state.h"

namespace vorn {

void MoveTargets() {}

void ReplaceDistantTargets() {}

}  // namespace vorn
