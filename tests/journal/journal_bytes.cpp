#include "journal/journal_bytes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace vorn::journal {

namespace fs = std::filesystem;

Bytes ToBytes(const std::string& text) {
  return {text.begin(), text.end()};
}

Bytes FromHex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

Bytes WithByte(Bytes bytes, std::size_t at, std::uint8_t value) {
  bytes.at(at) = value;
  return bytes;
}

Bytes WithVersion(const Bytes& bytes, std::uint32_t version) {
  Bytes out = bytes;
  out.at(8) = static_cast<std::uint8_t>(version);
  // Magic, version, the program version's length and text, three sides of
  // up to two bytes each, then the checksum.
  std::size_t at = 9;
  at += 1 + out.at(9);
  for (int side = 0; side < 3; ++side)
    while (out.at(at++) & 0x80) {
    }
  const std::uint32_t crc = Crc32({out.data() + 8, at - 8});
  for (int i = 0; i < 4; ++i) out.at(at + static_cast<std::size_t>(i)) = (crc >> (8 * i)) & 0xFF;
  return out;
}

namespace {

Outcome ReadWith(JournalReader& reader, bool opened) {
  Outcome outcome;
  outcome.Opened = opened;
  if (!opened) {
    outcome.Error = reader.Error();
    return outcome;
  }
  outcome.Header = reader.JournalHeader();
  Event e;
  while ((outcome.Result = reader.Next(e)) == JournalReader::Result::Event)
    outcome.Events.push_back(e);
  outcome.Error = reader.Error();
  return outcome;
}

}  // namespace

Outcome ReadAll(std::span<const std::uint8_t> bytes) {
  JournalReader reader;
  const bool opened = reader.OpenBytes(bytes);
  return ReadWith(reader, opened);
}

Outcome ReadFile(const std::string& path) {
  JournalReader reader;
  const bool opened = reader.Open(path);
  return ReadWith(reader, opened);
}

std::vector<BlockSpan> Blocks(const Bytes& journal) {
  std::size_t at = 9;
  at += 1 + journal.at(9);
  for (int side = 0; side < 3; ++side)
    while (journal.at(at++) & 0x80) {
    }
  at += 4;
  std::vector<BlockSpan> blocks;
  while (at + 8 < journal.size()) {
    const std::size_t from = at;
    std::uint64_t length = 0;
    for (int shift = 0;; shift += 7) {
      const std::uint8_t b = journal.at(at++);
      length |= static_cast<std::uint64_t>(b & 0x7F) << shift;
      if ((b & 0x80) == 0) break;
    }
    while (journal.at(at++) & 0x80) {
    }
    at += static_cast<std::size_t>(length) + 4;
    blocks.push_back({from, at});
  }
  return blocks;
}

ScratchFolder::ScratchFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = fs::temp_directory_path() / ("vorn-" + std::string(test->test_suite_name()) + "-" +
                                         test->name() + "-" + std::to_string(getpid()));
  fs::remove_all(folder_);
  fs::create_directories(folder_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string ScratchFolder::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = Path(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::map<std::string, std::string> ScratchFolder::Listing() const {
  std::map<std::string, std::string> listing;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder_)) {
    const std::string name = fs::relative(entry.path(), folder_).string();
    if (entry.is_symlink()) {
      listing[name] = "link to " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      listing[name] = "folder";
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      listing[name] = "file " + std::string(std::istreambuf_iterator<char>(in), {});
    }
  }
  return listing;
}

}  // namespace vorn::journal
