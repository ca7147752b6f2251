// Writing a journal: blocks go out at least every half second, so a
// recording stopped at any moment keeps all but its last half second; a sink
// that fails keeps every block before the failure; the file is made new
// beside anything that stands there, refuses what it must not touch, and
// takes its name only when closed whole.

#include "platform/journal/journal_writer.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "journal/journal_bytes.h"
#include "platform/journal/journal_file.h"

// The file system under the journal's name, as the tests need it: renameat2
// failing with renameFailsWith (as where it cannot rename without
// replacing; 0: it works), and another file that comes to stand under the
// name `arriving` at the last moment, just before a call would take it.
namespace {
int renameFailsWith = 0;
std::string arriving;

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void ArriveAt(const char* to) {
  if (arriving.empty() || arriving != to) return;
  arriving.clear();
  std::ofstream(to) << "another recorder's journal";
}
}  // namespace

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) noexcept {
  if (renameFailsWith != 0) {
    errno = renameFailsWith;
    return -1;
  }
  ArriveAt(to);
  static const auto real =
      Real<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
  return real(fromFolder, from, toFolder, to, flags);
}

extern "C" int rename(const char* from, const char* to) noexcept {
  ArriveAt(to);
  static const auto real = Real<int (*)(const char*, const char*)>("rename");
  return real(from, to);
}

extern "C" int link(const char* from, const char* to) noexcept {
  ArriveAt(to);
  static const auto real = Real<int (*)(const char*, const char*)>("link");
  return real(from, to);
}

namespace vorn::journal {
namespace {

namespace fs = std::filesystem;

const Header kHeader{kFormatVersion, "1.2.3", 1280, 1024, 16};

double fakeWall = 0.0;
double FakeWall() {
  return fakeWall;
}

// A recording stopped at any moment (kill -9) leaves the bytes handed on so
// far: they read as cut off, with every event recorded more than half a
// second of wall time before the stop.
TEST(JournalWriterTest, StoppedAtAnyMomentKeepsAllButTheLastHalfSecond) {
  fakeWall = 100.0;
  MemoryBlocks memory;
  JournalWriter writer(memory, FakeWall);
  ASSERT_TRUE(writer.Start(kHeader));
  std::vector<double> recordedAt;  // the wall time of each event
  for (int step = 0; step < 600; ++step) {
    // Wake-ups 7 to 40 ms apart, now and then a long wait.
    fakeWall += step % 50 == 49 ? 0.9 : 0.007 + 0.001 * (step * 7 % 34);
    writer.Clock(fakeWall);
    recordedAt.push_back(fakeWall);
    writer.Shown(static_cast<std::uint32_t>(step));
    recordedAt.push_back(fakeWall);
    writer.FlushIfDue();
    const Outcome read = ReadAll(ToBytes(memory.Bytes()));
    ASSERT_TRUE(read.Opened);
    ASSERT_EQ(read.Result, JournalReader::Result::CutOff) << read.Error;
    for (std::size_t e = read.Events.size(); e < recordedAt.size(); ++e)
      ASSERT_LT(fakeWall - recordedAt[e], 0.5 + 1e-9) << "event " << e << " lost at step " << step;
  }
}

// Takes bytes until `failAt` bytes in all, then fails (a full disk, an I/O
// error), keeping the part of the write that fitted as a file does.
class FailingSink final : public BlockSink {
 public:
  explicit FailingSink(std::size_t failAt) : failAt_(failAt) {}
  bool Put(std::string_view bytes) override {
    const std::size_t room = failAt_ - std::min(failAt_, kept_.size());
    kept_.append(bytes.substr(0, room));
    return bytes.size() <= room;
  }
  const std::string& Kept() const { return kept_; }

 private:
  std::size_t failAt_;
  std::string kept_;
};

TEST(JournalWriterTest, ASinkThatFailsKeepsEveryBlockBeforeTheFailure) {
  for (const std::size_t failAt : {5u, 30u, 31u, 100u, 333u, 1000u}) {
    FailingSink sink(failAt);
    JournalWriter writer(sink, FakeWall);
    const bool started = writer.Start(kHeader);
    std::size_t blocks = 0;  // handed on whole
    for (int i = 0; i < 200 && started; ++i) {
      writer.Clock(1000.0 + i * 0.016);
      writer.Input(InputEvent{InputEvent::Kind::Pointer, 0, i, 2 * i});
      if (i % 10 != 9) continue;
      const std::uint64_t before = writer.BytesWritten();
      writer.FlushBlock();
      blocks += writer.BytesWritten() > before;
    }
    EXPECT_FALSE(writer.Finish()) << failAt;
    EXPECT_TRUE(writer.Failed()) << failAt;
    EXPECT_EQ(sink.Kept().size(), failAt);
    const Outcome read = ReadAll(ToBytes(sink.Kept()));
    EXPECT_EQ(read.Opened, started) << failAt;
    if (!started) continue;
    EXPECT_EQ(read.Result, JournalReader::Result::CutOff) << failAt << ": " << read.Error;
    EXPECT_EQ(read.Events.size(), 20 * blocks) << failAt;
  }
}

TEST(JournalWriterTest, AFileAndMemoryHoldTheSameBytes) {
  ScratchFolder folder;
  for (const JournalFile::Sync sync :
       {JournalFile::Sync::AtClose, JournalFile::Sync::StartEachBlock,
        JournalFile::Sync::EachBlock}) {
    const std::string name = "same-" + std::to_string(static_cast<int>(sync)) + ".vornj";
    JournalFile file(sync);
    MemoryBlocks memory;
    ASSERT_TRUE(file.Create(folder.Path(name))) << file.Error();
    JournalWriter toFile(file), toMemory(memory);
    for (JournalWriter* writer : {&toFile, &toMemory}) {
      ASSERT_TRUE(writer->Start(kHeader));
      for (int i = 0; i < 50; ++i) {
        writer->Clock(5000.0 + i / 60.0);
        writer->Wait();
        if (i % 9 == 0) writer->FlushBlock();
      }
      ASSERT_TRUE(writer->Finish()) << file.Error();
    }
    EXPECT_FALSE(fs::exists(folder.Path(name))) << "named only once committed";
    ASSERT_TRUE(file.Commit()) << file.Error();
    EXPECT_TRUE(file.Named());
    EXPECT_FALSE(fs::exists(folder.Path(name + ".part")));
    const Outcome read = ReadFile(folder.Path(name));
    EXPECT_EQ(read.Result, JournalReader::Result::End) << read.Error;
    EXPECT_EQ(read.Events.size(), 100u);
    EXPECT_EQ(folder.Listing().at(name), "file " + memory.Bytes());
  }
}

// Nothing that stands on the disk is replaced, truncated or followed: each
// refusal names the file and leaves the folder as it was.
TEST(JournalWriterTest, RefusesToRecordOverAnythingThatStands) {
  ScratchFolder folder;
  folder.Write("drill.vornj", ToBytes("a teacher's drill"));
  folder.Write("crash.vornj.part", ToBytes("a recording cut off by a crash"));
  fs::create_directory(folder.Path("sessions"));
  fs::create_symlink(folder.Path("drill.vornj"), folder.Path("link.vornj"));
  fs::create_symlink(folder.Path("elsewhere"), folder.Path("dangling.vornj.part"));
  fs::create_directory(folder.Path("locked"));
  fs::permissions(folder.Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  struct Case {
    std::string path;
    std::string says;
  };
  std::vector<Case> cases = {
      {"drill.vornj", "cannot record to DIR/drill.vornj: it exists already"},
      {"link.vornj", "cannot record to DIR/link.vornj: it exists already"},
      {"crash.vornj", "DIR/crash.vornj.part is there from an earlier recording"},
      {"dangling.vornj", "DIR/dangling.vornj.part is there from an earlier recording"},
      {"sessions", "cannot record to DIR/sessions: it is a folder"},
      {"sessions/", "cannot record to DIR/sessions/: it is a folder"},
      {"new/", "cannot record to DIR/new/: it is a folder"},
      {"no/such/x.vornj", "cannot create DIR/no/such/x.vornj.part: No such file or directory"},
  };
  // The superuser writes in any folder.
  if (geteuid() != 0)
    cases.push_back({"locked/x.vornj", "cannot create DIR/locked/x.vornj.part: Permission denied"});
  const auto before = folder.Listing();
  const std::string dir = folder.Path("");
  for (Case& c : cases) {
    JournalFile file;
    EXPECT_FALSE(file.Create(folder.Path(c.path))) << c.path;
    std::string says = c.says;
    says.replace(says.find("DIR/"), 4, dir);
    EXPECT_NE(file.Error().find(says), std::string::npos) << c.path << ": " << file.Error();
    EXPECT_EQ(folder.Listing(), before) << c.path;
  }
  fs::permissions(folder.Path("locked"), fs::perms::owner_all);
}

// The journal takes its name only where nothing stands, whether the file
// system renames without replacing or cannot (then a link makes the name),
// and however late another file comes to stand there: that file is left as
// it is, and the whole recording is kept as NAME.part.
TEST(JournalWriterTest, TakesItsNameOnlyWhereNothingStands) {
  enum class Other { None, Before, AtTheLastMoment };
  for (const int renameFails : {0, EINVAL, ENOSYS}) {
    for (const Other other : {Other::None, Other::Before, Other::AtTheLastMoment}) {
      const std::string what = "renameat2 failing with " + std::to_string(renameFails) +
                               (other == Other::None     ? ", the name free"
                                : other == Other::Before ? ", the name taken before"
                                                         : ", the name taken at the last moment");
      ScratchFolder folder;
      const std::string path = folder.Path("race.vornj");
      JournalFile file;
      ASSERT_TRUE(file.Create(path));
      JournalWriter writer(file);
      ASSERT_TRUE(writer.Start(kHeader));
      writer.Clock(1.0);
      ASSERT_TRUE(writer.Finish());
      if (other == Other::Before) folder.Write("race.vornj", ToBytes("another recorder's journal"));
      if (other == Other::AtTheLastMoment) arriving = path;
      renameFailsWith = renameFails;
      const bool committed = file.Commit();
      renameFailsWith = 0;
      arriving.clear();
      const bool taken = other != Other::None;
      EXPECT_EQ(committed, !taken) << what << ": " << file.Error();
      EXPECT_EQ(file.Named(), !taken) << what;
      if (taken) {
        EXPECT_NE(file.Error().find("cannot name the journal " + path), std::string::npos)
            << what << ": " << file.Error();
        EXPECT_EQ(folder.Listing().at("race.vornj"), "file another recorder's journal") << what;
        EXPECT_EQ(ReadFile(path + ".part").Result, JournalReader::Result::End) << what;
      } else {
        EXPECT_EQ(ReadFile(path).Result, JournalReader::Result::End) << what;
        EXPECT_FALSE(fs::exists(path + ".part")) << what;
      }
    }
  }
}

// A recording whose window never opened leaves nothing behind; one that
// recorded anything, or whose file was replaced meanwhile, is kept.
TEST(JournalWriterTest, DiscardsOnlyAFileThatHoldsNothingRecorded) {
  ScratchFolder folder;
  const std::size_t headerBytes = JournalEncoder::EncodeHeader(kHeader).size();
  struct Case {
    const char* name;
    bool recordSomething;
    bool replaced;
    bool kept;
  };
  const Case cases[] = {
      {"header only", false, false, false},
      {"a block recorded", true, false, true},
      {"replaced meanwhile", false, true, true},
  };
  for (const Case& c : cases) {
    const std::string path = folder.Path(std::string(c.name) + ".vornj");
    JournalFile file;
    ASSERT_TRUE(file.Create(path));
    JournalWriter writer(file);
    ASSERT_TRUE(writer.Start(kHeader));
    if (c.recordSomething) {
      writer.Clock(2.0);
      writer.FlushBlock();
    }
    if (c.replaced) {
      fs::rename(path + ".part", path + ".moved");
      folder.Write(std::string(c.name) + ".vornj.part", ToBytes("someone else's"));
    }
    file.Discard(headerBytes);
    EXPECT_EQ(fs::exists(path + ".part"), c.kept) << c.name;
  }
}

}  // namespace
}  // namespace vorn::journal
