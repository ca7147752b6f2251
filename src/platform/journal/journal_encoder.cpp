#include "platform/journal/journal_encoder.h"


namespace vorn::journal {

namespace {

std::uint32_t CrcOf(const std::string& bytes, std::size_t from) {
  return Crc32({reinterpret_cast<const std::uint8_t*>(bytes.data()) + from, bytes.size() - from});
}

}  // namespace

std::string JournalEncoder::EncodeHeader(const Header& header) {
  std::string bytes(kMagic, sizeof kMagic);
  PutVarint(bytes, kFormatVersion);
  PutVarint(bytes, header.ProgramVersion.size());
  bytes += header.ProgramVersion;
  PutVarint(bytes, header.Width);
  PutVarint(bytes, header.Height);
  PutVarint(bytes, header.BitsPerPixel);
  PutU32(bytes, CrcOf(bytes, sizeof kMagic));
  return bytes;
}

void JournalEncoder::Clock(double seconds) {
  const auto bits = DoubleBits(seconds);
  pending_.push_back(static_cast<char>(kTagClock));
  PutVarint(pending_, Zigzag(static_cast<std::int64_t>(bits - previousBits_)));
  previousBits_ = bits;
  ++events_;
}

void JournalEncoder::Wait() {
  pending_.push_back(static_cast<char>(kTagWait));
  ++events_;
}

void JournalEncoder::Shown(std::uint32_t frameDigest) {
  pending_.push_back(static_cast<char>(kTagShown));
  PutU32(pending_, frameDigest);
  ++events_;
}

void JournalEncoder::Input(const InputEvent& event) {
  pending_.push_back(static_cast<char>(kTagInput + static_cast<int>(event.Type)));
  PutVarint(pending_, Zigzag(event.Code));
  PutVarint(pending_, Zigzag(event.X));
  PutVarint(pending_, Zigzag(event.Y));
  ++events_;
}

void JournalEncoder::Write(const Event& event) {
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
    case Event::Type::Saved:
      break;
  }
}

void JournalEncoder::PutBlock(std::string& out, std::uint64_t number, const std::string& events) {
  const std::size_t start = out.size();
  PutVarint(out, events.size());
  PutVarint(out, number);
  out += events;
  PutU32(out, CrcOf(out, start));
}

void JournalEncoder::TakeBlock(std::string& out) {
  if (pending_.empty()) return;
  PutBlock(out, nextBlock_++, pending_);
  pending_.clear();
}

std::string JournalEncoder::Closing(Event::Type mark) const {
  std::string last = pending_;
  last.push_back(static_cast<char>(mark == Event::Type::Saved ? kTagSaved : kTagEnd));
  std::string out;
  PutBlock(out, nextBlock_, last);
  out.append(kClosingBytes, sizeof kClosingBytes);
  return out;
}

}  // namespace vorn::journal
