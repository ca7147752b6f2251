#pragma once
// The two help pages shown in the 800 x 600 mode.

#include <array>
#include <span>
#include <string_view>

namespace vorn {

// Which page comes next, or back to the console.
enum class HelpStep { Page1, Page2, Console };

// The pages' rows from the top, each printed on its own row.
extern const std::array<std::string_view, 29> kHelpPage1Lines;
extern const std::array<std::string_view, 34> kHelpPage2Lines;

// Each shows its page, waits for a key and says where to go: ">" leads to
// page 2, "<" from page 2 back to page 1, any other key to the console.
HelpStep ShowHelpPage1();
HelpStep ShowHelpPage2();
// Shows the pages from page 1 until the operator leaves them.
void RunHelpPages();

}  // namespace vorn
