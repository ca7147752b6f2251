#pragma once
// Turns a run's events into the journal's bytes, in the newest format: the
// header, then numbered blocks, then the closing. It keeps no file: whoever
// holds it decides where the bytes go (a file on the desktop, memory in a
// browser tab) and when a block is due.

#include <cstdint>
#include <string>

#include "platform/journal/journal_format.h"

namespace vorn::journal {

class JournalEncoder {
 public:
  // The header's bytes, written in this encoder's format whatever the
  // header's FormatVersion says.
  static std::string EncodeHeader(const Header& header);

  void Clock(double seconds);
  void Wait();
  void Shown(std::uint32_t frameDigest);
  void Input(const InputEvent& event);
  // Any event the reader gives; the two marks are the closing's.
  void Write(const Event& event);

  // The bytes of the events not yet taken into a block.
  std::size_t PendingBytes() const { return pending_.size(); }
  // Appends the events not yet taken to `out` as the next block; appends
  // nothing when there are none.
  void TakeBlock(std::string& out);
  // The bytes that close the journal after the blocks taken so far: the
  // events not yet taken and `mark` (Event::Type::End when the console
  // ended, Saved when it runs on) as the last block, then the closing bytes.
  // Changes nothing, so a live recording can be saved as it stands and go on.
  std::string Closing(Event::Type mark) const;

  std::uint64_t Events() const { return events_; }
  std::uint64_t Blocks() const { return nextBlock_ - 1; }

 private:
  static void PutBlock(std::string& out, std::uint64_t number, const std::string& events);

  std::string pending_;
  std::uint64_t previousBits_ = 0;
  std::uint64_t nextBlock_ = 1;
  std::uint64_t events_ = 0;
};

}  // namespace vorn::journal
