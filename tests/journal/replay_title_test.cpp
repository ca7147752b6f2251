// The window's title during a replay: its position and length, to the
// second; the length read from the journal; a new title once a second of
// recorded time, not at every reading.

#include "platform/journal/replay_title.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/journal/journal_writer.h"

namespace vorn::journal {
namespace {

TEST(ReplayTitleTest, ShowsPositionLengthAndPace) {
  struct Case {
    double position;
    double length;
    double speed;
    const char* title;
  };
  const Case cases[] = {
      {0.0, 185.9, 1.0, "vorn: replay of d.vornj 0:00 / 3:05"},
      {83.999, 185.0, 1.0, "vorn: replay of d.vornj 1:23 / 3:05"},
      {1.0, 2.0, 1.0, "vorn: replay of d.vornj 0:01 / 0:02"},
      {59.5, 60.0, 4.0, "vorn: replay of d.vornj 0:59 / 1:00 at 4\u00d7"},
      {3.0, 3723.0, 0.25, "vorn: replay of d.vornj 0:03 / 1:02:03 at 0.25\u00d7"},
      {-0.5, 0.0, 1.5, "vorn: replay of d.vornj 0:00 / 0:00 at 1.5\u00d7"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplayTitle("d.vornj", c.position, c.length, c.speed), c.title) << c.position;
}

// Readings from a list, the way a replay gives them.
class Readings : public Host {
 public:
  explicit Readings(std::vector<double> readings) : readings_(std::move(readings)) {}
  double Clock() override { return readings_.at(next_++); }
  void Wait(double, InputSink&) override {}
  void WaitUntil(double, InputSink&) override {}
  void Show(const Frame&) override {}

 private:
  std::vector<double> readings_;
  std::size_t next_ = 0;
};

TEST(ReplayTitleTest, TitlesOncePerRecordedSecond) {
  // Counted from the first reading, which is not a whole second.
  Readings readings({500.25, 500.75, 501.249, 501.25, 501.45, 503.95, 504.25});
  std::vector<std::string> titles;
  TitledReplayHost host(readings, "d.vornj", 4.0, 1.0,
                        [&](const std::string& title) { titles.push_back(title); });
  for (int i = 0; i < 7; ++i) host.Clock();
  const std::vector<std::string> expected = {
      "vorn: replay of d.vornj 0:00 / 0:04", "vorn: replay of d.vornj 0:01 / 0:04",
      "vorn: replay of d.vornj 0:03 / 0:04", "vorn: replay of d.vornj 0:04 / 0:04"};
  EXPECT_EQ(titles, expected);
}

TEST(ReplayTitleTest, ReadsTheLengthToTheJournalsEnd) {
  MemoryBlocks blocks;
  JournalWriter writer(blocks);
  ASSERT_TRUE(writer.Start({kFormatVersion, "test", 1280, 1024, 16}));
  for (double t : {1000.0, 1000.5, 1001.0}) {
    writer.Clock(t);
    writer.Wait();
    writer.FlushBlock();  // readings in several blocks
  }
  writer.Input({InputEvent::Kind::Key, 'q', 0, 0});
  writer.Clock(1065.25);
  writer.Shown(7);
  ASSERT_TRUE(writer.Finish());
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("vorn-title-" + std::to_string(getpid()) + ".vornj");
  std::ofstream(path, std::ios::binary) << blocks.Bytes();
  EXPECT_DOUBLE_EQ(RecordedSeconds(path.string()), 65.25);
  std::filesystem::remove(path);
  EXPECT_EQ(RecordedSeconds(path.string()), 0.0);  // no such file
}

}  // namespace
}  // namespace vorn::journal
