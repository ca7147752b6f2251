#include "platform/journal/journal_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vorn::journal {

namespace {

bool Exists(const std::string& path, struct stat& info) {
  return lstat(path.c_str(), &info) == 0;
}

// Renames without replacing a file that stands under the new name (EEXIST
// then). Where the file system cannot rename so, a second name is made and
// the first taken away: a link fails as well when the name is taken, where
// a look first and a plain rename after would replace a file that came to
// stand there between the two.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  if (link(from.c_str(), to.c_str()) != 0) return -1;
  // The journal stands under its name; a leftover second name holds the
  // same file, and replaces nothing.
  unlink(from.c_str());
  return 0;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

JournalFile::~JournalFile() {
  CloseQuietly();
}

void JournalFile::CloseQuietly() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool JournalFile::Fail(const std::string& what, int error) {
  if (error_.empty()) error_ = what + ": " + std::strerror(error);
  return false;
}

bool JournalFile::Create(const std::string& path) {
  path_ = path;
  partPath_ = path + ".part";
  struct stat info;
  if (path.empty() || path.back() == '/' || (Exists(path, info) && S_ISDIR(info.st_mode))) {
    error_ = "cannot record to " + path + ": it is a folder; name a file in it";
    return false;
  }
  if (Exists(path, info)) {
    error_ = "cannot record to " + path +
             ": it exists already, and vorn replaces no file; choose another name";
    return false;
  }
  if (Exists(partPath_, info)) {
    error_ = "cannot record to " + path + ": " + partPath_ +
             " is there from an earlier recording (it replays with vorn --replay " + partPath_ +
             "); move it away or choose another name";
    return false;
  }
  fd_ = open(partPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd_ < 0) return Fail("cannot create " + partPath_, errno);
  if (fstat(fd_, &info) != 0) return Fail("cannot create " + partPath_, errno);
  device_ = info.st_dev;
  inode_ = info.st_ino;
  return true;
}

bool JournalFile::Put(std::string_view bytes) {
  if (fd_ < 0 || !error_.empty()) return false;
  while (!bytes.empty()) {
    const ssize_t wrote = write(fd_, bytes.data(), bytes.size());
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return Fail("cannot write " + partPath_, errno);
    }
    bytes_ += static_cast<std::uint64_t>(wrote);
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  if (sync_ == Sync::EachBlock && fdatasync(fd_) != 0)
    return Fail("cannot write " + partPath_, errno);
#ifdef SYNC_FILE_RANGE_WRITE
  // Only starts the writing: a failure shows at the close's sync.
  if (sync_ == Sync::StartEachBlock) sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  return true;
}

bool JournalFile::Commit() {
  if (fd_ < 0 || !error_.empty()) {
    CloseQuietly();
    return false;
  }
  if (fsync(fd_) != 0) {
    const int error = errno;
    CloseQuietly();
    return Fail("cannot write " + partPath_, error);
  }
  const int closed = close(fd_);
  fd_ = -1;
  if (closed != 0) return Fail("cannot write " + partPath_, errno);
  if (RenameNoReplace(partPath_, path_) != 0) {
    if (errno == EEXIST) {
      error_ = "cannot name the journal " + path_ + ": a file of that name came to stand there";
      return false;
    }
    return Fail("cannot rename " + partPath_ + " to " + path_, errno);
  }
  named_ = true;
  // The new name is only on the disk once the folder is.
  const std::string folder = FolderOf(path_);
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return Fail("cannot sync the folder " + folder, errno);
  const int synced = fsync(dir);
  const int error = errno;
  close(dir);
  if (synced != 0) return Fail("cannot sync the folder " + folder, error);
  return true;
}

void JournalFile::Discard(std::uint64_t headerBytes) {
  if (fd_ < 0) return;
  CloseQuietly();
  struct stat info;
  if (bytes_ <= headerBytes && Exists(partPath_, info) && info.st_dev == device_ &&
      info.st_ino == inode_)
    unlink(partPath_.c_str());
}

}  // namespace vorn::journal
