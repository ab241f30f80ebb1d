// The committed run-time data in gfx/: what the game reads must be there and usable, the level
// must keep its rules, and everything must be what assets/ regenerate.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/data_checks.h"
#include "tools/level_file.h"
#include "tools/level_rules.h"

namespace {

const std::string kRoot = STOMP_SOURCE_DIR;

Bytes Committed(const std::string& path) {
  const auto bytes = ReadFileBytes(kRoot + "/" + path);
  EXPECT_TRUE(bytes.has_value()) << path << " is missing";
  return bytes.value_or(Bytes{});
}

std::string Joined(const std::vector<std::string>& messages) {
  std::string out;
  for (const std::string& m : messages) out += "\n  " + m;
  return out;
}

Level FixtureLevel(const std::string& name) {
  const Bytes text = Committed("tests/fixtures/levels/" + name);
  std::string why;
  const auto level = ParseLevelText(std::string(text.begin(), text.end()), &why);
  EXPECT_TRUE(level.has_value()) << name << ": " << why;
  return level.value_or(Level{});
}

}  // namespace

TEST(CommittedData, SheetsHoldTheirCellsAndDrawnFramesShow) {
  for (const SheetRequirement& sheet : SheetRequirements()) {
    const auto problems = CheckSheet(sheet, Committed(std::string("gfx/") + sheet.file));
    EXPECT_TRUE(problems.empty()) << Joined(problems);
  }
  const auto glow = CheckGlow(Committed("gfx/glow.png"));
  EXPECT_TRUE(glow.empty()) << Joined(glow);
}

TEST(CommittedData, FontMetricsAndGlyphsFitTheMenus) {
  const auto problems = CheckFont(Committed("gfx/font.dat"), Committed("gfx/font.png"));
  EXPECT_TRUE(problems.empty()) << Joined(problems);
  EXPECT_TRUE(std::filesystem::exists(kRoot + "/gfx/font-LICENSE.txt"));
}

TEST(CommittedData, LevelKeepsEveryRule) {
  const auto problems = CheckMap(Committed("gfx/map.dat"));
  EXPECT_TRUE(problems.empty()) << Joined(problems);
}

TEST(CommittedData, RegeneratingFromAssetsGivesTheSameBytes) {
  const auto problems = CheckRegenerated(kRoot);
  EXPECT_TRUE(problems.empty()) << Joined(problems);
}

TEST(MapFile, RoundTripsAndReadsLikeTheGame) {
  const Level level = FixtureLevel("good.txt");
  const Bytes bytes = EncodeMapDat(level);
  std::size_t points = 0;
  for (const auto& g : level.spawns) points += g.size();
  EXPECT_EQ(bytes.size(), 1828 + 2 * points);
  std::string why;
  const auto back = DecodeMapDat(bytes, &why);
  ASSERT_TRUE(back.has_value()) << why;
  EXPECT_EQ(*back, level);
  // The first group's count is little-endian right after the 1800 cell bytes, then column, row.
  ASSERT_FALSE(level.spawns[0].empty());
  EXPECT_EQ(bytes[1800], level.spawns[0].size());
  EXPECT_EQ(bytes[1801] | bytes[1802] | bytes[1803], 0);
  EXPECT_EQ(bytes[1804], level.spawns[0][0].column);
  EXPECT_EQ(bytes[1805], level.spawns[0][0].row);

  Bytes truncated(bytes.begin(), bytes.end() - 1);
  EXPECT_FALSE(DecodeMapDat(truncated, &why).has_value());
  EXPECT_NE(why.find("ends at byte"), std::string::npos) << why;
}

TEST(LevelRules, GoodFixturePasses) {
  const auto problems = CheckLevel(FixtureLevel("good.txt"));
  EXPECT_TRUE(problems.empty()) << Joined(problems);
}

// Each fixture is the good one with one rule broken; the message must name what is wrong.
TEST(LevelRules, EachBrokenRuleIsReported) {
  const struct {
    const char* fixture;
    const char* message;
  } cases[] = {
      {"hud_band_painted.txt", "the HUD band"},
      {"border_open.txt", "the border does not enclose the figure"},
      {"too_few_spawns.txt", "spawn group 3 has too few points: 1,"},
      {"spawn_in_wall.txt", "(cell 20,33): its boxes overlap a solid cell"},
      {"figure_in_air.txt", "the figure does not stand on a floor"},
      {"walker_in_air.txt", "the walker does not stand on a floor"},
      {"walker_leaves_grid.txt", "the walker's look-ahead leaves the grid"},
      {"walker_overhang.txt", "the walker runs into a solid cell"},
      {"mover_short_shaft.txt", "pixels of travel"},
      {"mover_no_ceiling.txt",
       "group 2 point 1 (cell 26,20): the vertical mover's shaft has no ceiling"},
      {"crawler_in_air.txt", "the crawler touches no solid block"},
      {"crawler_pierces.txt", "the crawler crawls into a solid cell"},
      {"unreachable_floor.txt",
       "(cell 5,34): one jump of at most 91 px at a time does not take the figure from here to the "
       "floor of group 0 point 0"},
      {"walker_unreachable.txt",
       "group 1 point 0 (cell 47,23): one jump of at most 91 px at a time does not take the figure "
       "to the walker's floor"},
  };
  for (const auto& c : cases) {
    const auto problems = CheckLevel(FixtureLevel(c.fixture));
    bool found = false;
    for (const std::string& p : problems) found = found || p.find(c.message) != std::string::npos;
    EXPECT_TRUE(found) << c.fixture << " should report \"" << c.message
                       << "\", got:" << Joined(problems);
  }
}

TEST(LevelRules, SpawnOutsideTheGridIsReported) {
  Level level = FixtureLevel("good.txt");
  level.spawns[2].push_back({50, 10});
  const auto problems = CheckLevel(level);
  ASSERT_FALSE(problems.empty());
  EXPECT_NE(Joined(problems).find("(cell 50,10): outside the 50x36 grid"), std::string::npos)
      << Joined(problems);
}

TEST(FontFile, NumbersAreReadLikeTheGame) {
  const std::string text = "12,,-3 4-5 x7y -\n9";
  const std::vector<int> numbers = FontNumbers(Bytes(text.begin(), text.end()));
  // "-" alone gives 0; the final 9 has no separator after it and is dropped.
  EXPECT_EQ(numbers, (std::vector<int>{12, -3, 4, 7, 0}));
}

TEST(FontFile, MissingFinalSeparatorIsReported) {
  Bytes metrics = Committed("gfx/font.dat");
  ASSERT_FALSE(metrics.empty());
  ASSERT_EQ(metrics.back(), '\n');
  metrics.pop_back();
  const auto problems = CheckFont(metrics, Committed("gfx/font.png"));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("260 numbers"), std::string::npos) << problems[0];
}
