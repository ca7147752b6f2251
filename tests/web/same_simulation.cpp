// The console on the headless host, with a scripted clock and input, for
// comparing builds: the crew is put in Auto at the start, and the canvas
// hash is printed after 60 and after 180 simulated seconds (by then the
// crew has fought an engagement to the burst). Built with g++ and with em++ (run
// under node), the two must print the same lines: the browser shows the
// same simulation as the desktop.

#include <cinttypes>
#include <cstddef>
#include <cstdio>

#include "app/console.h"
#include "display/canvas.h"
#include "platform/headless/headless_host.h"

namespace {

constexpr double kCheckpoints[] = {60.0, 180.0};
constexpr std::size_t kCheckpointCount = sizeof kCheckpoints / sizeof kCheckpoints[0];

class CheckpointHost final : public vorn::HeadlessHost {
 public:
  CheckpointHost() : start_(Time()) {
    // The mode menu's Auto, held for a few ticks.
    ScheduleMouse(start_ + 0.5, 820, 5, vorn::kButtonLeft);
    ScheduleMouse(start_ + 0.8, 820, 5, 0);
  }

  void Show(const vorn::Frame& frame) override {
    HeadlessHost::Show(frame);
    if (next_ < kCheckpointCount && Time() - start_ >= kCheckpoints[next_]) {
      std::printf("%.0f s %016" PRIx64 "\n", kCheckpoints[next_], vorn::CanvasHash());
      ++next_;
    }
  }

  bool Finished() override { return next_ == kCheckpointCount; }

 private:
  double start_;
  std::size_t next_ = 0;
};

}  // namespace

int main() {
  CheckpointHost host;
  vorn::RunConsole(host);
  return 0;
}
