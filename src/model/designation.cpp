#include "model/designation.h"

#include "app/console_state.h"

namespace vorn {

void DesignateTarget() {}

void UpdateIffPanel() {}

void UpdateFirePanel() {}

}  // namespace vorn
