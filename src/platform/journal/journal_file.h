#pragma once
// The file a recording goes into. It is made new, under the journal's name
// with ".part" added, never in place of anything: not a file of the
// journal's name, and not a NAME.part an earlier recording left (a user's
// cut-off journal). It takes the journal's name only once closed whole, and
// never over a file that has come to stand there. Nothing it wrote is ever
// removed: after a failure every whole block stays in NAME.part, which
// replays up to its last whole block.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/journal/journal_writer.h"

namespace vorn::journal {

class JournalFile final : public BlockSink {
 public:
  // When the blocks reach the disk: at the close only (the operating system
  // writes them out within half a minute); started as each is written, not
  // waited for (where the system can; the file's size then reaches the disk
  // with the file system's next commit, within seconds); or each one synced
  // and waited for as it is written.
  enum class Sync { AtClose, StartEachBlock, EachBlock };
  explicit JournalFile(Sync sync = Sync::StartEachBlock) : sync_(sync) {}
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;
  ~JournalFile();  // closes the file, keeping it

  // Checks the name and makes NAME.part. False, with Error() naming the file
  // and the reason, when the name is a folder or a file that exists, when
  // NAME.part exists, or when NAME.part cannot be made.
  bool Create(const std::string& path);

  // Writes the bytes whole. False, with Error() set, on any failure.
  bool Put(std::string_view bytes) override;

  // Syncs the file, closes it, gives it its name and syncs the folder. False,
  // with Error() set, on any failure; the journal then stays in PartPath().
  bool Commit();
  // Closes the file and removes it, but only when it holds no more than
  // what was written before the recording began (the header) and is still
  // the file this made. For a recording that never started.
  void Discard(std::uint64_t headerBytes);

  const std::string& Error() const { return error_; }
  // Whether the journal stands under its own name (Commit got that far).
  bool Named() const { return named_; }
  const std::string& Path() const { return path_; }
  const std::string& PartPath() const { return partPath_; }
  std::uint64_t Bytes() const { return bytes_; }

 private:
  bool Fail(const std::string& what, int error);
  void CloseQuietly();

  Sync sync_;
  int fd_ = -1;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::string path_;
  std::string partPath_;
  std::uint64_t bytes_ = 0;
  bool named_ = false;
  std::string error_;
};

// The folder a path's file is in ("." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace vorn::journal
