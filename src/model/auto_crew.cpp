#include "model/auto_crew.h"

#include "app/console_state.h"

namespace vorn {

void RunAutoCrew() {}

}  // namespace vorn
