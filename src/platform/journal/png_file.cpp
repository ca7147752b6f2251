#include "platform/journal/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vorn::journal {

namespace {

// 5-6-5 to 8 bits a channel, repeating the top bits so white stays white.
void Expand565(std::uint16_t p, std::uint8_t* rgb) {
  const unsigned r = (p >> 11) & 0x1Fu, g = (p >> 5) & 0x3Fu, b = p & 0x1Fu;
  rgb[0] = static_cast<std::uint8_t>(r << 3 | r >> 2);
  rgb[1] = static_cast<std::uint8_t>(g << 2 | g >> 4);
  rgb[2] = static_cast<std::uint8_t>(b << 3 | b >> 2);
}

}  // namespace

bool WritePng(const std::string& path, const Frame& frame, std::string& error) {
  if (frame.Pixels == nullptr || frame.Width <= 0 || frame.Height <= 0 ||
      (frame.BitsPerPixel != 16 && frame.BitsPerPixel != 32)) {
    error = "there is no canvas to save";
    return false;
  }
  const auto width = static_cast<std::size_t>(frame.Width);
  const auto height = static_cast<std::size_t>(frame.Height);
  std::vector<std::uint8_t> rgb(width * height * 3);
  for (std::size_t i = 0; i < width * height; ++i) {
    if (frame.BitsPerPixel == 16) {
      Expand565(static_cast<const std::uint16_t*>(frame.Pixels)[i], &rgb[i * 3]);
    } else {
      const std::uint32_t p = static_cast<const std::uint32_t*>(frame.Pixels)[i];
      rgb[i * 3] = static_cast<std::uint8_t>(p >> 16);
      rgb[i * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
      rgb[i * 3 + 2] = static_cast<std::uint8_t>(p);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const std::string temp = path + ".part";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot create " + temp + ": " + std::strerror(errno);
    return false;
  }
  const bool written = png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) != 0;
  const bool flushed = std::fflush(file) == 0;
  const int savedErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !flushed || !closed) {
    error = "cannot write " + temp + ": " +
            (written ? std::string(std::strerror(savedErrno)) : std::string(image.message));
    png_image_free(&image);
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot rename " + temp + " to " + path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace vorn::journal
