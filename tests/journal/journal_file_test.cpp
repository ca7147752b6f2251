// The journal's file: what the writer puts down the reader gives back
// exactly; a file cut off anywhere reads up to its last whole block; damage,
// foreign files and newer formats are refused with a reason.

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "platform/journal/journal_reader.h"
#include "platform/journal/journal_writer.h"

namespace vorn::journal {
namespace {

namespace fs = std::filesystem;

Header TestHeader() {
  return Header{kFormatVersion, "9.8.7", 1280, 1024, 16};
}

std::vector<Event> SampleEvents() {
  std::vector<Event> events;
  const auto add = [&](Event::Type type) {
    events.push_back(Event{});
    events.back().Kind = type;
    return &events.back();
  };
  // Readings a real clock gives, then the awkward ones: back in time, zero,
  // negative, far apart, the smallest step.
  const double readings[] = {
      12345.678901234, 12345.69, 12345.7001, 12345.65, 0.0, -3.5, 1e15, std::nextafter(1e15, 2e15),
      1e-300};
  for (const double r : readings) {
    add(Event::Type::Clock)->Seconds = r;
    add(Event::Type::Shown)->FrameDigest = static_cast<std::uint32_t>(r * 7.0) ^ 0xDEADBEEFu;
    add(Event::Type::Wait);
  }
  const InputEvent inputs[] = {
      {InputEvent::Kind::Key, 'q', 0, 0},
      {InputEvent::Kind::Key, kKeyF1 + 9, 0, 0},
      {InputEvent::Kind::Pointer, 0, 1279, 1023},
      {InputEvent::Kind::ButtonDown, kButtonLeft, -5, 70000},
      {InputEvent::Kind::ButtonUp, kButtonRight, std::numeric_limits<int>::min(),
       std::numeric_limits<int>::max()},
      {InputEvent::Kind::Wheel, -1, 3, 4},
      {InputEvent::Kind::Focus, 0, 0, 0},
      {InputEvent::Kind::CloseRequest, 0, 0, 0},
  };
  for (const InputEvent& input : inputs) add(Event::Type::Input)->Input = input;
  return events;
}

void Write(JournalWriter& writer, const std::vector<Event>& events) {
  for (const Event& e : events) writer.Write(e);
}

void ExpectSame(const Event& got, const Event& want, std::size_t i) {
  ASSERT_EQ(got.Kind, want.Kind) << "event " << i;
  if (want.Kind == Event::Type::Clock) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(got.Seconds), std::bit_cast<std::uint64_t>(want.Seconds))
        << "event " << i << ": " << got.Seconds << " for " << want.Seconds;
  } else if (want.Kind == Event::Type::Shown) {
    EXPECT_EQ(got.FrameDigest, want.FrameDigest) << i;
  } else if (want.Kind == Event::Type::Input) {
    EXPECT_EQ(got.Input, want.Input) << "event " << i;
  }
}

class JournalFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vorn-journal-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const char* name) const { return (dir_ / name).string(); }

  // A whole journal of the sample events, as bytes; blocks split where the
  // caller flushes.
  std::vector<std::uint8_t> Bytes(const std::vector<Event>& events, std::size_t blockEvery) {
    const std::string path = Path("whole.vornj");
    JournalWriter writer;
    EXPECT_TRUE(writer.Open(path, TestHeader())) << writer.Error();
    for (std::size_t i = 0; i < events.size(); i += blockEvery) {
      Write(writer, {events.begin() + static_cast<std::ptrdiff_t>(i),
                     events.begin() +
                         static_cast<std::ptrdiff_t>(std::min(events.size(), i + blockEvery))});
      FlushNow(writer);
    }
    EXPECT_TRUE(writer.Close()) << writer.Error();
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  // The writer flushes on its own every half second; tests force blocks by
  // reopening nothing: a long enough block of padding waits is not wanted,
  // so reach the time limit instead.
  static void FlushNow(JournalWriter& writer) { writer.FlushBlock(); }

  fs::path dir_;
};

TEST_F(JournalFileTest, GivesBackEveryEventExactlyAndEndsAtTheEndMark) {
  const std::vector<Event> events = SampleEvents();
  const std::vector<std::uint8_t> bytes = Bytes(events, 5);
  JournalReader reader;
  ASSERT_TRUE(reader.OpenBytes(bytes)) << reader.Error();
  EXPECT_EQ(reader.JournalHeader().ProgramVersion, "9.8.7");
  EXPECT_EQ(reader.JournalHeader().Width, 1280u);
  EXPECT_EQ(reader.JournalHeader().Height, 1024u);
  EXPECT_EQ(reader.JournalHeader().BitsPerPixel, 16u);
  Event e;
  for (std::size_t i = 0; i < events.size(); ++i) {
    ASSERT_EQ(reader.Next(e), JournalReader::Result::Event) << reader.Error();
    ExpectSame(e, events[i], i);
  }
  EXPECT_EQ(reader.Next(e), JournalReader::Result::End);
  EXPECT_EQ(reader.Next(e), JournalReader::Result::End);
  EXPECT_EQ(reader.EventNumber(), events.size() + 1);
}

TEST_F(JournalFileTest, StandsUnderItsNameOnlyOnceClosed) {
  const std::string path = Path("session.vornj");
  {
    JournalWriter writer;
    ASSERT_TRUE(writer.Open(path, TestHeader()));
    writer.Clock(1.0);
    FlushNow(writer);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(path + ".part"));
    ASSERT_TRUE(writer.Close());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path + ".part"));
  }
  {
    // Abandoned (the program fails before closing it): nothing is left, and
    // the journal already under the name stays as it was.
    const auto before = fs::file_size(path);
    JournalWriter writer;
    ASSERT_TRUE(writer.Open(path, TestHeader()));
    writer.Clock(2.0);
    writer.Abandon();
    EXPECT_FALSE(fs::exists(path + ".part"));
    EXPECT_EQ(fs::file_size(path), before);
  }
  JournalWriter writer;
  EXPECT_FALSE(writer.Open(Path("no/such/folder/x.vornj"), TestHeader()));
  EXPECT_NE(writer.Error().find("cannot create"), std::string::npos) << writer.Error();
}

TEST_F(JournalFileTest, AFullDiskFailsTheRecordingWithTheReason) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
  JournalWriter writer;
  // The header may sit in the stream's buffer until the first flush.
  writer.OpenStream(full, TestHeader());
  writer.Clock(1.0);
  FlushNow(writer);
  EXPECT_TRUE(writer.Failed());
  EXPECT_FALSE(writer.Close());
  EXPECT_NE(writer.Error().find("No space left on device"), std::string::npos) << writer.Error();
  std::fclose(full);
}

TEST_F(JournalFileTest, CutOffAnywhereReadsTheWholeBlocksBeforeTheCut) {
  const std::vector<Event> events = SampleEvents();
  const std::vector<std::uint8_t> bytes = Bytes(events, 4);
  // Where each block ends, found from a reader of the whole journal.
  std::size_t headerEnd = 0;
  for (std::size_t size = 0; size <= bytes.size(); ++size) {
    const std::span<const std::uint8_t> part(bytes.data(), size);
    JournalReader reader;
    if (!reader.OpenBytes(part)) {
      EXPECT_EQ(headerEnd, 0u) << "a longer prefix opened, a shorter one did not: " << size;
      EXPECT_FALSE(reader.Error().empty());
      continue;
    }
    if (headerEnd == 0) headerEnd = size;
    Event e;
    std::size_t read = 0;
    JournalReader::Result result;
    while ((result = reader.Next(e)) == JournalReader::Result::Event) {
      ExpectSame(e, events[read], read);
      ++read;
    }
    if (size == bytes.size()) {
      EXPECT_EQ(result, JournalReader::Result::End);
      EXPECT_EQ(read, events.size());
    } else {
      ASSERT_EQ(result, JournalReader::Result::CutOff)
          << "cut at " << size << ": " << reader.Error();
      EXPECT_TRUE(read % 4 == 0 || read == events.size()) << "whole blocks only, cut at " << size;
      EXPECT_NE(reader.Error().find("cut off after event " + std::to_string(read)),
                std::string::npos)
          << reader.Error();
    }
  }
  EXPECT_GT(headerEnd, 8u);
}

TEST_F(JournalFileTest, DamageIsFoundAndSaysWhere) {
  const std::vector<Event> events = SampleEvents();
  const std::vector<std::uint8_t> bytes = Bytes(events, 6);
  JournalReader whole;
  ASSERT_TRUE(whole.OpenBytes(bytes));
  // Every single changed bit past the header is caught: by the CRC, a
  // length out of bounds, or as a cut (a longer block length).
  std::size_t headerBytes = 8 + 1 + 1 + 5 + 2 + 2 + 1 + 4;
  for (std::size_t at = headerBytes; at < bytes.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<std::uint8_t> damaged = bytes;
      damaged[at] ^= static_cast<std::uint8_t>(1 << bit);
      JournalReader reader;
      ASSERT_TRUE(reader.OpenBytes(damaged));
      Event e;
      JournalReader::Result result;
      while ((result = reader.Next(e)) == JournalReader::Result::Event) {
      }
      EXPECT_NE(result, JournalReader::Result::End) << "byte " << at << " bit " << bit;
      if (result == JournalReader::Result::Damaged) {
        EXPECT_NE(reader.Error().find("damaged in block"), std::string::npos) << reader.Error();
      }
    }
  }
  // A changed bit in the header is caught as well.
  for (std::size_t at = 8; at < headerBytes; ++at) {
    std::vector<std::uint8_t> damaged = bytes;
    damaged[at] ^= 0x10;
    JournalReader reader;
    EXPECT_FALSE(reader.OpenBytes(damaged)) << "byte " << at;
  }
}

TEST_F(JournalFileTest, ForeignFilesAndNewerFormatsAreRefusedWithTheReason) {
  std::vector<std::uint8_t> bytes = Bytes(SampleEvents(), 100);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* says;
  };
  std::vector<std::uint8_t> newer = bytes;
  newer[8] = kFormatVersion + 1;  // before the header's checksum is looked at
  std::vector<std::uint8_t> trailing = bytes;
  trailing.push_back(0);
  const std::string png = "\x89PNG\r\n\x1a\n....";
  const Case cases[] = {
      {"empty", {}, "is not a vorn journal"},
      {"picture", {png.begin(), png.end()}, "is not a vorn journal"},
      {"newer", newer, "is in journal format 2, newer than this vorn reads (1)"},
      {"header only in part", {bytes.begin(), bytes.begin() + 12}, "cut off inside its header"},
  };
  for (const Case& c : cases) {
    JournalReader reader;
    EXPECT_FALSE(reader.OpenBytes(c.bytes, "x.vornj")) << c.name;
    EXPECT_EQ(reader.Error().find("x.vornj"), 0u) << c.name << ": " << reader.Error();
    EXPECT_NE(reader.Error().find(c.says), std::string::npos) << c.name << ": " << reader.Error();
  }
  JournalReader reader;
  ASSERT_TRUE(reader.OpenBytes(trailing));
  Event e;
  while (reader.Next(e) == JournalReader::Result::Event) {
  }
  EXPECT_EQ(reader.Next(e), JournalReader::Result::Damaged);
  EXPECT_NE(reader.Error().find("data after the end mark"), std::string::npos) << reader.Error();

  JournalReader missing;
  EXPECT_FALSE(missing.Open(Path("missing.vornj")));
  EXPECT_NE(missing.Error().find("No such file or directory"), std::string::npos)
      << missing.Error();
}

}  // namespace
}  // namespace vorn::journal
