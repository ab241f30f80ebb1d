// Saving the progress when the disk does not cooperate: a read-only folder, a folder where the file
// should be, a full disk, the process killed in the middle of a save, names planted where the
// save puts its temporary file, and stats.dat as a link. The file on disk is always a whole old or
// a whole new save, a failure is said on stderr, and play goes on.
//
// The mounts live in a private mount namespace of this test process, so that they vanish with it
// even when a test dies half-way.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/stream.h"
#include "game/globals.h"
#include "game/stats.h"
#include "shell_cwd.h"
#include "support/headless_run.h"
#include "support/process.h"

// Every fsync of this test program, the game's save included, is recorded here: "file", or
// "folder F: N money M" for a folder F and each save file N in it, with the money it held then.
std::vector<std::string> fsync_log;

extern "C" int fsync(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode)) {
    fsync_log.push_back("file");
  } else {
    const std::filesystem::path folder =
        std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd));
    for (const char* name : {"stats.dat", "real.dat"}) {
      const std::optional<std::string> bytes = testing_support::ReadFile(folder / name);
      if (bytes && bytes->size() == 24)
        fsync_log.push_back("folder " + folder.string() + ": " + name + " money " +
                            std::to_string(static_cast<unsigned char>((*bytes)[8])));
    }
  }
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

namespace fs = std::filesystem;
using testing_support::FinishProcess;
using testing_support::ReadFile;
using testing_support::StartProcess;
using testing_support::StatsBytes;
using testing_support::TempDir;
using testing_support::WriteFile;

// highscore 40, item 5, money 12, supplies 1, 2, 3; after buying one healing agent and playing a
// game that scores nothing, the save is money 2 and two healing agents.
const std::string kOldSave = StatsBytes({40, 5, 12, 1, 2, 3});
const std::string kNewSave = StatsBytes({40, 5, 2, 2, 2, 3});

// Buy a healing agent, start a game, pause, end it (the save), then quit from the menu. Steps are
// two frames apart, so that each lands in a frame of its own.
const char* const kOneSaveScript =
    "4 down tap\n4 space tap\n6 up tap\n6 space tap\n8 escape tap\n10 down tap\n10 space tap\n"
    "12 escape tap\n";

// Joins the test process to a mount namespace of its own, once; empty, or why it cannot.
const std::string& PrivateMountsUnavailable() {
  static const std::string why = [] {
    if (unshare(CLONE_NEWNS) != 0)
      return std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return std::string("making / private: ") + std::strerror(errno);
    }
    return std::string();
  }();
  return why;
}

// A mount over `path`, undone when this goes out of scope (before the directory is removed).
class Mount {
 public:
  Mount(const std::string& path, const char* type, const char* source, unsigned long flags,
        const char* data)
      : path_(path) {
    mounted_ = mount(source, path.c_str(), type, flags, data) == 0;
    if (!mounted_) error_ = std::strerror(errno);
  }
  ~Mount() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  }
  Mount(const Mount&) = delete;
  Mount& operator=(const Mount&) = delete;
  bool ok() const { return mounted_; }
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  bool mounted_ = false;
  std::string error_;
};

// A game directory: the repository's gfx/ linked in, a saved progress and the input script.
void PrepareGameDir(const TempDir& dir, const std::string& script) {
  fs::create_directory_symlink(fs::path(STOMP_SOURCE_DIR) / "gfx", dir.File("gfx"));
  WriteFile(dir.File("stats.dat"), kOldSave);
  WriteFile(dir.File("input.txt"), script);
}

// stomp-headless running in a directory, its output in a file elsewhere (the directory may be
// read-only or full).
class Game {
 public:
  Game(const TempDir& dir, const std::string& output, int frames)
      : pid_(StartProcess({STOMP_HEADLESS_EXE, "--driver", "null", "--frames",
                           std::to_string(frames), "--input", "input.txt"},
                          dir.path(), output)) {}
  // Waits for the end, killing the game after `timeout_ms`; the status as a shell reports it.
  int Finish(int timeout_ms) { return FinishProcess(pid_, std::chrono::milliseconds(timeout_ms)); }

 private:
  pid_t pid_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// Plays kOneSaveScript in `dir` and checks the outcome of its one save.
void ExpectOneSave(const TempDir& dir, bool saved) {
  TempDir logs;
  Game game(dir, logs.File("output.txt"), 30);
  const int status = game.Finish(60000);
  const std::string output = ReadFile(logs.File("output.txt")).value_or("");
  // Status 0 comes from the menu's escape two frames after the save: the game went on.
  EXPECT_EQ(status, 0) << output;
  const std::vector<std::string> lines = Lines(output);
  if (saved) {
    EXPECT_TRUE(lines.empty()) << output;
    EXPECT_EQ(ReadFile(dir.File("stats.dat")), kNewSave);
    return;
  }
  ASSERT_EQ(lines.size(), 1u) << output;
  EXPECT_NE(lines[0].find("stats.dat"), std::string::npos) << lines[0];
}

TEST(SaveFaults, WritableFolderGetsTheNewSave) {
  TempDir dir;
  PrepareGameDir(dir, kOneSaveScript);
  ExpectOneSave(dir, true);
  EXPECT_FALSE(fs::exists(dir.File("stats.dat.tmp"))) << "a temporary file was left behind";
}

TEST(SaveFaults, ReadOnlyFolderKeepsTheOldSave) {
  if (!PrivateMountsUnavailable().empty())
    GTEST_SKIP() << "no read-only mount: " << PrivateMountsUnavailable();
  TempDir dir;
  PrepareGameDir(dir, kOneSaveScript);
  // Root ignores permission bits, so the folder is made read-only by a read-only bind mount.
  Mount bind(dir.path(), nullptr, dir.path().c_str(), MS_BIND, nullptr);
  ASSERT_TRUE(bind.ok()) << bind.error();
  Mount read_only(dir.path(), nullptr, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
  ASSERT_TRUE(read_only.ok()) << read_only.error();
  ASSERT_FALSE(std::ofstream(dir.File("probe"))) << "the folder is still writeable";
  ExpectOneSave(dir, false);
  EXPECT_EQ(ReadFile(dir.File("stats.dat")), kOldSave);
}

TEST(SaveFaults, FolderNamedStatsDatIsLeftAlone) {
  TempDir dir;
  PrepareGameDir(dir, kOneSaveScript);
  fs::remove(dir.File("stats.dat"));
  fs::create_directory(dir.File("stats.dat"));
  WriteFile(dir.File("stats.dat/keep"), "x");
  ExpectOneSave(dir, false);
  EXPECT_TRUE(fs::is_directory(dir.File("stats.dat")));
  EXPECT_EQ(ReadFile(dir.File("stats.dat/keep")), "x");
  EXPECT_FALSE(fs::exists(dir.File("stats.dat.tmp"))) << "a temporary file was left behind";
}

TEST(SaveFaults, FullDiskKeepsTheOldSave) {
  if (!PrivateMountsUnavailable().empty())
    GTEST_SKIP() << "no small tmpfs: " << PrivateMountsUnavailable();
  TempDir dir;
  Mount disk(dir.path(), "tmpfs", "tmpfs", 0, "size=64k");
  ASSERT_TRUE(disk.ok()) << disk.error();
  PrepareGameDir(dir, kOneSaveScript);
  {
    // Fill every free block; the directory entries the save needs still fit, its data does not.
    std::ofstream filler(dir.File("filler"), std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size()) && filler.flush()) {}
  }
  ExpectOneSave(dir, false);
  EXPECT_EQ(ReadFile(dir.File("stats.dat")), kOldSave);
}

// Cycles of eight frames: buy a healing agent, start a game, pause it, end it with a save. Every
// save therefore differs from the one before and keeps money + 10 x healing agents constant.
std::string ManySavesScript(int cycles) {
  std::ostringstream script;
  for (int i = 0; i < cycles; ++i) {
    const int f = 4 + 8 * i;
    script << f << " down tap\n"
           << f << " space tap\n"
           << f + 2 << " up tap\n"
           << f + 2 << " space tap\n"
           << f + 4 << " escape tap\n"
           << f + 6 << " down tap\n"
           << f + 6 << " space tap\n";
  }
  return script.str();
}

// Temporary files of saves, left by kills in the middle of one; the next save skips their names.
int TempFiles(const TempDir& dir) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    count += entry.path().filename().string().starts_with("stats.dat.tmp") ? 1 : 0;
  return count;
}

TEST(SaveFaults, KilledMidSaveLeavesAWholeOldOrNewSave) {
  constexpr int kStartMoney = 1000000;
  constexpr int kCycles =
      2000;  // more saves than any run lives to make; a longer script only reads slower
  constexpr int kKills = 40;
  TempDir dir;
  PrepareGameDir(dir, ManySavesScript(kCycles));
  WriteFile(dir.File("stats.dat"), StatsBytes({0, 0, kStartMoney, 0, 0, 0}));
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> kill_after_ms(30, 400);
  int last_bought = 0;
  int killed_with_temp_file = 0;
  int last_temp_files = 0;
  for (int run = 0; run < kKills; ++run) {
    TempDir logs;
    Game game(dir, logs.File("output.txt"), 8 * kCycles + 10);
    const int status = game.Finish(kill_after_ms(random));
    const std::string output = ReadFile(logs.File("output.txt")).value_or("");
    ASSERT_EQ(status, 128 + SIGKILL) << "the game ended before it was killed:\n" << output;
    const int temp_files = TempFiles(dir);
    if (temp_files > last_temp_files) ++killed_with_temp_file;
    last_temp_files = temp_files;

    const std::optional<std::string> saved = ReadFile(dir.File("stats.dat"));
    ASSERT_TRUE(saved.has_value()) << "run " << run << ": stats.dat is gone";
    ASSERT_EQ(saved->size(), 24u) << "run " << run;
    int values[6];
    std::memcpy(values, saved->data(), sizeof values);  // little-endian like the machine
    const int bought = values[3];
    EXPECT_EQ(*saved, StatsBytes({0, 0, kStartMoney - 10 * bought, bought, 0, 0}))
        << "run " << run << ": a torn save";
    EXPECT_GE(bought, last_bought) << "run " << run << ": an older save came back";
    last_bought = bought;
  }
  EXPECT_GT(last_bought, 0) << "no save happened before the kills";
  std::printf("%d kills, %d saves in all, %d kills left a temporary file (killed mid-save)\n",
              kKills, last_bought, killed_with_temp_file);
}

// The save called directly in a fresh working directory, with the values of kNewSave.
class SaveInPlace : public testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    highscore = 40;
    item = 5;
    money = 2;
    stock = {2, 2, 3};
  }
  void TearDown() override { ResetGlobals(); }
  // Saves; answers what the save said on stderr.
  static std::string Save() {
    fsync_log.clear();
    testing::internal::CaptureStderr();
    SaveStats();
    return testing::internal::GetCapturedStderr();
  }
  InTempDir dir_;
};

// Whatever sits at the first temporary name is skipped: no write goes through a planted link into
// another file, none lands in data shared with another name, none waits on a FIFO, none replaces
// another game's save in progress. Only a plain file too old to be a save in progress, which a
// killed save left, is removed and its name taken. The alarm ends the test if a save ever blocks.
TEST_F(SaveInPlace, TakenTemporaryNameIsSkippedUnlessAKilledSaveLeftIt) {
  const struct {
    const char* planted;
    int (*plant)();
    fs::file_type stays;
  } cases[] = {
      {"symbolic link to another file", [] { return ::symlink("other", "stats.dat.tmp"); },
       fs::file_type::symlink},
      {"hard link to another file, an hour old",
       [] {
         fs::last_write_time("other", fs::file_time_type::clock::now() - std::chrono::hours(1));
         return ::link("other", "stats.dat.tmp");
       },
       fs::file_type::regular},
      {"dangling symbolic link", [] { return ::symlink("absent", "stats.dat.tmp"); },
       fs::file_type::symlink},
      {"FIFO", [] { return ::mkfifo("stats.dat.tmp", 0600); }, fs::file_type::fifo},
      {"another game's save in progress",
       [] {
         WriteFile("stats.dat.tmp", "12");
         return 0;
       },
       fs::file_type::regular},
      {"a killed save's leftover, an hour old",
       [] {
         WriteFile("stats.dat.tmp", "12");
         fs::last_write_time("stats.dat.tmp",
                             fs::file_time_type::clock::now() - std::chrono::hours(1));
         return 0;
       },
       fs::file_type::not_found},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.planted);
    for (const char* name : {"stats.dat", "stats.dat.tmp", "stats.dat.tmp1", "other"})
      fs::remove(name);
    WriteFile("stats.dat", kOldSave);
    WriteFile("other", "not a save");
    ASSERT_EQ(c.plant(), 0);
    ::alarm(20);
    EXPECT_EQ(Save(), "");
    ::alarm(0);
    EXPECT_EQ(ReadFile("stats.dat"), kNewSave);
    EXPECT_EQ(fs::symlink_status("stats.dat").type(), fs::file_type::regular);
    EXPECT_EQ(ReadFile("other"), "not a save");
    EXPECT_EQ(fs::symlink_status("stats.dat.tmp").type(), c.stays);
    EXPECT_FALSE(fs::exists(fs::symlink_status("absent")));
    EXPECT_FALSE(fs::exists(fs::symlink_status("stats.dat.tmp1"))) << "the temporary file stayed";
  }
}

// A stats.dat that links elsewhere (a synced folder) stays that link: the save replaces the file
// at its end, beside it, and syncs that file's folder after the rename. A dangling link is no
// progress yet, and the first save creates the file it names.
TEST_F(SaveInPlace, LinkedSaveReplacesTheFileAtTheEndOfTheLinks) {
  const std::string here = fs::current_path().string();
  const struct {
    const char* layout;
    void (*arrange)();
    const char* saved;   // the file that holds the save afterwards
    const char* synced;  // its folder, relative to the working directory
  } cases[] = {
      {"plain file", [] { WriteFile("stats.dat", kOldSave); }, "stats.dat", ""},
      {"relative link",
       [] {
         WriteFile("sub/real.dat", kOldSave);
         fs::create_symlink("sub/real.dat", "stats.dat");
       },
       "sub/real.dat", "/sub"},
      {"absolute link through a second link",
       [] {
         WriteFile("sub/real.dat", kOldSave);
         fs::create_symlink(fs::absolute("sub/real.dat"), "sub/link");
         fs::create_symlink("sub/link", "stats.dat");
       },
       "sub/real.dat", "/sub"},
      {"dangling link", [] { fs::create_symlink("sub/real.dat", "stats.dat"); }, "sub/real.dat",
       "/sub"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    fs::remove("stats.dat");
    fs::remove_all("sub");
    fs::create_directory("sub");
    c.arrange();
    const fs::file_type kind = fs::symlink_status("stats.dat").type();
    EXPECT_EQ(Save(), "");
    EXPECT_EQ(ReadFile(c.saved), kNewSave);
    EXPECT_EQ(fs::symlink_status("stats.dat").type(), kind);
    const std::string name = fs::path(c.saved).filename().string();
    EXPECT_EQ(fsync_log, (std::vector<std::string>{
                             "file", "folder " + here + c.synced + ": " + name + " money 2"}));
    for (const char* folder : {".", "sub"}) {
      for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
  }
}

TEST_F(SaveInPlace, DanglingLinkLoadsAsNoProgress) {
  fs::create_symlink("sub/real.dat", "stats.dat");
  money = 0;
  LoadStats();
  EXPECT_EQ(money, 0);
  EXPECT_FALSE(fs::exists("sub"));
}

// A link that loops is a file that cannot be read: start-up stops, and a save changes nothing.
TEST_F(SaveInPlace, LoopingLinkIsRefusedLikeAnUnreadableFile) {
  fs::create_symlink("loop", "stats.dat");
  fs::create_symlink("stats.dat", "loop");
  try {
    LoadStats();
    FAIL() << "a looping link was taken for no progress";
  } catch (const TRuntimeError& error) {
    EXPECT_STREQ(error.what(), "stats.dat: exists but cannot be read");
  }
  const std::string said = Save();
  EXPECT_EQ(Lines(said).size(), 1u) << said;
  EXPECT_NE(said.find("stats.dat"), std::string::npos) << said;
  EXPECT_EQ(fs::read_symlink("stats.dat"), "loop");
  EXPECT_EQ(fs::read_symlink("loop"), "stats.dat");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}

}  // namespace
