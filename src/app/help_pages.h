#pragma once
// The two help pages shown in the 800 x 600 mode.

#include "app/scheduler.h"

namespace vorn {

// Which page comes next, or back to the console.
enum class HelpStep { Page1, Page2, Console };

HelpStep ShowHelpPage1();
HelpStep ShowHelpPage2();
// Shows the pages from page 1 until the operator leaves them.
void RunHelpPages();

}  // namespace vorn
