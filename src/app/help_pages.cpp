#include "app/help_pages.h"

#include "app/console_state.h"
#include "display/canvas.h"
#include "display/services.h"

namespace vorn {

// The pages' texts, one entry per row, kept one row per source line; blanks
// at either end are part of the text.
// clang-format off
const std::array<std::string_view, 29> kHelpPage1Lines = {
    "   '>' next page;   other keys return to Vorn Simulation",
    " ",
    " Page 1",
    "  Dear Friends and you others too  ;-))",
    "",
    "  This Vorn Site Simulation is much simplified for many reasons.  Very limited moniter area,",
    "  very limited input switches, knobs, hand wheels, etc. If nothing else, the real system",
    "  had three more radar desplays and 5.5 more radar operators, mostly to fight jamming and",
    "  other electronic counter measures.  The Battery Control Officer was about 1/2 radar operator.",
    "",
    "  You, the Battery control Officer, count as 1/2 operator  ;-))   The missile launching area,",
    "  which is vital also, with at least 10 people pushing missiles about and operating",
    "  various controls and elevators, is represented in this simulation simply as 'Missile Ready'.",
    "     - but who said life is fair?",
    "",
    "  Also, also cooks, maintenance folks (like me), generator operators, ... are not listed.",
    "",
    "  The round radar scope, Plan Position Indicator (PPI) has a range of 200,000 yards, ",
    "  about 115 miles, a little over the range of the Target and Missile Tracking Radars.  ",
    "  The real PPI scope had had switch settings out to 350,000 hards - which makes the simulation ",
    "  more complicated and take too long for most people. ",
    "",
    "  Items: IFF, no warhead choice (only chemical), few aircraft (no need for nukes)",
    "",
    "  Rather accurate simulation of: rather accurate simulations:",
    "    a) Acquisition radar picture (PPI): including  sweep, noise, slow phosphor, range ring, burst",
    "    b) TTR: & MTR: range gate, noise, target, speeds, angles, maybe bumpy tracking, burst",
    "    c) Computer: time to intercept, Predicted Intercept Point (PIP)",
    "    d) Missile: path, boost, 7 g dive, steering 1/2 g glide, speed, burst ",
};

const std::array<std::string_view, 34> kHelpPage2Lines = {
    "  '>' next page; '<' previous page; other keys return to Vorn Simulation",
    " ",
    " Page 2",
    "",
    "  General Rules",
    "",
    "   a) You must have designated a target in the round PPI scope with your mouse",
    "        to do much of anything in Vorn and this simulation. ",
    "",
    "    b) The yellow 'Predicted Intercept Point' plotting pen should not be ",
    "       inside the 'DEAD ZONE', the curved area in the right hand 'HEIGHT' plotting board.",
    "       The missile cannot reliably hit a target in this 'DEAD ZONE' ",
    "  ",
    "    c) To 'FIRE', you must be:",
    "       1) in RED alert status - top middle of screen",
    "       2) tracking a target ",
    "       3) computer must be settled, and less than 150 seconds ",
    "",
    "  Hints ",
    "    a) To help identify friendly aircraft, (with IFF transponders) there are IFF keys",
    "       - no aircraft in this simulation respond to 'MODE 2' ",
    "",
    "    b) In 'AUTO' mode, an alert crew shoots at enemy targets (no IFF response),",
    "       with the soonest legal PREDICTED INTERCEPT TIME, outside of the DEAD ZONE,",
    "",
    "    c) You can select target evasion of 0.2 and 1.0 g's (times the force of gravity.   ",
    "       The type of evasion is weaving about a flight path with a period of 14 seconds.",
    "   ",
    "  Cheats ",
    "     a) I do a 13 G dive, to speed the simulation ",
    "",
    "  Comments:",
    "      a) A person expects the top of the dive to be smoother.",
    "           The current  display seems quite valid.",
};
// clang-format on

namespace {

// Opens the 800 x 600 screen and prints the page in white, one line per row.
void PrintHelpPage(std::span<const std::string_view> lines) {
  OpenScreen(kHelpMode, 32);
  for (const std::string_view line : lines) PrintText(line, true);
}

// Waits for the next key and leaves it, lower-cased, in KeyPressed. The host
// keeps the window answering while it sleeps.
// A host with nothing more to give ends the wait with no key, which leads
// back to the console, where the program ends.
void WaitForHelpKey() {
  do {
    ShowCanvas();
    SleepMs(10);
    State.KeyPressed = LowerCaseKey(ReadKey());
  } while (State.KeyPressed.empty() && !HostFinished());
}

}  // namespace

HelpStep ShowHelpPage1() {
  PrintHelpPage(kHelpPage1Lines);
  WaitForHelpKey();
  return State.KeyPressed == ">" ? HelpStep::Page2 : HelpStep::Console;
}

HelpStep ShowHelpPage2() {
  PrintHelpPage(kHelpPage2Lines);
  WaitForHelpKey();
  if (State.KeyPressed == ">") return HelpStep::Page2;
  if (State.KeyPressed == "<") return HelpStep::Page1;
  return HelpStep::Console;
}

void RunHelpPages() {
  HelpStep step = HelpStep::Page1;
  while (step != HelpStep::Console)
    step = step == HelpStep::Page1 ? ShowHelpPage1() : ShowHelpPage2();
}

}  // namespace vorn
