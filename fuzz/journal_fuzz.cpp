// Fuzzes the journal reader with any bytes, in either format, and a replay of
// whatever it reads: it must never read out of bounds, allocate without bound
// or hang, and it must end in exactly one of its outcomes. A journal the
// reader takes whole is written again by the writer (in the newest format)
// and must read back to the same events and the same mark.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/journal/journal_reader.h"
#include "platform/journal/journal_writer.h"
#include "platform/journal/replaying_host.h"

namespace {

using namespace vorn::journal;

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "journal_fuzz: property failed: %s\n", what);
  std::abort();
}

// Reads every event; the result the reader ended with.
JournalReader::Result ReadAll(std::span<const std::uint8_t> bytes, Header& header,
                              std::vector<Event>& events) {
  JournalReader reader;
  if (!reader.OpenBytes(bytes)) {
    Check(!reader.Error().empty(), "a refused journal says why");
    return JournalReader::Result::Damaged;
  }
  header = reader.JournalHeader();
  Event e;
  for (;;) {
    const JournalReader::Result result = reader.Next(e);
    if (result == JournalReader::Result::Event) {
      events.push_back(e);
      continue;
    }
    Check(reader.Next(e) == result, "the reader stays at its end");
    Check(result == JournalReader::Result::End || result == JournalReader::Result::Saved ||
              !reader.Error().empty(),
          "a journal read short says why");
    return result;
  }
}

// Takes the replayed input.
class Follower : public vorn::InputSink {
 public:
  void Hand(const vorn::InputEvent&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  Header header;
  std::vector<Event> events;
  const JournalReader::Result ending = ReadAll(bytes, header, events);
  const bool whole =
      ending == JournalReader::Result::End || ending == JournalReader::Result::Saved;

  // A replay that follows the journal for a while and then parts from it.
  {
    JournalReader reader;
    if (reader.OpenBytes(bytes)) {
      ReplayingHost replay(reader, nullptr);
      Follower console;
      const std::uint16_t pixel = 0;
      const vorn::Region changed{0, 0, 1, 1};
      vorn::Frame frame;
      frame.Width = 1;
      frame.Height = 1;
      frame.Pixels = &pixel;
      frame.Changed = {&changed, 1};
      std::size_t step = 0;
      while (!replay.Finished() && step < 100000) {
        switch (step++ % 3) {
          case 0:
            replay.Clock();
            break;
          case 1:
            replay.Show(frame);
            break;
          default:
            replay.Wait(0.01, console);
        }
      }
      replay.ConsoleEnded();
      Check(replay.Outcome() != ReplayingHost::State::Playing, "a replay ends");
    }
  }

  if (!whole) return 0;
  // Written again, the events read back the same.
  MemoryBlocks memory;
  JournalWriter writer(memory);
  Check(writer.Start(header), "the header is written again");
  for (std::size_t i = 0; i < events.size(); ++i) {
    writer.Write(events[i]);
    if (i % 5 == 4) writer.FlushBlock();
  }
  std::string again;
  if (ending == JournalReader::Result::Saved) {
    again = memory.Bytes() + writer.SavedClosing();
  } else {
    Check(writer.Finish(), "the journal is written again");
    again = memory.Bytes();
  }
  Header header2;
  std::vector<Event> events2;
  Check(ReadAll({reinterpret_cast<const std::uint8_t*>(again.data()), again.size()}, header2,
                events2) == ending,
        "the journal written again is whole, with the same mark");
  Check(events2.size() == events.size(), "as many events");
  for (std::size_t i = 0; i < events.size(); ++i) {
    Check(events2[i].Kind == events[i].Kind && events2[i].FrameDigest == events[i].FrameDigest &&
              events2[i].Input == events[i].Input &&
              std::bit_cast<std::uint64_t>(events2[i].Seconds) ==
                  std::bit_cast<std::uint64_t>(events[i].Seconds),
          "the same events");
  }
  return 0;
}
