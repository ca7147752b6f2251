#include "radar/ppi_scope.h"

#include "app/console_state.h"

namespace vorn {

void StepPpiSweep() {}

void DrawPpiMarkings() {}

}  // namespace vorn
