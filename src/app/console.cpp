#include "app/console.h"

#include "app/help_pages.h"
#include "app/scheduler.h"
#include "display/services.h"

namespace vorn {

int RunConsole(Host& host) {
  AttachHost(&host);
  InitializeState();
  for (;;) {
    RestartConsole();
    if (RunScheduler() == Transfer::EndProgram) break;
    RunHelpPages();
  }
  AttachHost(nullptr);
  return 0;
}

}  // namespace vorn
