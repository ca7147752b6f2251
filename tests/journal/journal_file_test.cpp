// The journal's bytes: what the writer puts down the reader gives back
// exactly, from a file or from memory; a journal cut anywhere reads up to its
// last whole block and says it was cut off; any byte of a journal closed
// whole that is changed or lost, and any block missing, repeated or out of
// place, is reported as damage with the block's number; foreign files and
// newer formats are refused with a reason.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/journal/journal_reader.h"
#include "platform/journal/journal_writer.h"
#include "journal/journal_bytes.h"

namespace vorn::journal {
namespace {

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

// A whole journal of the events, a block every `blockEvery` events.
Bytes Journal(const std::vector<Event>& events, std::size_t blockEvery) {
  MemoryBlocks memory;
  JournalWriter writer(memory);
  EXPECT_TRUE(writer.Start(TestHeader()));
  for (std::size_t i = 0; i < events.size(); ++i) {
    writer.Write(events[i]);
    if ((i + 1) % blockEvery == 0) writer.FlushBlock();
  }
  EXPECT_TRUE(writer.Finish());
  return ToBytes(memory.Bytes());
}

// The help pages' canvas is 32 bits a pixel; no other depth is a canvas.
TEST(JournalBytesTest, TakesTheCanvasDepthsThereAre) {
  for (const std::uint32_t depth : {16u, 24u, 32u}) {
    MemoryBlocks memory;
    JournalWriter writer(memory);
    ASSERT_TRUE(writer.Start(Header{kFormatVersion, "1", 800, 600, depth}));
    ASSERT_TRUE(writer.Finish());
    const Outcome read = ReadAll(ToBytes(memory.Bytes()));
    EXPECT_EQ(read.Opened, depth != 24) << depth << ": " << read.Error;
    EXPECT_EQ(read.Header.BitsPerPixel, depth != 24 ? depth : 0u);
  }
}

TEST(JournalBytesTest, GivesBackEveryEventExactlyFromAFileAndFromMemory) {
  const std::vector<Event> events = SampleEvents();
  const Bytes bytes = Journal(events, 5);
  ScratchFolder folder;
  const std::string path = folder.Write("whole.vornj", bytes);
  for (const bool fromFile : {false, true}) {
    JournalReader reader;
    ASSERT_TRUE(fromFile ? reader.Open(path) : reader.OpenBytes(bytes)) << reader.Error();
    EXPECT_EQ(reader.JournalHeader().FormatVersion, 2u);
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
}

// A journal in memory can be saved at any moment as a whole journal that
// ends with the saved mark, and the recording goes on unchanged.
TEST(JournalBytesTest, AJournalInMemorySavedWhileRecordingIsWholeAndGoesOn) {
  const std::vector<Event> events = SampleEvents();
  MemoryBlocks memory;
  JournalWriter writer(memory);
  ASSERT_TRUE(writer.Start(TestHeader()));
  std::vector<Bytes> saved;
  for (std::size_t i = 0; i < events.size(); ++i) {
    writer.Write(events[i]);
    if (i % 7 == 6) writer.FlushBlock();
    if (i % 5 == 0) saved.push_back(ToBytes(memory.Bytes() + writer.SavedClosing()));
  }
  ASSERT_TRUE(writer.Finish());
  EXPECT_EQ(ToBytes(memory.Bytes()), Journal(events, 7)) << "blocks split the same way";
  for (std::size_t s = 0; s < saved.size(); ++s) {
    const Outcome read = ReadAll(saved[s]);
    EXPECT_EQ(read.Result, JournalReader::Result::Saved) << "saved " << s << ": " << read.Error;
    ASSERT_EQ(read.Events.size(), s * 5 + 1);
    for (std::size_t i = 0; i < read.Events.size(); ++i) ExpectSame(read.Events[i], events[i], i);
  }
  EXPECT_EQ(ReadAll(ToBytes(memory.Bytes())).Result, JournalReader::Result::End);
}

TEST(JournalBytesTest, CutAnywhereReadsTheWholeBlocksBeforeTheCut) {
  const std::vector<Event> events = SampleEvents();
  const Bytes bytes = Journal(events, 4);
  std::size_t headerEnd = 0;
  for (std::size_t size = 1; size < bytes.size(); ++size) {
    const Outcome read = ReadAll({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)});
    if (!read.Opened) {
      EXPECT_EQ(headerEnd, 0u) << "a longer prefix opened, a shorter one did not: " << size;
      EXPECT_NE(read.Error.find("is cut off inside its header"), std::string::npos) << read.Error;
      continue;
    }
    if (headerEnd == 0) headerEnd = size;
    ASSERT_EQ(read.Result, JournalReader::Result::CutOff) << "cut at " << size << ": " << read.Error;
    EXPECT_TRUE(read.Events.size() % 4 == 0 || read.Events.size() == events.size())
        << "whole blocks only, cut at " << size;
    for (std::size_t i = 0; i < read.Events.size(); ++i) ExpectSame(read.Events[i], events[i], i);
    EXPECT_NE(read.Error.find("cut off after event " + std::to_string(read.Events.size())),
              std::string::npos)
        << read.Error;
  }
  EXPECT_GT(headerEnd, 8u);
  EXPECT_EQ(ReadAll({}).Error, "the journal is empty, not a vorn journal");
}

// Every single changed bit and every byte left out is damage, in the header
// or in a block, and never a cut or a journal that reads whole. Leaving out
// the last byte is the same as cutting it.
TEST(JournalBytesTest, EveryChangedBitAndEveryLostByteIsDamage) {
  const Bytes bytes = Journal(SampleEvents(), 6);
  const auto expectDamage = [](const Bytes& damaged, const std::string& what) {
    const Outcome read = ReadAll(damaged);
    if (!read.Opened) {
      EXPECT_NE(read.Error.find("has a damaged header"), std::string::npos)
          << what << ": " << read.Error;
      return;
    }
    EXPECT_EQ(read.Result, JournalReader::Result::Damaged) << what << ": " << read.Error;
    EXPECT_NE(read.Error.find("the journal is damaged in block "), std::string::npos)
        << what << ": " << read.Error;
  };
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      Bytes damaged = bytes;
      damaged[at] ^= static_cast<std::uint8_t>(1 << bit);
      expectDamage(damaged, "byte " + std::to_string(at) + " bit " + std::to_string(bit));
    }
    Bytes shorter = bytes;
    shorter.erase(shorter.begin() + static_cast<std::ptrdiff_t>(at));
    if (at + 1 < bytes.size())
      expectDamage(shorter, "byte " + std::to_string(at) + " left out");
    else
      EXPECT_EQ(ReadAll(shorter).Result, JournalReader::Result::CutOff);
  }
}

TEST(JournalBytesTest, ABlockMissingRepeatedOrOutOfPlaceIsDamageAtItsNumber) {
  const Bytes bytes = Journal(SampleEvents(), 5);
  const std::vector<BlockSpan> blocks = Blocks(bytes);
  ASSERT_GE(blocks.size(), 5u);
  const std::size_t n = blocks.size();
  // The blocks in order from `from` to before `to`.
  const auto run = [](std::size_t from, std::size_t to) {
    std::vector<std::size_t> order;
    for (std::size_t b = from; b < to; ++b) order.push_back(b);
    return order;
  };
  const auto join = [](std::vector<std::size_t> a, const std::vector<std::size_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  struct Case {
    const char* name;
    std::vector<std::size_t> order;  // indices into blocks
    std::uint64_t damagedIn;
    const char* says;
  };
  const Case cases[] = {
      {"second missing", join({0}, run(2, n)), 2, "the block here is block 3 ("},
      {"second repeated", join({0, 1, 1}, run(2, n)), 3, "the block here is block 2 ("},
      {"second and third swapped", join({0, 2, 1}, run(3, n)), 2, "the block here is block 3 ("},
      {"the first missing", run(1, n), 1, "the block here is block 2 ("},
      {"the end block missing", run(0, n - 1), n, "it runs past the end of the journal"},
      {"the end block twice", join(run(0, n), {n - 1}), n, "data after the end mark"},
  };
  for (const Case& c : cases) {
    Bytes shuffled(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(blocks[0].From));
    for (const std::size_t b : c.order)
      shuffled.insert(shuffled.end(), bytes.begin() + static_cast<std::ptrdiff_t>(blocks[b].From),
                      bytes.begin() + static_cast<std::ptrdiff_t>(blocks[b].To));
    shuffled.insert(shuffled.end(), bytes.end() - 8, bytes.end());
    const Outcome read = ReadAll(shuffled);
    EXPECT_EQ(read.Result, JournalReader::Result::Damaged) << c.name << ": " << read.Error;
    EXPECT_NE(read.Error.find("damaged in block " + std::to_string(c.damagedIn) + " "),
              std::string::npos)
        << c.name << ": " << read.Error;
    EXPECT_NE(read.Error.find(c.says), std::string::npos) << c.name << ": " << read.Error;
  }
}

TEST(JournalBytesTest, ForeignFilesAndNewerFormatsAreRefusedWithTheReason) {
  const Bytes bytes = Journal(SampleEvents(), 100);
  // Format 3 with its header's checksum made anew, and the same with the
  // checksum left: a damaged version byte is not taken for a newer format.
  Bytes newer = WithVersion(bytes, kFormatVersion + 1);
  Bytes damagedVersion = bytes;
  damagedVersion[8] = kFormatVersion + 1;
  const std::string png = "\x89PNG\r\n\x1a\n....";
  // A version that would clear the terminal and set its title when printed.
  const Bytes escapes = ToBytes(JournalEncoder::EncodeHeader(
      Header{kFormatVersion, "1.0\x1b[2J\x1b]0;x\x07", 1280, 1024, 16}));
  struct Case {
    const char* name;
    Bytes bytes;
    const char* says;
  };
  const Case cases[] = {
      {"empty", {}, "x.vornj is empty, not a vorn journal"},
      {"picture", ToBytes(png), "x.vornj is not a vorn journal"},
      {"newer", newer, "x.vornj is in journal format 3, newer than this vorn reads (2)"},
      {"damaged version", damagedVersion, "x.vornj has a damaged header"},
      {"control characters in the program's version", escapes, "x.vornj has a damaged header"},
      {"a magic letter changed", WithByte(bytes, 3, 'X'), "x.vornj has a damaged header"},
      {"header only in part", {bytes.begin(), bytes.begin() + 12}, "cut off inside its header"},
      {"magic only in part", {bytes.begin(), bytes.begin() + 5}, "cut off inside its header"},
  };
  for (const Case& c : cases) {
    JournalReader reader;
    EXPECT_FALSE(reader.OpenBytes(c.bytes, "x.vornj")) << c.name;
    EXPECT_NE(reader.Error().find(c.says), std::string::npos) << c.name << ": " << reader.Error();
  }
  Bytes trailing = bytes;
  trailing.push_back(0);
  const Outcome read = ReadAll(trailing);
  EXPECT_EQ(read.Result, JournalReader::Result::Damaged);
  EXPECT_NE(read.Error.find("data after the end mark"), std::string::npos) << read.Error;

  ScratchFolder folder;
  JournalReader missing;
  EXPECT_FALSE(missing.Open(folder.Path("missing.vornj")));
  EXPECT_NE(missing.Error().find("No such file or directory"), std::string::npos)
      << missing.Error();
}

// A journal of format 1 (blocks without numbers, nothing after the end mark)
// still reads: a reading, a frame, a wait with a click, a reading and a wait
// with q.
TEST(JournalBytesTest, ReadsFormatOne) {
  const Bytes v1 = FromHex(
      "564F524E4A524E4C0105302E312E30800A800810DE3A788B2A01808080808080A08F81010378563412021100D804"
      "A0061202D804A00601C697DDC998080210E201000052DBD20601008DEF02D2");
  const Outcome read = ReadAll(v1);
  EXPECT_EQ(read.Header.FormatVersion, 1u);
  EXPECT_EQ(read.Result, JournalReader::Result::End) << read.Error;
  ASSERT_EQ(read.Events.size(), 8u);
  EXPECT_EQ(read.Events[0].Kind, Event::Type::Clock);
  EXPECT_EQ(read.Events[1].FrameDigest, 0x12345678u);
  EXPECT_EQ(read.Events.back().Input, (InputEvent{InputEvent::Kind::Key, 'q', 0, 0}));
  Bytes trailing = v1;
  trailing.push_back('V');
  EXPECT_EQ(ReadAll(trailing).Result, JournalReader::Result::Damaged);
  EXPECT_EQ(ReadAll({v1.begin(), v1.end() - 1}).Result, JournalReader::Result::CutOff);
}

}  // namespace
}  // namespace vorn::journal
