// The end signals: after one, every wait hands the console a q, and lasts
// as long as asked up to a short cap, never nothing (a loop that has not
// ended yet must not spin); the handlers found before are given back.

#include "platform/signals/end_signals.h"

#include <gtest/gtest.h>

#include <csignal>

#include "platform/headless/headless_host.h"

namespace vorn {
namespace {

class QCount : public InputSink {
 public:
  void Hand(const InputEvent& event) override {
    if (event == InputEvent{InputEvent::Kind::Key, 'q', 0, 0}) ++count;
  }
  int count = 0;
};

class EndSignalsTest : public ::testing::Test {
 protected:
  void TearDown() override { ReleaseEndSignals(); }
};

TEST_F(EndSignalsTest, AfterASignalWaitsAreCutShortButNotToNothing) {
  struct Case {
    const char* what;
    bool signalled;
    bool until;  // WaitUntil the clock plus `asked`, else Wait(asked)
    double asked;
    double waited;
  };
  const Case cases[] = {
      {"a wait, no signal", false, false, 0.5, 0.5},
      {"a wait until, no signal", false, true, 0.5, 0.5},
      {"a short wait", true, false, 0.005, 0.005},
      {"a long wait", true, false, 5.0, kSignalledWait},
      {"a wait of nothing", true, false, 0.0, 0.0},
      {"a wait until a near time", true, true, 0.005, 0.005},
      {"a wait until a far time", true, true, 5.0, kSignalledWait},
      {"a wait until a time past", true, true, -1.0, 0.0},
  };
  for (const Case& c : cases) {
    CatchEndSignals();
    if (c.signalled) std::raise(SIGTERM);
    ASSERT_EQ(EndSignalled(), c.signalled) << c.what;
    HeadlessHost host(0.0);
    EndOnSignalHost ending(host);
    QCount keys;
    const double start = host.Time();
    if (c.until)
      ending.WaitUntil(start + c.asked, keys);
    else
      ending.Wait(c.asked, keys);
    EXPECT_NEAR(host.Time() - start, c.waited, 1e-9) << c.what;
    EXPECT_EQ(keys.count, c.signalled ? 1 : 0) << c.what;
  }
}

TEST_F(EndSignalsTest, TheHandlersFoundAreGivenBack) {
  struct sigaction ignore = {}, before = {}, after = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ASSERT_EQ(sigaction(SIGHUP, &ignore, &before), 0);
  // Twice, as a second run in the same process does: the first handlers
  // found are the ones given back, not the end handlers themselves.
  CatchEndSignals();
  CatchEndSignals();
  sigaction(SIGHUP, nullptr, &after);
  EXPECT_NE(after.sa_handler, SIG_IGN);
  ReleaseEndSignals();
  sigaction(SIGHUP, nullptr, &after);
  EXPECT_EQ(after.sa_handler, SIG_IGN);
  sigaction(SIGHUP, &before, nullptr);
}

}  // namespace
}  // namespace vorn
