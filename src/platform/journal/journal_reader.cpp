#include "platform/journal/journal_reader.h"

#include <algorithm>
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

bool EndsWith(const std::vector<std::uint8_t>& bytes, const char (&tail)[8]) {
  return bytes.size() >= sizeof tail &&
         std::memcmp(bytes.data() + bytes.size() - sizeof tail, tail, sizeof tail) == 0;
}

// The magic with one byte changed or one byte left out: a journal's first
// bytes, damaged.
bool NearlyTheMagic(const std::uint8_t* bytes) {
  int differ = 0;
  for (std::size_t i = 0; i < sizeof kMagic; ++i) differ += bytes[i] != kMagic[i];
  if (differ == 1) return true;
  for (std::size_t gone = 0; gone < sizeof kMagic; ++gone) {
    std::size_t at = 0;
    bool same = true;
    for (std::size_t i = 0; i < sizeof kMagic; ++i)
      if (i != gone) same = same && bytes[at++] == static_cast<std::uint8_t>(kMagic[i]);
    if (same) return true;
  }
  return false;
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

std::size_t JournalReader::ReadBytes(std::size_t n) {
  const std::size_t at = raw_.size();
  raw_.resize(at + n);
  std::size_t got;
  if (file_ != nullptr) {
    got = std::fread(raw_.data() + at, 1, n, file_);
  } else {
    got = std::min(n, memory_.size() - memoryAt_);
    if (got > 0) std::memcpy(raw_.data() + at, memory_.data() + memoryAt_, got);
    memoryAt_ += got;
  }
  raw_.resize(at + got);
  offset_ += got;
  return got;
}

JournalReader::Read JournalReader::ReadVarint(std::uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (ReadBytes(1) != 1) return Read::RanOut;
    const std::uint8_t b = raw_.back();
    if (shift == 63 && b > 1) return Read::Bad;
    value |= static_cast<std::uint64_t>(b & 0x7F) << shift;
    if ((b & 0x80) == 0) return Read::Ok;
  }
  return Read::Bad;
}

bool JournalReader::Unreadable() {
  if (file_ == nullptr || !std::ferror(file_)) return false;
  ended_ = true;
  final_ = Result::Damaged;
  error_ = "cannot read " + name_ + ": " + std::strerror(errno);
  return true;
}

bool JournalReader::Start() {
  const std::size_t got = ReadBytes(sizeof kMagic);
  if (Unreadable()) return false;
  const bool magic = got == sizeof kMagic && std::memcmp(raw_.data(), kMagic, got) == 0;
  if (!magic) {
    if (got == 0)
      error_ = name_ + " is empty, not a vorn journal";
    else if (got < sizeof kMagic && std::memcmp(raw_.data(), kMagic, got) == 0)
      error_ = name_ + " is cut off inside its header";
    else if (got == sizeof kMagic && NearlyTheMagic(raw_.data()))
      error_ = name_ + " has a damaged header";
    else
      error_ = name_ + " is not a vorn journal";
    return false;
  }
  // The header's CRC covers what follows the magic.
  raw_.clear();
  bool cut = false;
  const auto fail = [&] {
    if (!Unreadable())
      error_ = name_ + (cut ? " is cut off inside its header" : " has a damaged header");
    return false;
  };
  const auto varint = [&](std::uint64_t& value) {
    const Read read = ReadVarint(value);
    cut = read == Read::RanOut;
    return read == Read::Ok;
  };
  std::uint64_t version = 0, length = 0, sides[3] = {};
  if (!varint(version) || !varint(length) || length > kMaxVersionBytes) return fail();
  const std::size_t versionAt = raw_.size();
  if (ReadBytes(length) != length) {
    cut = true;
    return fail();
  }
  std::string programVersion(raw_.begin() + static_cast<std::ptrdiff_t>(versionAt), raw_.end());
  for (std::uint64_t& side : sides)
    if (!varint(side)) return fail();
  const std::size_t covered = raw_.size();
  if (ReadBytes(4) != 4) {
    cut = true;
    return fail();
  }
  // The checksum first: a damaged version must not pass for a newer one.
  if (!ChecksumMatches(GetU32(raw_.data() + covered), {raw_.data(), covered}) || version == 0)
    return fail();
  if (version > kFormatVersion) {
    error_ = name_ + " is in journal format " + std::to_string(version) +
             ", newer than this vorn reads (" + std::to_string(kFormatVersion) +
             "): replay it with a newer vorn";
    return false;
  }
  // The program's version goes into messages on the terminal: printable
  // characters only, so a crafted journal sends it no control sequences.
  const bool printable = std::all_of(programVersion.begin(), programVersion.end(),
                                     [](char c) { return c >= ' ' && c <= '~'; });
  if (!printable || sides[0] > kMaxCanvasSide || sides[1] > kMaxCanvasSide ||
      (sides[2] != 16 && sides[2] != 32))
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

JournalReader::Result JournalReader::CutOff(const std::string& where) {
  if (Unreadable()) return final_;
  ended_ = true;
  final_ = Result::CutOff;
  error_ = name_ + " is cut off after event " + std::to_string(eventNumber_) + where;
  return final_;
}

// A block that runs past the end of the file: a cut, unless the file ends
// in the closing bytes, which only a journal closed whole has.
JournalReader::Result JournalReader::RanOutInBlock() {
  if (header_.FormatVersion >= 2 && EndsWith(raw_, kClosingBytes))
    return Damage("it runs past the end of the journal");
  return CutOff(" (its recording did not end cleanly)");
}

JournalReader::Result JournalReader::LoadBlock() {
  blockOffset_ = offset_;
  ++blockNumber_;
  raw_.clear();
  const bool numbered = header_.FormatVersion >= 2;
  std::uint64_t length = 0;
  Read read = ReadVarint(length);
  if (read == Read::RanOut) {
    if (raw_.empty()) return CutOff(" (its recording did not end cleanly)");
    return RanOutInBlock();
  }
  if (read == Read::Bad) return Damage("a block length that does not parse");
  if (length == 0 || length > kMaxBlockBytes) return Damage("a block length out of bounds");
  std::uint64_t number = 0;
  if (numbered) {
    read = ReadVarint(number);
    if (read == Read::RanOut) return RanOutInBlock();
    if (read == Read::Bad) return Damage("a block number that does not parse");
  }
  const std::size_t eventsAt = raw_.size();
  if (ReadBytes(length + 4) != length + 4) return RanOutInBlock();
  const std::size_t crcAt = raw_.size() - 4;
  // Format 1's checksum covers the events alone; format 2's the whole block.
  const std::size_t coveredFrom = numbered ? 0 : eventsAt;
  if (!ChecksumMatches(GetU32(raw_.data() + crcAt),
                       {raw_.data() + coveredFrom, crcAt - coveredFrom}))
    return Damage("its checksum does not match");
  if (numbered && number != blockNumber_)
    return Damage("the block here is block " + std::to_string(number) +
                  " (blocks are missing, repeated or out of order)");
  block_.assign(raw_.begin() + static_cast<std::ptrdiff_t>(eventsAt),
                raw_.begin() + static_cast<std::ptrdiff_t>(crcAt));
  at_ = 0;
  return Result::Event;
}

// After a mark: format 1 has nothing more, format 2 its closing bytes.
JournalReader::Result JournalReader::Closing(Result mark) {
  if (at_ != block_.size()) return Damage("data after the end mark");
  raw_.clear();
  const std::size_t got = ReadBytes(sizeof kClosingBytes + 1);
  if (Unreadable()) return final_;
  const std::size_t want = header_.FormatVersion >= 2 ? sizeof kClosingBytes : 0;
  const bool prefix = got <= want && std::memcmp(raw_.data(), kClosingBytes, got) == 0;
  if (prefix && got < want) return CutOff(" (in its closing bytes)");
  if (!prefix) return Damage("data after the end mark");
  ++eventNumber_;
  ended_ = true;
  final_ = mark;
  return final_;
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
    event.Kind = Event::Type::End;
    return Closing(Result::End);
  }
  if (tag == kTagSaved && header_.FormatVersion >= 2) {
    event.Kind = Event::Type::Saved;
    return Closing(Result::Saved);
  }
  if (tag == kTagClock) {
    std::uint64_t delta;
    if (!ParseVarint(delta)) return Damage("event " + number() + " does not parse");
    const std::uint64_t bits = previousBits_ + static_cast<std::uint64_t>(Unzigzag(delta));
    const double seconds = BitsDouble(bits);
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
