#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/image.h"
#include "engine/stream.h"
#include "game/globals.h"
#include "game/level.h"
#include "shell_cwd.h"
#include "support/headless_run.h"
#include "support/recording_driver.h"

namespace {

struct Cell {
  int column, row;
};

// A level file: 1800 cell bytes, then seven groups of a little-endian count and column/row bytes.
class LevelFile {
 public:
  LevelFile() : cells(1800, '\1') { groups[0] = {{1, 1}}; }
  std::string Bytes() const {
    std::string bytes = cells;
    for (const std::vector<Cell>& group : groups) {
      bytes += Int(static_cast<int>(group.size()));
      for (const Cell& cell : group) {
        bytes += static_cast<char>(cell.column);
        bytes += static_cast<char>(cell.row);
      }
    }
    return bytes;
  }
  static std::string Int(int v) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((v >> shift) & 255);
    return bytes;
  }

  std::string cells;
  std::vector<Cell> groups[kSpawnGroups];
};

class LevelTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    std::filesystem::create_directory("gfx");
  }
  void TearDown() override { ResetGlobals(); }
  static void Write(const std::string& bytes) { testing_support::WriteFile("gfx/map.dat", bytes); }

  InTempDir dir;
};

TEST_F(LevelTest, ReadsCellsRowByRowAndPlacesSpawnPointsPerGroup) {
  LevelFile level;
  level.cells[0] = 0;
  level.cells[50 * 3 + 7] = 2;
  level.cells[1799] = 0;
  for (int g = 0; g < kSpawnGroups; ++g) level.groups[g] = {{10, 20}};
  level.groups[1] = {{0, 0}, {49, 35}, {255, 255}};  // off-grid cells are taken as they are
  Write(level.Bytes() + "ignored");
  LoadMap();

  EXPECT_EQ(map[0][0], 0);
  EXPECT_EQ(map[7][3], 2);
  EXPECT_EQ(map[3][7], 1);
  EXPECT_EQ(map[49][35], 0);
  EXPECT_EQ(map[48][35], 1);

  const int expected[kSpawnGroups][2] = {{168, 320}, {168, 328}, {176, 328}, {168, 328},
                                         {176, 320}, {192, 304}, {176, 320}};
  for (int g = 0; g < kSpawnGroups; ++g) {
    if (g == 1) continue;
    ASSERT_EQ(spawns[g].size(), 1u) << "group " << g;
    EXPECT_EQ(spawns[g][0].x, expected[g][0]) << "group " << g;
    EXPECT_EQ(spawns[g][0].y, expected[g][1]) << "group " << g;
  }
  ASSERT_EQ(spawns[1].size(), 3u);
  EXPECT_EQ(spawns[1][1].x, 49 * 16 + 8);
  EXPECT_EQ(spawns[1][1].y, 35 * 16 + 8);
  EXPECT_EQ(spawns[1][2].x, 255 * 16 + 8);
}

TEST_F(LevelTest, CountsAreLittleEndian) {
  LevelFile level;
  std::string bytes = level.Bytes();
  // Group 6 announced by the bytes 03 00 00 00, followed by three points.
  bytes.replace(bytes.size() - 4, 4,
                std::string("\x03\x00\x00\x00", 4) + "\x01\x02\x03\x04\x05\x06");
  Write(bytes);
  LoadMap();
  ASSERT_EQ(spawns[6].size(), 3u);
  EXPECT_EQ(spawns[6][2].x, 5 * 16 + 16);
  EXPECT_EQ(spawns[6][2].y, 6 * 16);
}

// Every level the game cannot play stops it with one message that names the file.
TEST_F(LevelTest, RefusesUnusableLevels) {
  const std::string good = LevelFile().Bytes();
  LevelFile no_start;
  no_start.groups[0].clear();
  no_start.groups[3] = {{4, 4}};
  LevelFile negative;
  const std::string negative_bytes =
      negative.Bytes().substr(0, 1800 + 4 + 2) + LevelFile::Int(-1) + good.substr(1800 + 6 + 4);
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // none: no file
    const char* says;
  };
  const Case cases[] = {
      {"missing", std::nullopt, "cannot be opened"},
      {"empty", "", "ends before"},
      {"cut in the cells", good.substr(0, 1000), "ends before"},
      {"cut in a count", good.substr(0, 1802), "ends before"},
      {"cut in a point", good.substr(0, 1805), "ends before"},
      {"cut in the last count", good.substr(0, good.size() - 1), "ends before"},
      {"negative count", negative_bytes, "negative"},
      {"no start point for the figure", no_start.Bytes(), "group 0"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove("gfx/map.dat");
    if (c.bytes) Write(*c.bytes);
    try {
      LoadMap();
      ADD_FAILURE() << c.name << ": loaded";
    } catch (const TRuntimeError& error) {
      const std::string message = error.what();
      EXPECT_EQ(message.rfind("gfx/map.dat: ", 0), 0u) << c.name << ": " << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << c.name << ": " << message;
    }
  }
}

// Only open cells (value 0) are painted, dark grey, then the whole window is grabbed into bg.
TEST_F(LevelTest, BakePaintsOpenCellsAndGrabsTheWindow) {
  for (auto& column : map) std::fill(std::begin(column), std::end(column), 1);
  map[0][0] = 0;
  map[49][35] = 0;
  map[10][10] = 2;
  RecordingDriver rec;
  rec.Open();
  bg = CreateImage(800, 576, 1, -1);
  BakeMap();

  ASSERT_EQ(rec.quads.size(), 2u);
  EXPECT_EQ(rec.quads[0].Left(), 0);
  EXPECT_EQ(rec.quads[0].Top(), 0);
  EXPECT_EQ(rec.quads[0].Right(), 16);
  EXPECT_EQ(rec.quads[0].Bottom(), 16);
  EXPECT_EQ(rec.quads[1].Left(), 784);
  EXPECT_EQ(rec.quads[1].Top(), 560);
  EXPECT_EQ(rec.quads[1].Right(), 800);
  EXPECT_EQ(rec.quads[1].Bottom(), 576);
  for (const RecordedQuad& quad : rec.quads) {
    EXPECT_EQ(quad.red, 0x44);
    EXPECT_EQ(quad.green, 0x44);
    EXPECT_EQ(quad.blue, 0x44);
  }
  ASSERT_EQ(rec.Calls("GrabPixmap"), 1);
  EXPECT_TRUE(bg->pixmaps[0]);
  const TDraw2DGraphics* g = TDraw2DGraphics::Current();
  EXPECT_EQ(g->color_red + g->color_green + g->color_blue, 3 * 255) << "white again after the bake";
}

}  // namespace
