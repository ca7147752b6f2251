#pragma once
// Helpers for the journal's tests: journals as bytes, read whole, taken
// apart into blocks and damaged on purpose, and scratch folders whose
// listing and contents can be compared before and after.

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/journal/journal_reader.h"

namespace vorn::journal {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text);
Bytes FromHex(const std::string& hex);
Bytes WithByte(Bytes bytes, std::size_t at, std::uint8_t value);
// The journal with its header's format version changed and the header's
// checksum made anew (a header of one-byte version and sizes).
Bytes WithVersion(const Bytes& bytes, std::uint32_t version);

// What a reader makes of a journal read to its end.
struct Outcome {
  bool Opened = false;
  journal::Header Header;
  std::vector<Event> Events;
  JournalReader::Result Result = JournalReader::Result::Damaged;
  std::string Error;
};
Outcome ReadAll(std::span<const std::uint8_t> bytes);
Outcome ReadFile(const std::string& path);

// Where each block of a format-2 journal lies: [From, To).
struct BlockSpan {
  std::size_t From;
  std::size_t To;
};
std::vector<BlockSpan> Blocks(const Bytes& journal);

// A folder of its own under the system's temporary folder, removed with
// everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  std::string Write(const std::string& name, const Bytes& bytes) const;
  // Every entry below the folder: its kind, size and contents.
  std::map<std::string, std::string> Listing() const;

 private:
  std::filesystem::path folder_;
};

}  // namespace vorn::journal
