// The shell end to end: menus, shop, pause, saved progress and start-up errors, through
// stomp-headless with input scripts, traces and screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/pixmap.h"
#include "support/headless_run.h"

using testing_support::RunHeadless;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::StatsBytes;

namespace {

// Six little-endian ints, as "stats.dat" holds them.
RunResult RunGame(int frames, const std::string& input,
                  std::optional<std::string> stats = std::nullopt,
                  std::vector<std::string> extra = {}) {
  RunOptions options;
  options.args = {"--frames", std::to_string(frames)};
  options.args.insert(options.args.end(), extra.begin(), extra.end());
  options.input = input;
  options.stats = std::move(stats);
  return RunHeadless(options);
}

class ShellE2eTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/ in the repository";
  }
};

TEST_F(ShellE2eTest, MenuSelectionWrapsBothWays) {
  RunResult run = RunGame(12, "3 up tap\n5 down tap\n7 down tap\n9 up tap\n10 up tap\n");
  ASSERT_EQ(run.status, 0) << run.stderr_text;
  ASSERT_EQ(run.trace.size(), 12u) << run.trace_error;
  EXPECT_EQ(run.trace[2]["menusel"].Int(), 0);
  EXPECT_EQ(run.trace[3]["menusel"].Int(), 4) << "up on the first line";
  EXPECT_EQ(run.trace[5]["menusel"].Int(), 0) << "down on the last line";
  EXPECT_EQ(run.trace[7]["menusel"].Int(), 1);
  EXPECT_EQ(run.trace[9]["menusel"].Int(), 0);
  EXPECT_EQ(run.trace[10]["menusel"].Int(), 4);
}

// Money 9: a healing agent (10) is refused, ammunition (5) leaves 4; escape then quits without
// saving what was bought.
TEST_F(ShellE2eTest, ShopBuysOnlyWhatTheMoneyCoversAndEscapeSavesNothing) {
  const std::string saved = StatsBytes({3, 0, 9, 0, 0, 0});
  RunResult run =
      RunGame(40, "3 down tap\n4 space tap\n5 down tap\n6 space tap\n8 escape tap\n", saved);
  ASSERT_EQ(run.status, 0) << run.stderr_text;
  ASSERT_GE(run.trace.size(), 7u) << run.trace_error;
  EXPECT_LT(run.trace.size(), 40u) << "escape ended the program";
  EXPECT_EQ(run.trace[4]["money"].Int(), 9);
  EXPECT_EQ(run.trace[4]["stock"][0].Int(), 0);
  EXPECT_EQ(run.trace[6]["money"].Int(), 4);
  EXPECT_EQ(run.trace[6]["stock"][1].Int(), 1);
  EXPECT_EQ(run.trace[6]["gamestate"].Int(), 0);
  EXPECT_EQ(run.stats, saved);
}

TEST_F(ShellE2eTest, QuitLineEndsWithoutSaving) {
  RunResult run = RunGame(40, "3 up tap\n4 space tap\n");
  EXPECT_EQ(run.status, 0) << run.stderr_text;
  EXPECT_LT(run.trace.size(), 40u);
  EXPECT_FALSE(run.stats.has_value());
}

// Buy ammunition (12 -> 7 money, 2 -> 3 rounds), play, pause, "end game": the new values are saved.
TEST_F(ShellE2eTest, EndGameFromThePauseScreenSavesTheExactBytes) {
  const std::string script =
      "3 down tap\n4 down tap\n5 space tap\n6 up tap\n7 up tap\n8 space tap\n"
      "20 escape tap\n22 down tap\n24 space tap\n";
  RunResult run = RunGame(30, script, StatsBytes({40, 5, 12, 1, 2, 3}));
  ASSERT_EQ(run.status, 0) << run.stderr_text;
  ASSERT_EQ(run.trace.size(), 30u) << run.trace_error;
  EXPECT_EQ(run.trace[8]["gamestate"].Int(), 1);
  EXPECT_EQ(run.trace[8]["health"].Int(), 5);
  EXPECT_EQ(run.trace[20]["gamestate"].Int(), 2);
  EXPECT_EQ(run.trace[22]["pausesel"].Int(), 1);
  EXPECT_EQ(run.trace[24]["gamestate"].Int(), 0);
  EXPECT_EQ(run.trace[24]["health"].Int(), 0);
  EXPECT_EQ(run.trace[24]["menusel"].Int(), 0);
  const std::string expected("\x28\0\0\0\x05\0\0\0\x07\0\0\0\x01\0\0\0\x03\0\0\0\x03\0\0\0", 24);
  EXPECT_EQ(run.stats, expected);
}

// Space on "end game" and escape in the same frame: the game ends and is saved once; escape
// neither resumes it nor quits from the menu afterwards.
TEST_F(ShellE2eTest, EscapeWithEndGameInOneFrameLeavesTheGameEnded) {
  const std::string script =
      "3 space tap\n10 escape tap\n12 down tap\n14 space tap\n14 escape tap\n";
  RunResult run = RunGame(30, script, StatsBytes({0, 0, 0, 0, 0, 0}));
  ASSERT_EQ(run.status, 0) << run.stderr_text;
  ASSERT_EQ(run.trace.size(), 30u) << run.trace_error << ": escape quit from the menu";
  EXPECT_EQ(run.trace[13]["gamestate"].Int(), 2);
  EXPECT_EQ(run.trace[14]["gamestate"].Int(), 0);
  EXPECT_EQ(run.trace[29]["gamestate"].Int(), 0);
  EXPECT_EQ(run.trace[29]["health"].Int(), 0);
  EXPECT_EQ(run.stats, StatsBytes({0, 0, 0, 0, 0, 0}));
}

TEST_F(ShellE2eTest, ClosingTheWindowSavesOnlyAGameInProgress) {
  RunResult in_game = RunGame(40, "3 down tap\n4 space tap\n5 up tap\n6 space tap\n12 close\n",
                              StatsBytes({0, 0, 10, 0, 0, 0}));
  EXPECT_EQ(in_game.status, 0) << in_game.stderr_text;
  EXPECT_LT(in_game.trace.size(), 40u);
  EXPECT_EQ(in_game.stats, StatsBytes({0, 0, 0, 1, 0, 0})) << "the healing agent bought is kept";

  RunResult in_menu =
      RunGame(40, "3 down tap\n4 space tap\n12 close\n", StatsBytes({0, 0, 10, 0, 0, 0}));
  EXPECT_EQ(in_menu.status, 0) << in_menu.stderr_text;
  EXPECT_LT(in_menu.trace.size(), 40u);
  EXPECT_EQ(in_menu.stats, StatsBytes({0, 0, 10, 0, 0, 0}));
}

TEST_F(ShellE2eTest, ShortStatsFileStopsStartUpAndIsLeftAlone) {
  const std::string short_file = StatsBytes({1, 2, 3, 4, 5, 6}).substr(0, 23);
  RunResult run = RunGame(10, "", short_file);
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.stderr_text.find("Error reading from stream"), std::string::npos)
      << run.stderr_text;
  EXPECT_EQ(run.stats, short_file);
}

TEST_F(ShellE2eTest, MissingDataStopsStartUpWithOneLineNamingTheFile) {
  RunOptions options;
  options.args = {"--frames", "5"};
  options.gfx = false;
  RunResult run = RunHeadless(options);
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.stderr_text.find("gfx/font.dat"), std::string::npos) << run.stderr_text;
  EXPECT_EQ(run.stderr_text.find('\n'), run.stderr_text.size() - 1) << run.stderr_text;
  EXPECT_TRUE(run.trace.empty());
}

// The counters step once per 40 ms of the clock, at most once per frame: every second frame at
// 50 Hz, and every frame after a stall until they have caught up.
TEST_F(ShellE2eTest, AnimationCountersStepEvery40MsAndCatchUpAfterAStall) {
  RunResult run = RunGame(24, "12 stall 200\n");
  ASSERT_EQ(run.status, 0) << run.stderr_text;
  ASSERT_EQ(run.trace.size(), 24u) << run.trace_error;
  std::vector<int> steps(run.trace.size(), 0);
  size_t jump = 0;  // the first frame after the stall
  for (size_t f = 1; f < run.trace.size(); ++f) {
    steps[f] = (run.trace[f]["anim16"].Int() - run.trace[f - 1]["anim16"].Int() + 16) % 16;
    EXPECT_LE(steps[f], 1) << "frame " << f;
    EXPECT_EQ(run.trace[f]["anim8"].Int(), run.trace[f]["anim16"].Int() % 8) << "frame " << f;
    if (!jump && run.trace[f]["now"].Int() - run.trace[f - 1]["now"].Int() > 20) jump = f;
  }
  ASSERT_GT(jump, 6u);
  for (size_t f = 4; f < jump; ++f) EXPECT_NE(steps[f], steps[f - 1]) << "frame " << f;
  for (size_t f = jump; f < jump + 200 / 40 + 1; ++f) EXPECT_EQ(steps[f], 1) << "frame " << f;
}

// Screenshot helpers: the 800x576 back buffer as an RGBA pixmap.
TPixmapPtr Screenshot(const RunResult& run, const std::string& name) {
  TPixmapPtr shot = LoadPixmapPNG(run.File(name));
  if (shot) shot = shot->Convert(PF_RGBA8888);
  return shot;
}

bool IsYellow(const TPixmap& shot, int x, int y) {
  const uint8_t* p = shot.PixelPtr(x, y);
  return p[0] == 255 && p[1] == 255 && p[2] == 0;
}

bool RegionIsBlack(const TPixmap& shot, int x0, int y0, int x1, int y1) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const uint8_t* p = shot.PixelPtr(x, y);
      if (p[0] | p[1] | p[2]) return false;
    }
  }
  return true;
}

// A selected line at y has its yellow bars on rows y-24, y-23 and y+22, y+23, across all 800
// pixels.
TEST_F(ShellE2eTest, SelectedLineIsFramedByYellowBarsOnExactRows) {
  RunResult run = RunGame(8, "5 down tap\n", std::nullopt,
                          {"--screenshot", "4:first.png", "--screenshot", "6:second.png"});
  ASSERT_EQ(run.status, 0) << run.stderr_text;
  struct Case {
    const char* shot;
    int selected_y, other_y;
  };
  for (const Case& c : {Case{"first.png", 200, 264}, Case{"second.png", 264, 200}}) {
    TPixmapPtr shot = Screenshot(run, c.shot);
    ASSERT_TRUE(shot) << c.shot;
    for (int x : {0, 400, 799}) {
      for (int row : {c.selected_y - 24, c.selected_y - 23, c.selected_y + 22, c.selected_y + 23}) {
        EXPECT_TRUE(IsYellow(*shot, x, row)) << c.shot << " x " << x << " row " << row;
      }
      for (int row : {c.selected_y - 25, c.selected_y - 22, c.selected_y + 21, c.selected_y + 24}) {
        EXPECT_FALSE(IsYellow(*shot, x, row)) << c.shot << " x " << x << " row " << row;
      }
      EXPECT_FALSE(IsYellow(*shot, x, c.other_y - 24)) << c.shot << ": unselected line has a bar";
    }
  }
}

TEST_F(ShellE2eTest, HighscoreLineOnlyAboveZero) {
  struct Case {
    int highscore;
    bool shown;
  };
  for (const Case& c : {Case{0, false}, Case{1, true}, Case{-3, false}}) {
    RunResult run =
        RunGame(5, "", StatsBytes({c.highscore, 0, 0, 0, 0, 0}), {"--screenshot", "3:menu.png"});
    ASSERT_EQ(run.status, 0) << run.stderr_text;
    TPixmapPtr shot = Screenshot(run, "menu.png");
    ASSERT_TRUE(shot);
    // The band around y 96, between the HUD and the first menu line's upper bar.
    EXPECT_EQ(!RegionIsBlack(*shot, 0, 80, 800, 112), c.shown) << "highscore " << c.highscore;
  }
}

}  // namespace
