#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/stream.h"
#include "game/globals.h"
#include "game/stats.h"
#include "shell_cwd.h"
#include "support/headless_run.h"

using testing_support::ReadFile;
using testing_support::StatsBytes;
using testing_support::WriteFile;

namespace {

// Six little-endian ints.
class StatsTest : public testing::Test {
 protected:
  void SetUp() override { ResetGlobals(); }
  void TearDown() override { ResetGlobals(); }
  InTempDir dir;
};

TEST_F(StatsTest, SaveWritesTheExactBytesAndLoadReadsThemBack) {
  highscore = 40;
  item = 5;
  money = 12;
  stock = {1, 2, 3};
  SaveStats();
  const std::string expected("\x28\0\0\0\x05\0\0\0\x0C\0\0\0\x01\0\0\0\x02\0\0\0\x03\0\0\0", 24);
  EXPECT_EQ(ReadFile("stats.dat"), expected);
  EXPECT_FALSE(std::filesystem::exists("stats.dat.tmp"));

  ResetGlobals();
  LoadStats();
  EXPECT_EQ(highscore, 40);
  EXPECT_EQ(item, 5);
  EXPECT_EQ(money, 12);
  EXPECT_EQ(stock, (std::array<int, 3>{1, 2, 3}));
}

TEST_F(StatsTest, SaveKeepsTheBetterOfScoreAndHighscore) {
  struct Case {
    int score, highscore, saved;
  };
  for (const Case& c : {Case{7, 5, 7}, Case{3, 5, 5}, Case{5, 5, 5}}) {
    score = c.score;
    highscore = c.highscore;
    SaveStats();
    EXPECT_EQ(highscore, c.saved) << "score " << c.score << ", highscore " << c.highscore;
    EXPECT_EQ(ReadFile("stats.dat")->substr(0, 4), StatsBytes({c.saved}));
  }
}

TEST_F(StatsTest, LoadTakesValuesAsTheyAreAndIgnoresExtraBytes) {
  WriteFile("stats.dat", StatsBytes({9, 6, -7, 0, -1, 2147483647}) + "trailing");
  LoadStats();
  EXPECT_EQ(highscore, 9);
  EXPECT_EQ(item, 6);
  EXPECT_EQ(money, -7);
  EXPECT_EQ(stock, (std::array<int, 3>{0, -1, 2147483647}));
}

TEST_F(StatsTest, MissingFileIsNoErrorAndCreatesNothing) {
  LoadStats();
  EXPECT_EQ(money, 0);
  EXPECT_FALSE(std::filesystem::exists("stats.dat"));
}

TEST_F(StatsTest, ShortFileRaisesTheReadErrorAndStaysAsItWas) {
  const std::string short_file = StatsBytes({1, 2, 3, 4, 5}) + std::string("\x06\x00", 2);
  WriteFile("stats.dat", short_file);
  try {
    LoadStats();
    FAIL() << "a 22-byte file loaded";
  } catch (const TRuntimeError& error) {
    EXPECT_STREQ(error.what(), "stats.dat: Error reading from stream (shorter than 24 bytes)");
  }
  EXPECT_EQ(ReadFile("stats.dat"), short_file);
}

// A file that is there but cannot be opened (here: too large for the stream's int positions) must
// not be taken for a missing one, or the next save would replace the progress in it.
TEST_F(StatsTest, UnreadableFileStopsStartUpAndStaysAsItWas) {
  constexpr std::uintmax_t kTooLarge = std::uintmax_t{3} << 30;
  { std::ofstream("stats.dat") << StatsBytes({7, 0, 0, 0, 0, 0}); }
  std::filesystem::resize_file("stats.dat", kTooLarge);  // sparse: no real disk space
  try {
    LoadStats();
    FAIL() << "an unreadable file was taken for no progress";
  } catch (const TRuntimeError& error) {
    EXPECT_STREQ(error.what(), "stats.dat: exists but cannot be read");
  }
  EXPECT_EQ(std::filesystem::file_size("stats.dat"), kTooLarge);
  EXPECT_EQ(highscore, 0);
}

// A save that cannot complete says so in one line, leaves what was there and lets the game go on.
TEST_F(StatsTest, FailedSaveKeepsTheOldStateAndReportsOneLine) {
  struct Case {
    const char* name;
    void (*arrange)();
  };
  const Case cases[] = {
      {"stats.dat is a folder", [] { std::filesystem::create_directory("stats.dat"); }},
      {"the temporary file cannot be made (a link into a missing folder)",
       [] { std::filesystem::create_symlink("gone/stats.dat", "stats.dat"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all("stats.dat");
    c.arrange();
    const bool was_folder = std::filesystem::is_directory("stats.dat");
    const std::optional<std::string> before = ReadFile("stats.dat");
    money = 99;

    testing::internal::CaptureStderr();
    SaveStats();
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_NE(err.find("stats.dat"), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_EQ(std::filesystem::is_directory("stats.dat"), was_folder);
    if (!was_folder) { EXPECT_EQ(ReadFile("stats.dat"), before); }
    EXPECT_EQ(money, 99);
  }
}

}  // namespace
