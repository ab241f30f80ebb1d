// The world through stomp-headless: a seeded start replayed, the figure's arrival, and pausing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "game/globals.h"
#include "game/level.h"
#include "reference_rng.h"
#include "support/headless_run.h"

namespace {

using testing_support::RunHeadless;
using testing_support::RunOptions;
using testing_support::RunResult;

class WorldE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/";
  }
  // Runs from the menu: space on "BRING IT ON!" at frame 2, then `script`.
  static RunResult Play(int frames, const std::string& script = "", int clock = 1000) {
    RunOptions options;
    options.args = {
        "--frames", std::to_string(frames), "--clock", std::to_string(clock), "--driver", "null"};
    options.input = "2 space tap\n" + script;
    RunResult run = RunHeadless(options);
    EXPECT_EQ(run.status, 0) << run.stderr_text;
    EXPECT_TRUE(run.trace_error.empty()) << run.trace_error;
    return run;
  }
  // The first frame that has a figure.
  static size_t Arrival(const RunResult& run) {
    for (size_t f = 0; f < run.trace.size(); ++f) {
      if (!run.trace[f]["fig"].IsNull()) return f;
    }
    ADD_FAILURE() << "no figure appeared";
    return 0;
  }
};

TEST_F(WorldE2eTest, SeededStartIsReplayedExactly) {
  // The level's spawn points, read the way the game reads them.
  char old[4096];
  ASSERT_TRUE(getcwd(old, sizeof old));
  ASSERT_EQ(chdir(STOMP_SOURCE_DIR), 0);
  ResetGlobals();
  LoadMap();
  ASSERT_EQ(chdir(old), 0);
  const auto points = spawns;

  for (int clock : {1000, 777777}) {
    const RunResult run = Play(12, "", clock);
    const size_t f = Arrival(run);
    ASSERT_LT(f + 1, run.trace.size());
    ReferenceRng rng(clock);  // the game seeds with the clock at start-up
    const T2D at = points[0][rng.Rand(0, static_cast<int>(points[0].size()) - 1)];
    rng.SkipArrivalEffect();
    const json::Value& figure = run.trace[f]["fig"];
    EXPECT_EQ(figure["x"].Int(), at.x);
    EXPECT_EQ(figure["y"].Int(), at.y);
    const json::Value& first = run.trace[f + 1]["creatures"];
    ASSERT_EQ(first.Size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      const int r = rng.Rand(1, 10);
      const int kind = r <= 5 ? 1 : r <= 9 ? 2 : 3;
      const auto& group = points[kind];
      const T2D p = group[rng.Rand(0, static_cast<int>(group.size()) - 1)];
      const int dir = rng.Rand(0, 1) == 0 ? -1 : 1;
      rng.SkipArrivalEffect();
      EXPECT_EQ(first[i]["cl"].Int(), kind) << clock << " #" << i;
      EXPECT_EQ(first[i]["x"].Int(), p.x) << clock << " #" << i;
      EXPECT_EQ(first[i]["y"].Int(), p.y) << clock << " #" << i;
      EXPECT_EQ(first[i]["dir"].Int(), dir) << clock << " #" << i;
    }
    EXPECT_EQ(run.trace[f + 1]["effects"].Size(), 4u);  // four arrivals
  }
}

TEST_F(WorldE2eTest, FigureWaitsInvisibleAndStillForOneSecond) {
  const RunResult run = Play(70, "10 right down\n");
  const size_t f = Arrival(run);
  const json::Value& first = run.trace[f]["fig"];
  for (size_t g = f; g < f + 50; ++g) {
    const json::Value& figure = run.trace[g]["fig"];
    EXPECT_EQ(figure["act"].Int(), 0) << g;
    EXPECT_EQ(figure["x"].Int(), first["x"].Int()) << g;
    EXPECT_EQ(figure["y"].Int(), first["y"].Int()) << g;
  }
  EXPECT_EQ(run.trace[f + 50]["now"].Int(), first["tm"].Int() + 1000);
  EXPECT_EQ(run.trace[f + 50]["fig"]["act"].Int(), 1);
  EXPECT_EQ(run.trace[f + 51]["fig"]["x"].Int(), first["x"].Int() + 3);  // right held since
}

TEST_F(WorldE2eTest, PlayClockStandsStillWhilePaused) {
  const RunResult run = Play(60, "20 escape tap\n40 escape tap\n");
  int paused_frames = 0;
  for (size_t g = 1; g < run.trace.size(); ++g) {
    // The menu and the pause screen switch states after the play step, so a frame counts when it
    // began and ended in play.
    const int before = run.trace[g - 1]["gamestate"].Int();
    const int state = run.trace[g]["gamestate"].Int();
    const int gained = run.trace[g]["playtime"].Int() - run.trace[g - 1]["playtime"].Int();
    EXPECT_EQ(gained, before == 1 && state == 1 ? 20 : 0) << g;
    if (state == 2) ++paused_frames;
  }
  EXPECT_GT(paused_frames, 15);
  EXPECT_EQ(run.trace.back()["gamestate"].Int(), 1);
}

}  // namespace
