#include "app/help_pages.h"

#include "app/console_state.h"

namespace vorn {

HelpStep ShowHelpPage1() { return HelpStep::Console; }

HelpStep ShowHelpPage2() { return HelpStep::Console; }

void RunHelpPages() {
  HelpStep step = HelpStep::Page1;
  while (step != HelpStep::Console)
    step = step == HelpStep::Page1 ? ShowHelpPage1() : ShowHelpPage2();
}

}  // namespace vorn
