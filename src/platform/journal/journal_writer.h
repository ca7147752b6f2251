#pragma once
// Writes a journal as a recording goes: events are encoded as they come and
// handed on as whole blocks at least every half second of wall time, so a
// recording cut off by a crash keeps all but its last moments. Where the
// blocks go is the sink's business: a file (JournalFile) on the desktop, or
// memory.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/journal/journal_encoder.h"

namespace vorn::journal {

// Where a journal's bytes go: the header, then whole blocks, then the
// closing, in order.
class BlockSink {
 public:
  // False when the bytes could not be kept; the sink says why itself.
  virtual bool Put(std::string_view bytes) = 0;

 protected:
  ~BlockSink() = default;
};

// A journal kept in memory. Its bytes at any moment are a journal cut off
// after its last whole block; with JournalWriter::SavedClosing() after them
// they are a whole journal, saved while the console ran.
class MemoryBlocks final : public BlockSink {
 public:
  bool Put(std::string_view bytes) override {
    bytes_.append(bytes);
    return true;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Seconds on the machine's monotonic clock.
double SteadySeconds();

class JournalWriter {
 public:
  // When blocks fall due is judged by `wall` (tests give a clock of their
  // own), never by the console's clock, which the writer only records.
  using WallClock = double (*)();
  explicit JournalWriter(BlockSink& sink, WallClock wall = SteadySeconds)
      : sink_(sink), wall_(wall) {}
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Hands the header to the sink. False when the sink failed.
  bool Start(const Header& header);

  void Clock(double seconds) { encoder_.Clock(seconds); }
  void Wait() { encoder_.Wait(); }
  void Shown(std::uint32_t frameDigest) { encoder_.Shown(frameDigest); }
  void Input(const InputEvent& event) { encoder_.Input(event); }
  void Write(const Event& event) { encoder_.Write(event); }

  // Hands the events so far on as a block if half a second has passed since
  // the last block or they have grown large.
  void FlushIfDue();
  // Hands the events so far on as a block now.
  void FlushBlock();
  // Hands on the events so far and the end mark as the last block, then the
  // closing bytes. False when the sink failed, now or before.
  bool Finish();
  // What closes the journal as it stands now, with the mark that it was
  // saved while the console ran; the recording goes on unchanged.
  std::string SavedClosing() const { return encoder_.Closing(Event::Type::Saved); }

  bool Failed() const { return failed_; }
  std::uint64_t BytesWritten() const { return bytesWritten_; }
  std::uint64_t Events() const { return encoder_.Events(); }

 private:
  bool Put(const std::string& bytes);

  BlockSink& sink_;
  WallClock wall_;
  JournalEncoder encoder_;
  std::string block_;  // reused for each block
  double lastBlock_ = 0.0;
  std::uint64_t bytesWritten_ = 0;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace vorn::journal
