// Loaded into vorn with LD_PRELOAD by the journal's fault tests: makes the
// disk under one file fail the way a full or failing disk does. Writes to
// the file whose path ends in VORN_FAULT_FILE stop at byte VORN_FAULT_AT
// (the write that crosses it is cut short there, the next fails with
// VORN_FAULT_ERRNO), and with VORN_FAULT_SYNC set its syncs fail with it.

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Targeted(int fd) {
  const char* suffix = std::getenv("VORN_FAULT_FILE");
  struct stat info;
  if (suffix == nullptr || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  char link[64], path[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return false;
  path[n] = '\0';
  const std::size_t length = std::strlen(suffix);
  return static_cast<std::size_t>(n) >= length && std::strcmp(path + n - length, suffix) == 0;
}

int FaultErrno() {
  const char* error = std::getenv("VORN_FAULT_ERRNO");
  return error != nullptr ? std::atoi(error) : EIO;
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int FailSync(int fd, int (*real)(int)) {
  if (std::getenv("VORN_FAULT_SYNC") != nullptr && Targeted(fd)) {
    errno = FaultErrno();
    return -1;
  }
  return real(fd);
}

}  // namespace

extern "C" ssize_t write(int fd, const void* bytes, size_t count) {
  static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
  const char* at = std::getenv("VORN_FAULT_AT");
  if (at != nullptr && Targeted(fd)) {
    const off_t failAt = std::atoll(at);
    const off_t offset = lseek(fd, 0, SEEK_CUR);
    if (offset >= failAt) {
      errno = FaultErrno();
      return -1;
    }
    if (offset + static_cast<off_t>(count) > failAt) count = static_cast<size_t>(failAt - offset);
  }
  return real(fd, bytes, count);
}

extern "C" int fsync(int fd) {
  static const auto real = Next<int (*)(int)>("fsync");
  return FailSync(fd, real);
}

extern "C" int fdatasync(int fd) {
  static const auto real = Next<int (*)(int)>("fdatasync");
  return FailSync(fd, real);
}
