#pragma once
// The journal's file format, shared by its writer and its reader.
//
// A journal is a header and then blocks of events. The header: the magic
// "VORNJRNL", the format version (varint), the program version (varint length
// and bytes), the canvas width, height and bits per pixel (varints), and a
// CRC-32 of everything after the magic (4 bytes, little-endian). Every format
// keeps this header as it is, so a damaged header and a newer format can be
// told apart.
//
// A block, in format 2: the length of its events (varint), its number
// (varint, 1 for the first block, one more for each next), the events, and a
// CRC-32 of the length, the number and the events. A damaged byte anywhere,
// and a block missing, repeated or out of place, shows as the block whose
// checksum or number is wrong. The last block of a journal closed whole ends
// with the end mark (the console ended) or the saved mark (the journal was
// saved while the console ran on), and the closing bytes "VORNJEND" follow
// it. Blocks are written whole, so a recording cut off by a crash ends in a
// block that runs past the end of the file, without the closing bytes: the
// reader treats that as a cut. A block that runs past the end of a file that
// does end in the closing bytes is damaged instead.
//
// Format 1, still read: a block is the length, the events and a CRC-32 of the
// events alone; the end mark closes the file and nothing follows it.
//
// An event is a tag byte and its fields:
//   0x00        end mark: the console ended here
//   0x01 d      clock reading: d is the zigzag varint of the difference
//               between its IEEE-754 bit pattern and the previous reading's
//               (the first against 0); exact for any double. With its tag, a
//               reading 15 ms after the last of a clock that counts from
//               the machine's start takes 8 bytes in the first 32 s of
//               uptime, 7 up to 68 minutes (2^12 s), 6 up to 6 days, then 5
//   0x02        the console waited, for a time or until a reading (the
//               inputs that follow came during the wait)
//   0x03 h      a frame was shown: h is the frame's digest, 4 bytes
//   0x04        saved mark (format 2): the journal was saved here while the
//               console ran on; a replay stops here
//   0x10+k c x y  input of kind k (InputEvent::Kind), its code and position
//               as zigzag varints

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "platform/host.h"

namespace vorn::journal {

inline constexpr char kMagic[8] = {'V', 'O', 'R', 'N', 'J', 'R', 'N', 'L'};
inline constexpr std::uint32_t kFormatVersion = 2;
// After the last block of a format-2 journal closed whole.
inline constexpr char kClosingBytes[8] = {'V', 'O', 'R', 'N', 'J', 'E', 'N', 'D'};
// Limits the reader holds a journal to, so a damaged length cannot make it
// allocate without bound.
inline constexpr std::size_t kMaxBlockBytes = 1 << 20;
inline constexpr std::size_t kMaxVersionBytes = 64;
inline constexpr std::uint32_t kMaxCanvasSide = 16384;

enum Tag : std::uint8_t {
  kTagEnd = 0x00,
  kTagClock = 0x01,
  kTagWait = 0x02,
  kTagShown = 0x03,
  kTagSaved = 0x04,
  kTagInput = 0x10,  // + the input's kind
};
inline constexpr int kInputKinds = 7;  // Key to CloseRequest

struct Header {
  std::uint32_t FormatVersion = kFormatVersion;
  std::string ProgramVersion;
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint32_t BitsPerPixel = 0;
};

// One thing the console was given or did, in the order it happened.
struct Event {
  enum class Type : std::uint8_t { Clock, Wait, Shown, Input, End, Saved };
  Type Kind = Type::End;
  double Seconds = 0.0;           // Clock: the reading
  std::uint32_t FrameDigest = 0;  // Shown
  InputEvent Input;               // Input
};

const char* Describe(Event::Type type);

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// A digest of what a frame changed: its size and depth, whether the screen
// was opened anew, and each changed rectangle with its pixels. Two runs that
// hand the same sequence of frames from the same start have the same canvas
// after each, so comparing digests frame by frame finds the first frame
// where a replay parts from its recording.
std::uint32_t FrameDigest(const Frame& frame);

// A clock reading's IEEE-754 bit pattern and back. (By memcpy: the browser
// build's standard library has no std::bit_cast.)
inline std::uint64_t DoubleBits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
inline double BitsDouble(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Unsigned LEB128 and zigzag for signed values.
void PutVarint(std::string& out, std::uint64_t value);
void PutU32(std::string& out, std::uint32_t value);  // little-endian
inline std::uint64_t Zigzag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
inline std::int64_t Unzigzag(std::uint64_t v) {
  return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

}  // namespace vorn::journal
