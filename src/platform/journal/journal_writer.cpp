#include "platform/journal/journal_writer.h"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

namespace vorn::journal {

namespace {

constexpr std::size_t kBlockBytes = 16 * 1024;
constexpr auto kBlockInterval = std::chrono::milliseconds(500);

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFu));
}

std::uint32_t CrcOf(const std::string& bytes, std::size_t from = 0) {
  return Crc32({reinterpret_cast<const std::uint8_t*>(bytes.data()) + from, bytes.size() - from});
}

}  // namespace

JournalWriter::~JournalWriter() {
  if (file_ != nullptr) Abandon();
}

bool JournalWriter::Open(const std::string& path, const Header& header) {
  path_ = path;
  tempPath_ = path + ".part";
  file_ = std::fopen(tempPath_.c_str(), "wb");
  if (file_ == nullptr) {
    Fail("cannot create " + tempPath_ + ": " + std::strerror(errno));
    return false;
  }
  ownsFile_ = true;
  return Start(header);
}

bool JournalWriter::OpenStream(std::FILE* stream, const Header& header) {
  file_ = stream;
  ownsFile_ = false;
  tempPath_ = "the journal";
  return Start(header);
}

bool JournalWriter::Start(const Header& header) {
  std::string bytes(kMagic, sizeof kMagic);
  PutVarint(bytes, header.FormatVersion);
  PutVarint(bytes, header.ProgramVersion.size());
  bytes += header.ProgramVersion;
  PutVarint(bytes, header.Width);
  PutVarint(bytes, header.Height);
  PutVarint(bytes, header.BitsPerPixel);
  PutU32(bytes, CrcOf(bytes, sizeof kMagic));
  lastBlock_ = std::chrono::steady_clock::now();
  if (!WriteBytes(bytes) || std::fflush(file_) != 0) {
    Fail("cannot write " + tempPath_ + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

void JournalWriter::Clock(double seconds) {
  const auto bits = std::bit_cast<std::uint64_t>(seconds);
  block_.push_back(static_cast<char>(kTagClock));
  PutVarint(block_, Zigzag(static_cast<std::int64_t>(bits - previousBits_)));
  previousBits_ = bits;
  ++events_;
}

void JournalWriter::Wait() {
  block_.push_back(static_cast<char>(kTagWait));
  ++events_;
}

void JournalWriter::Shown(std::uint32_t frameDigest) {
  block_.push_back(static_cast<char>(kTagShown));
  PutU32(block_, frameDigest);
  ++events_;
}

void JournalWriter::Input(const InputEvent& event) {
  block_.push_back(static_cast<char>(kTagInput + static_cast<int>(event.Type)));
  PutVarint(block_, Zigzag(event.Code));
  PutVarint(block_, Zigzag(event.X));
  PutVarint(block_, Zigzag(event.Y));
  ++events_;
}

void JournalWriter::Write(const Event& event) {
  switch (event.Kind) {
    case Event::Type::Clock:
      Clock(event.Seconds);
      break;
    case Event::Type::Wait:
      Wait();
      break;
    case Event::Type::Shown:
      Shown(event.FrameDigest);
      break;
    case Event::Type::Input:
      Input(event.Input);
      break;
    case Event::Type::End:
      break;
  }
}

void JournalWriter::FlushIfDue() {
  if (block_.empty() || failed_) return;
  if (block_.size() < kBlockBytes && std::chrono::steady_clock::now() - lastBlock_ < kBlockInterval)
    return;
  FlushBlock();
}

void JournalWriter::FlushBlock() {
  if (failed_ || file_ == nullptr || block_.empty()) return;
  std::string out;
  PutVarint(out, block_.size());
  out += block_;
  PutU32(out, CrcOf(block_));
  block_.clear();
  lastBlock_ = std::chrono::steady_clock::now();
  if (!WriteBytes(out) || std::fflush(file_) != 0)
    Fail("cannot write " + tempPath_ + ": " + std::strerror(errno));
}

bool JournalWriter::WriteBytes(const std::string& bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return false;
  bytesWritten_ += bytes.size();
  return true;
}

void JournalWriter::Fail(const std::string& what) {
  if (failed_) return;
  failed_ = true;
  error_ = what;
}

bool JournalWriter::Close() {
  if (file_ == nullptr) return !failed_;
  if (!failed_) {
    block_.push_back(static_cast<char>(kTagEnd));
    ++events_;
    FlushBlock();
  }
  if (!failed_ && ownsFile_ && fsync(fileno(file_)) != 0)
    Fail("cannot write " + tempPath_ + ": " + std::strerror(errno));
  if (ownsFile_ && std::fclose(file_) != 0)
    Fail("cannot write " + tempPath_ + ": " + std::strerror(errno));
  file_ = nullptr;
  if (!ownsFile_) return !failed_;
  if (!failed_ && std::rename(tempPath_.c_str(), path_.c_str()) != 0)
    Fail("cannot rename " + tempPath_ + " to " + path_ + ": " + std::strerror(errno));
  if (failed_) std::remove(tempPath_.c_str());
  return !failed_;
}

void JournalWriter::Abandon() {
  if (file_ != nullptr && ownsFile_) std::fclose(file_);
  file_ = nullptr;
  if (ownsFile_) std::remove(tempPath_.c_str());
}

}  // namespace vorn::journal
