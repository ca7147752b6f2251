#pragma once
// Reads a journal event by event, from a file or from bytes in memory,
// checking each block's CRC, its number and every field as it goes. Reads
// format 2 and the older format 1. A journal whose last block runs past the
// end of the file (a recording cut off by a crash) reads as far as its last
// whole block and then says it was cut off; a journal that was closed whole
// and has lost or changed a byte since says it is damaged, and where.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "platform/journal/journal_format.h"

namespace vorn::journal {

class JournalReader {
 public:
  JournalReader() = default;
  JournalReader(const JournalReader&) = delete;
  JournalReader& operator=(const JournalReader&) = delete;
  ~JournalReader();

  // Opens the journal and reads its header. False, with Error() set, when the
  // file cannot be read, is not a journal, is of a newer format or has a
  // damaged or incomplete header.
  bool Open(const std::string& path);
  // The same over bytes the caller keeps alive.
  bool OpenBytes(std::span<const std::uint8_t> bytes, const std::string& name = "the journal");

  const Header& JournalHeader() const { return header_; }

  enum class Result {
    Event,    // the next event is in the argument
    End,      // the end mark: the console ended here; the journal is whole
    Saved,    // the saved mark: the journal was saved while the console ran on; it is whole
    CutOff,   // the file ends early, after whole events: Error() says after which
    Damaged,  // or unreadable: Error() says where and how
  };
  Result Next(Event& event);

  const std::string& Error() const { return error_; }
  // The number of events read so far: the last one returned is this one.
  std::uint64_t EventNumber() const { return eventNumber_; }

 private:
  enum class Read { Ok, RanOut, Bad };
  bool Start();
  std::size_t ReadBytes(std::size_t n);
  Read ReadVarint(std::uint64_t& value);
  Result LoadBlock();
  Result RanOutInBlock();
  Result Closing(Result mark);
  Result CutOff(const std::string& where);
  Result Damage(const std::string& what);
  bool Unreadable();
  bool ParseVarint(std::uint64_t& value);
  bool ParseSigned(int& value);

  std::string name_;
  std::FILE* file_ = nullptr;
  std::span<const std::uint8_t> memory_;
  std::size_t memoryAt_ = 0;
  std::uint64_t offset_ = 0;  // bytes read from the journal so far

  Header header_;
  // The bytes read of the block being loaded, as they stand in the file.
  std::vector<std::uint8_t> raw_;
  std::vector<std::uint8_t> block_;  // its events
  std::size_t at_ = 0;               // the next byte to parse in block_
  std::uint64_t blockNumber_ = 0;
  std::uint64_t blockOffset_ = 0;
  std::uint64_t previousBits_ = 0;
  std::uint64_t eventNumber_ = 0;
  bool ended_ = false;
  Result final_ = Result::End;
  std::string error_;
};

}  // namespace vorn::journal
