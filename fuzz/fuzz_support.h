#pragma once
// What the fuzz targets share: reading typed values off the fuzzer's bytes,
// and stopping the run with a message when a property fails.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorn::fuzz {

// Consumes the input front to back; past its end every read gives zeros.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  std::uint8_t Byte();
  std::uint32_t Word();
  std::int32_t Int() { return static_cast<std::int32_t>(Word()); }
  std::uint64_t Quad();
  // A double, often one of the awkward ones: NaN, the infinities, negative
  // zero, the largest and the smallest, or a plain read-out sized value.
  double Double();
  // A float coordinate: mostly near the canvas, in halves and quarters, and
  // sometimes non-finite, huge or raw bits.
  float Coordinate();
  // Up to `limit` raw bytes as text.
  std::string Text(std::size_t limit);

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Prints the failed property and aborts, so the fuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

inline void Check(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}

// Whether the text cell (row, column), 1-based, shows the character in the
// canvas's current foreground and background colours, pixel for pixel.
bool CellShows(int row, int column, unsigned char code);

}  // namespace vorn::fuzz
