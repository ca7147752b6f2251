#include "platform/journal/png_file.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/journal/journal_file.h"

namespace vorn::journal {

namespace {

// 5-6-5 to 8 bits a channel, repeating the top bits so white stays white.
void Expand565(std::uint16_t p, std::uint8_t* rgb) {
  const unsigned r = (p >> 11) & 0x1Fu, g = (p >> 5) & 0x3Fu, b = p & 0x1Fu;
  rgb[0] = static_cast<std::uint8_t>(r << 3 | r >> 2);
  rgb[1] = static_cast<std::uint8_t>(g << 2 | g >> 4);
  rgb[2] = static_cast<std::uint8_t>(b << 3 | b >> 2);
}

// What stands under the name may be replaced only when it is a picture
// (a file that starts with the PNG signature): a user's document named
// end.png is not lost to a screenshot. Nothing standing there is fine too.
bool Replaceable(const std::string& path, std::string& error) {
  struct stat target;
  if (lstat(path.c_str(), &target) != 0) return true;
  if (!S_ISREG(target.st_mode)) {
    error = "cannot save the picture as " + path + ": it is not a plain file";
    return false;
  }
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  unsigned char start[sizeof kSignature] = {};
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  const ssize_t got = fd < 0 ? -1 : read(fd, start, sizeof start);
  if (fd >= 0) close(fd);
  if (got != static_cast<ssize_t>(sizeof start) ||
      std::memcmp(start, kSignature, sizeof start) != 0) {
    error = "cannot save the picture as " + path +
            ": a file that is no PNG picture stands there, and vorn replaces only a picture";
    return false;
  }
  return true;
}

}  // namespace

bool CheckPngTarget(const std::string& path, const std::string& journal, std::string& error) {
  struct stat target, other;
  if (path.empty() || path.back() == '/' ||
      (stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode))) {
    error = "cannot save the picture as " + path + ": it is a folder; name a file in it";
    return false;
  }
  if (stat(path.c_str(), &target) == 0 && stat(journal.c_str(), &other) == 0 &&
      target.st_dev == other.st_dev && target.st_ino == other.st_ino) {
    error = "cannot save the picture as " + path + ": it is the journal being replayed";
    return false;
  }
  if (!Replaceable(path, error)) return false;
  const std::string temp = path + ".part";
  if (lstat(temp.c_str(), &other) == 0) {
    error = "cannot save the picture as " + path + ": " + temp +
            " is in the way; move it away or choose another name";
    return false;
  }
  const std::string folder = FolderOf(path);
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    error = "cannot save the picture in " + folder + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

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
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (file == nullptr) {
    error = "cannot create " + temp + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return false;
  }
  // Each step's own reason: a later call may leave errno otherwise.
  std::string reason;
  if (png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) == 0)
    reason = image.message;
  else if (std::fflush(file) != 0 || fsync(fd) != 0)
    reason = std::strerror(errno);
  png_image_free(&image);
  if (std::fclose(file) != 0 && reason.empty()) reason = std::strerror(errno);
  if (!reason.empty()) {
    error = "cannot write " + temp + ": " + reason;
    unlink(temp.c_str());
    return false;
  }
  // Looked at again: the replay may have run long enough for a file to come
  // to stand under the name. The whole picture then stays beside it.
  if (!Replaceable(path, error)) {
    error += "; the picture is kept in " + temp;
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot rename " + temp + " to " + path + ": " + std::strerror(errno) +
            "; the picture is kept there";
    return false;
  }
  return true;
}

}  // namespace vorn::journal
