#include "display/host.h"

#include "display/headless_host.h"

namespace vorn {

namespace {

// Until a host is installed, one with a still clock stands in.
HeadlessHost standInHost(0.0);
Host* activeHost = nullptr;

}  // namespace

Host& ActiveHost() {
  return activeHost != nullptr ? *activeHost : standInHost;
}

void SetActiveHost(Host* host) {
  activeHost = host;
}

}  // namespace vorn
