#pragma once
// Writes a journal. The file is written under a temporary name (the name
// with ".part" added) and renamed to its own name only when closed whole, so
// no half-written journal ever stands under the name asked for. Complete
// events go out in blocks at least every half second of wall time, so a
// recording cut off by a crash keeps all but its last moments.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/journal/journal_format.h"

namespace vorn::journal {

class JournalWriter {
 public:
  JournalWriter() = default;
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;
  ~JournalWriter();  // abandons a journal not closed

  // Creates the temporary file and writes the header. False, with Error()
  // set, when the file cannot be made.
  bool Open(const std::string& path, const Header& header);
  // Writes to an open stream instead (tests: a stream that fails). The
  // journal is not renamed on Close.
  bool OpenStream(std::FILE* stream, const Header& header);

  void Clock(double seconds);
  void Wait();
  void Shown(std::uint32_t frameDigest);
  void Input(const InputEvent& event);
  // Any of the above, as the reader gives it (the end mark is Close's).
  void Write(const Event& event);
  // Writes out the events so far if half a second has passed since the last
  // block or the block has grown large.
  void FlushIfDue();
  // Writes out the events so far now.
  void FlushBlock();

  // Writes the end mark, flushes, syncs and renames the file to its name.
  // False, with Error() set and the temporary file removed, on any failure.
  bool Close();
  // Removes the temporary file.
  void Abandon();

  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }
  std::uint64_t BytesWritten() const { return bytesWritten_; }
  std::uint64_t Events() const { return events_; }

 private:
  bool Start(const Header& header);
  bool WriteBytes(const std::string& bytes);
  void Fail(const std::string& what);

  std::FILE* file_ = nullptr;
  bool ownsFile_ = false;
  std::string path_;
  std::string tempPath_;
  std::string block_;
  std::uint64_t previousBits_ = 0;
  std::chrono::steady_clock::time_point lastBlock_;
  std::uint64_t bytesWritten_ = 0;
  std::uint64_t events_ = 0;
  bool failed_ = false;
  std::string error_;
};

}  // namespace vorn::journal
