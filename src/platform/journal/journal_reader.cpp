#include "platform/journal/journal_reader.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace vorn::journal {

namespace {

std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Decodes a varint from bytes[at, end); false if it is incomplete or longer
// than 64 bits.
bool DecodeVarint(const std::uint8_t* bytes, std::size_t end, std::size_t& at,
                  std::uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= end) return false;
    const std::uint8_t b = bytes[at++];
    if (shift == 63 && b > 1) return false;
    value |= static_cast<std::uint64_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

// The fuzz build takes any checksum, so the fuzzer reaches the events.
bool ChecksumMatches(std::uint32_t stored, std::span<const std::uint8_t> bytes) {
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  (void)stored;
  (void)bytes;
  return true;
#else
  return stored == Crc32(bytes);
#endif
}

}  // namespace

JournalReader::~JournalReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool JournalReader::Open(const std::string& path) {
  name_ = path;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    error_ = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  return Start();
}

bool JournalReader::OpenBytes(std::span<const std::uint8_t> bytes, const std::string& name) {
  name_ = name;
  memory_ = bytes;
  return Start();
}

std::size_t JournalReader::ReadBytes(std::uint8_t* to, std::size_t n) {
  std::size_t got;
  if (file_ != nullptr) {
    got = std::fread(to, 1, n, file_);
  } else {
    got = std::min(n, memory_.size() - memoryAt_);
    if (got > 0) std::memcpy(to, memory_.data() + memoryAt_, got);
    memoryAt_ += got;
  }
  offset_ += got;
  return got;
}

bool JournalReader::ReadVarintFromStream(std::uint64_t& value, bool& atEnd,
                                         std::vector<std::uint8_t>* raw) {
  value = 0;
  atEnd = false;
  for (int shift = 0; shift < 64; shift += 7) {
    std::uint8_t b;
    if (ReadBytes(&b, 1) != 1) {
      atEnd = true;
      return false;
    }
    if (raw != nullptr) raw->push_back(b);
    if (shift == 63 && b > 1) return false;
    value |= static_cast<std::uint64_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

bool JournalReader::Start() {
  char magic[sizeof kMagic];
  const std::size_t got = ReadBytes(reinterpret_cast<std::uint8_t*>(magic), sizeof magic);
  if (file_ != nullptr && std::ferror(file_)) {
    error_ = "cannot read " + name_ + ": " + std::strerror(errno);
    return false;
  }
  if (got < sizeof magic || std::memcmp(magic, kMagic, sizeof magic) != 0) {
    error_ = name_ + " is not a vorn journal";
    return false;
  }
  // The bytes the header's CRC covers, kept as they are read.
  std::vector<std::uint8_t> raw;
  bool atEnd = false;
  const auto fail = [&] {
    error_ = name_ + (atEnd ? " is cut off inside its header" : " has a damaged header");
    return false;
  };
  // The format version first: a newer format may lay out the rest otherwise.
  std::uint64_t version = 0;
  if (!ReadVarintFromStream(version, atEnd, &raw)) return fail();
  if (version > kFormatVersion) {
    error_ = name_ + " is in journal format " + std::to_string(version) +
             ", newer than this vorn reads (" + std::to_string(kFormatVersion) +
             "): replay it with a newer vorn";
    return false;
  }
  std::uint64_t length = 0;
  if (version == 0 || !ReadVarintFromStream(length, atEnd, &raw) || length > kMaxVersionBytes)
    return fail();
  std::string programVersion(length, '\0');
  if (ReadBytes(reinterpret_cast<std::uint8_t*>(programVersion.data()), length) != length) {
    atEnd = true;
    return fail();
  }
  raw.insert(raw.end(), programVersion.begin(), programVersion.end());
  std::uint64_t sides[3];
  for (std::uint64_t& side : sides)
    if (!ReadVarintFromStream(side, atEnd, &raw)) return fail();
  std::uint8_t crc[4];
  if (ReadBytes(crc, 4) != 4) {
    atEnd = true;
    return fail();
  }
  if (!ChecksumMatches(GetU32(crc), raw) || sides[0] > kMaxCanvasSide ||
      sides[1] > kMaxCanvasSide || (sides[2] != 16 && sides[2] != 32))
    return fail();
  header_.FormatVersion = static_cast<std::uint32_t>(version);
  header_.ProgramVersion = std::move(programVersion);
  header_.Width = static_cast<std::uint32_t>(sides[0]);
  header_.Height = static_cast<std::uint32_t>(sides[1]);
  header_.BitsPerPixel = static_cast<std::uint32_t>(sides[2]);
  return true;
}

JournalReader::Result JournalReader::Damage(const std::string& what) {
  ended_ = true;
  final_ = Result::Damaged;
  error_ = name_ + " is damaged in block " + std::to_string(blockNumber_) + " (at byte " +
           std::to_string(blockOffset_) + "): " + what;
  return final_;
}

JournalReader::Result JournalReader::LoadBlock() {
  blockOffset_ = offset_;
  ++blockNumber_;
  std::uint64_t length = 0;
  bool atEnd = false;
  if (!ReadVarintFromStream(length, atEnd)) {
    if (!atEnd) return Damage("a block length that does not parse");
    ended_ = true;
    final_ = Result::CutOff;
    error_ = name_ + " is cut off after event " + std::to_string(eventNumber_) +
             " (its recording did not end cleanly)";
    return final_;
  }
  if (length == 0 || length > kMaxBlockBytes) return Damage("a block length out of bounds");
  block_.resize(length + 4);
  if (ReadBytes(block_.data(), block_.size()) != block_.size()) {
    ended_ = true;
    final_ = Result::CutOff;
    error_ = name_ + " is cut off after event " + std::to_string(eventNumber_) +
             " (its recording did not end cleanly)";
    return final_;
  }
  if (!ChecksumMatches(GetU32(block_.data() + length), {block_.data(), length}))
    return Damage("its checksum does not match");
  block_.resize(length);
  at_ = 0;
  return Result::Event;
}

bool JournalReader::ParseVarint(std::uint64_t& value) {
  return DecodeVarint(block_.data(), block_.size(), at_, value);
}

bool JournalReader::ParseSigned(int& value) {
  std::uint64_t raw;
  if (!ParseVarint(raw)) return false;
  const std::int64_t v = Unzigzag(raw);
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  return true;
}

JournalReader::Result JournalReader::Next(Event& event) {
  if (ended_) return final_;
  if (at_ >= block_.size()) {
    const Result loaded = LoadBlock();
    if (loaded != Result::Event) return loaded;
  }
  const std::uint8_t tag = block_[at_++];
  // Said of the event being read, only when it is damaged.
  const auto number = [this] { return std::to_string(eventNumber_ + 1); };
  event = Event{};
  if (tag == kTagEnd) {
    std::uint8_t extra;
    if (at_ != block_.size() || ReadBytes(&extra, 1) != 0) return Damage("data after the end mark");
    ++eventNumber_;
    ended_ = true;
    final_ = Result::End;
    event.Kind = Event::Type::End;
    return final_;
  }
  if (tag == kTagClock) {
    std::uint64_t delta;
    if (!ParseVarint(delta)) return Damage("event " + number() + " does not parse");
    const std::uint64_t bits = previousBits_ + static_cast<std::uint64_t>(Unzigzag(delta));
    const double seconds = std::bit_cast<double>(bits);
    if (!std::isfinite(seconds)) return Damage("event " + number() + " is not a clock reading");
    previousBits_ = bits;
    event.Kind = Event::Type::Clock;
    event.Seconds = seconds;
  } else if (tag == kTagWait) {
    event.Kind = Event::Type::Wait;
  } else if (tag == kTagShown) {
    if (block_.size() - at_ < 4) return Damage("event " + number() + " does not parse");
    event.Kind = Event::Type::Shown;
    event.FrameDigest = GetU32(block_.data() + at_);
    at_ += 4;
  } else if (tag >= kTagInput && tag < kTagInput + kInputKinds) {
    event.Kind = Event::Type::Input;
    event.Input.Type = static_cast<InputEvent::Kind>(tag - kTagInput);
    if (!ParseSigned(event.Input.Code) || !ParseSigned(event.Input.X) ||
        !ParseSigned(event.Input.Y))
      return Damage("event " + number() + " does not parse");
  } else {
    return Damage("event " + number() + " is of no known kind");
  }
  ++eventNumber_;
  return Result::Event;
}

}  // namespace vorn::journal
