// Every file the game reads, damaged the ways disks, downloads and people damage files: the game
// either starts normally or stops at once with one line naming the file, and never leaves the
// saved progress changed behind it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/headless_run.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

enum class Damage { kZeroLength, kTruncated, kOversized, kWrongSignature, kRandomBytes, kFolder };

// Six little-endian ints: highscore 40, item 5, money 12, supplies 1, 2, 3.
const std::string kSavedProgress("\x28\0\0\0\x05\0\0\0\x0c\0\0\0\x01\0\0\0\x02\0\0\0\x03\0\0\0",
                                 24);

const char* const kShortReadMessage = "Error reading from stream";

// Starts a game at frame 2 and uses the item in hand at frame 20, so that the loaded data is drawn
// and played with, not only read.
const char* const kScript = "2 space tap\n20 space tap\n";
constexpr int kFrames = 40;

std::string RandomBytes(size_t count, std::mt19937& random) {
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xff);
  return bytes;
}

void Apply(Damage damage, const fs::path& file, std::mt19937& random) {
  if (damage == Damage::kFolder) {
    fs::remove(file);
    fs::create_directory(file);
    return;
  }
  std::string bytes = ReadFile(file.string()).value();
  switch (damage) {
    case Damage::kZeroLength: bytes.clear(); break;
    case Damage::kTruncated: bytes.resize(bytes.size() / 2); break;
    case Damage::kOversized: bytes += RandomBytes(256 * 1024, random); break;
    case Damage::kWrongSignature:
      for (size_t i = 0; i < bytes.size() && i < 8; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
      break;
    case Damage::kRandomBytes: bytes = RandomBytes(bytes.size(), random); break;
    case Damage::kFolder: break;
  }
  WriteFile(file.string(), bytes);
}

struct Outcome {
  int status = -1;  // as a shell reports it; 255 is the game's own error status
  // `timeout` answers 124 after a hang, a signal gives 128 + its number.
  bool HungOrSignalled() const { return status >= 124 && status < 255; }
  std::vector<std::string> lines;  // what the run wrote on stderr and stdout
  std::string text;
};

// A run directory holding a copy of the repository's gfx/, a saved progress and the input script.
// RunHeadless makes its own directory, so damaged copies of gfx/ need this one.
class RunDir {
 public:
  RunDir() {
    fs::copy(fs::path(STOMP_SOURCE_DIR) / "gfx", dir_.File("gfx"), fs::copy_options::recursive);
    WriteFile(dir_.File("stats.dat"), kSavedProgress);
    WriteFile(dir_.File("input.txt"), kScript);
  }
  fs::path Path(const std::string& name) const { return dir_.File(name); }

  // No run here reads a pixel, so the damaged ones use the null driver and skip starting GL,
  // most of a short run's time; the undamaged run keeps GL, so the data is drawn there too.
  Outcome Run(int timeout_seconds = 60, bool with_gl = false) const {
    const std::string output = dir_.File("output.txt");
    const std::string command =
        "cd '" + dir_.path() + "' && exec timeout -s KILL " + std::to_string(timeout_seconds) +
        " '" + STOMP_HEADLESS_EXE + "' --frames " + std::to_string(kFrames) +
        " --input input.txt --driver " + (with_gl ? "gl" : "null") + " >'" + output + "' 2>&1";
    const int wait_status = std::system(command.c_str());
    Outcome outcome;
    outcome.status =
        WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
    outcome.text = ReadFile(output).value_or("");
    std::istringstream in(outcome.text);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty()) outcome.lines.push_back(line);
    }
    return outcome;
  }

 private:
  TempDir dir_;
};

// The files of gfx/ by name, relative to the run directory, plus the saved progress.
std::vector<std::string> FilesTheGameFinds() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(STOMP_SOURCE_DIR) / "gfx")) {
    if (entry.is_regular_file()) names.push_back("gfx/" + entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  names.push_back("stats.dat");
  return names;
}

void ExpectStartOrOneLineNamingTheFile(Damage damage, unsigned seed) {
  if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/ in the repository";
  std::mt19937 random(seed);
  for (const std::string& name : FilesTheGameFinds()) {
    SCOPED_TRACE(name);
    RunDir dir;
    Apply(damage, dir.Path(name), random);
    const std::optional<std::string> stats_before = ReadFile(dir.Path("stats.dat").string());
    const Outcome outcome = dir.Run();

    EXPECT_FALSE(outcome.HungOrSignalled()) << "status " << outcome.status << ":\n" << outcome.text;
    EXPECT_EQ(outcome.text.find("Sanitizer"), std::string::npos) << outcome.text;
    EXPECT_EQ(outcome.text.find("runtime error"), std::string::npos) << outcome.text;
    if (outcome.status != 0) {
      ASSERT_EQ(outcome.lines.size(), 1u) << outcome.text;
      // A short saved progress is held to its exact message by ShortSavedProgress below.
      const bool short_stats = name == "stats.dat" && outcome.lines[0] == kShortReadMessage;
      EXPECT_TRUE(short_stats || outcome.lines[0].find(name) != std::string::npos)
          << "status " << outcome.status
          << ", the message does not name the file: " << outcome.text;
    }
    EXPECT_EQ(ReadFile(dir.Path("stats.dat").string()), stats_before)
        << "the saved progress changed";
  }
}

TEST(CorruptFiles, UndamagedDataStartsAndPlays) {
  if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/ in the repository";
  RunDir dir;
  const Outcome outcome = dir.Run(60, /*with_gl=*/true);
  EXPECT_EQ(outcome.status, 0) << outcome.text;
  EXPECT_EQ(ReadFile(dir.Path("stats.dat").string()), kSavedProgress);
}

// A saved progress cut short keeps the stream's message and status 255, names the file, and is
// left exactly as it was.
TEST(CorruptFiles, ShortSavedProgressStopsNamingTheFile) {
  if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/ in the repository";
  RunDir dir;
  const std::string six_bytes("\x01\0\0\0\x02\0", 6);
  WriteFile(dir.Path("stats.dat").string(), six_bytes);
  const Outcome outcome = dir.Run();
  EXPECT_EQ(outcome.status, 255) << outcome.text;
  ASSERT_EQ(outcome.lines.size(), 1u) << outcome.text;
  EXPECT_NE(outcome.lines[0].find(kShortReadMessage), std::string::npos) << outcome.text;
  EXPECT_EQ(ReadFile(dir.Path("stats.dat").string()), six_bytes);
  EXPECT_NE(outcome.lines[0].find("stats.dat"), std::string::npos) << outcome.text;
}

// A 244-byte sheet whose text chunk announces 2 GiB: refusing it must not first take that memory,
// which on a smaller machine ends in the out-of-memory killer instead of a message.
TEST(CorruptFiles, SheetAnnouncingAHugeChunkIsRefusedCheaply) {
  if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/ in the repository";
  RunDir dir;
  // The fuzz input: 5 bytes of loader choices, then the PNG file.
  const std::string input =
      ReadFile(std::string(STOMP_SOURCE_DIR) + "/tests/fuzz/corpus/png/text_chunk_of_2gib.bin")
          .value();
  WriteFile(dir.Path("gfx/glow.png").string(), input.substr(5));
  const Outcome outcome = dir.Run();
  EXPECT_FALSE(outcome.HungOrSignalled()) << outcome.text;
  ASSERT_EQ(outcome.lines.size(), 1u) << outcome.text;
  EXPECT_NE(outcome.lines[0].find("gfx/glow.png"), std::string::npos) << outcome.text;
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);  // the largest resident size of any finished run, in KiB
  EXPECT_LE(children.ru_maxrss, 256 * 1024)
      << "refusing the sheet took " << children.ru_maxrss / 1024 << " MiB";
}

// Special files in place of each file the game reads: a FIFO with no writer, a socket, and a link
// to /dev/zero. Opening or reading any of them must neither wait nor run away; each is refused at
// start-up with one line naming it, as an unreadable file is.
TEST(CorruptFiles, SpecialFileInsteadOfFileIsRefusedAtOnce) {
  if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/ in the repository";
  const struct {
    const char* kind;
    void (*make)(const fs::path& path);
  } kinds[] = {
      {"FIFO", [](const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
      {"socket",
       [](const fs::path& path) {
         const int fd = testing_support::ListeningUnixSocket(path.string());
         ASSERT_GE(fd, 0);
         close(fd);  // the socket file stays, with nobody listening
       }},
      {"/dev/zero", [](const fs::path& path) { fs::create_symlink("/dev/zero", path); }},
  };
  for (const auto& kind : kinds) {
    for (const std::string name :
         {"gfx/crea.png", "gfx/fig.png", "gfx/font.dat", "gfx/font.png", "gfx/glow.png",
          "gfx/map.dat", "gfx/symbols.png", "gfx/symbols_big.png", "gfx/weapons.png",
          "gfx/weapons_big.png", "stats.dat"}) {
      SCOPED_TRACE(std::string(kind.kind) + " as " + name);
      RunDir dir;
      fs::remove(dir.Path(name));
      kind.make(dir.Path(name));
      const Outcome outcome = dir.Run(20);
      EXPECT_EQ(outcome.status, 255) << outcome.text;
      ASSERT_EQ(outcome.lines.size(), 1u) << outcome.text;
      EXPECT_NE(outcome.lines[0].find(name), std::string::npos) << outcome.text;
      if (name != "stats.dat") {
        EXPECT_EQ(ReadFile(dir.Path("stats.dat").string()), kSavedProgress);
      }
    }
  }
}

TEST(CorruptFiles, ZeroLength) { ExpectStartOrOneLineNamingTheFile(Damage::kZeroLength, 1); }
TEST(CorruptFiles, TruncatedToHalf) { ExpectStartOrOneLineNamingTheFile(Damage::kTruncated, 2); }
TEST(CorruptFiles, OversizedWithRandomTail) {
  ExpectStartOrOneLineNamingTheFile(Damage::kOversized, 3);
}
TEST(CorruptFiles, WrongSignature) {
  ExpectStartOrOneLineNamingTheFile(Damage::kWrongSignature, 4);
}
TEST(CorruptFiles, RandomBytesOfTheSameSize) {
  ExpectStartOrOneLineNamingTheFile(Damage::kRandomBytes, 5);
}
TEST(CorruptFiles, FolderInsteadOfFile) { ExpectStartOrOneLineNamingTheFile(Damage::kFolder, 6); }

}  // namespace
