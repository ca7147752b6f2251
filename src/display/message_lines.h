#pragma once
// The message lines under the IFF panel: short red warnings that blank
// themselves a few seconds after they were placed.

#include <string_view>

namespace vorn {

// Fifteen blanks: a message line with nothing to say.
inline constexpr std::string_view kBlankMessageLine = "               ";

// Each sets the red colour and the cursor to its line, and starts the time
// after which the lines may be blanked.
void PlaceMessageLine1();
void PlaceMessageLine2();
// Places and prints both message lines (red, each ending its line), then sets
// the standing white again.
void PostMessageLines(std::string_view line1, std::string_view line2);
// Blanks the lines once their time is up.
void ExpireMessageLines();

}  // namespace vorn
