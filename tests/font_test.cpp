#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/pixmap.h"
#include "engine/stream.h"
#include "game/font.h"
#include "support/headless_run.h"
#include "support/recording_driver.h"

using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

// Loads fonts of 1x1-pixel cells from metrics text written by the test; the sheet is a 16x16 PNG,
// exactly 256 cells.
class FontLoadTest : public testing::Test {
 protected:
  FontLoadTest() {
    TPixmapPtr sheet = TPixmap::Create(16, 16, PF_RGBA8888);
    std::memset(sheet->pixels, 255, sheet->pitch * sheet->height);
    EXPECT_TRUE(SavePixmapPNG(*sheet, dir.File("f.png")));
  }
  std::unique_ptr<TFo> Load(const std::string& metrics) {
    WriteFile(dir.File("f.dat"), metrics);
    return TFo::Load(dir.File("f"), 1);
  }
  // "0 1 2 ... n-1" separated by `separator`, with one more separator after the last number.
  static std::string Counting(int n, const std::string& separator = " ") {
    std::string text;
    for (int i = 0; i < n; ++i) text += std::to_string(i) + separator;
    return text;
  }

  TempDir dir;
};

TEST_F(FontLoadTest, NumbersFillWidthsThenSpacingAndAlignments) {
  std::unique_ptr<TFo> font = Load(Counting(256, "\n") + "2 3 4 5 1\n");
  EXPECT_EQ(font->sz, 1);
  EXPECT_EQ(font->ws[0], 0);
  EXPECT_EQ(font->ws['A'], 65);
  EXPECT_EQ(font->ws[255], 255);
  EXPECT_EQ(font->sp, 2);
  EXPECT_EQ(font->yb, 3);
  EXPECT_EQ(font->yc, 4);
  EXPECT_EQ(font->yt, 5);
  EXPECT_EQ(font->xo, 1);
  ASSERT_TRUE(font->img);
  EXPECT_EQ(font->img->FrameCount(), 256);
}

TEST_F(FontLoadTest, AnyNonNumberByteSeparatesAndRunsOfThemCountOnce) {
  std::unique_ptr<TFo> font = Load(",,\t\r\n  7,8\t9\r\n10 x 11+12.13abc14def15");
  const int expected[] = {7, 8, 9, 10, 11, 12, 13, 14};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(font->ws[i], expected[i]) << "token " << i;
  EXPECT_EQ(font->ws[8], 0) << "the last number has no separator after it";
}

TEST_F(FontLoadTest, MinusSignBelongsToTheToken) {
  std::unique_ptr<TFo> font = Load("-7 5-3 - --4 12- ");
  EXPECT_EQ(font->ws[0], -7);
  EXPECT_EQ(font->ws[1], 5);
  EXPECT_EQ(font->ws[2], 0);
  EXPECT_EQ(font->ws[3], 0);
  EXPECT_EQ(font->ws[4], 12);
}

TEST_F(FontLoadTest, PendingTokenAtTheEndIsDropped) {
  std::unique_ptr<TFo> font = Load(Counting(260) + "99");
  EXPECT_EQ(font->yt, 259);
  EXPECT_EQ(font->xo, 0);
}

TEST_F(FontLoadTest, NumbersPastTheLastValueAreIgnoredAndMissingOnesStayZero) {
  std::unique_ptr<TFo> full = Load(Counting(400));
  EXPECT_EQ(full->ws[255], 255);
  EXPECT_EQ(full->xo, 260);

  std::unique_ptr<TFo> partial = Load("4 4 4\n");
  EXPECT_EQ(partial->ws[2], 4);
  EXPECT_EQ(partial->ws[3], 0);
  EXPECT_EQ(partial->sp + partial->yb + partial->yc + partial->yt + partial->xo, 0);
}

TEST_F(FontLoadTest, MissingOrUnusableFilesStopWithTheFileNamed) {
  struct Case {
    const char* name;
    const char* missing;  // file removed before loading
    std::string sheet;    // replaces f.png unless empty
    const char* named;
  };
  const Case cases[] = {
      {"no metrics", "f.dat", "", "f.dat"},
      {"no sheet", "f.png", "", "f.png"},
      {"sheet is not a PNG", nullptr, "not a png", "f.png"},
  };
  for (const Case& c : cases) {
    WriteFile(dir.File("f.dat"), "1 2 3\n");
    if (!c.sheet.empty()) WriteFile(dir.File("f.png"), c.sheet);
    if (c.missing) std::remove(dir.File(c.missing).c_str());
    try {
      TFo::Load(dir.File("f"), 1);
      ADD_FAILURE() << c.name << ": loaded";
    } catch (const TRuntimeError& error) {
      EXPECT_NE(std::string(error.what()).find(dir.File(c.named)), std::string::npos)
          << c.name << ": " << error.what();
    }
  }
}

TEST_F(FontLoadTest, SheetWithFewerThan256CellsIsRefused) {
  TPixmapPtr small = TPixmap::Create(16, 15, PF_RGBA8888);
  std::memset(small->pixels, 255, small->pitch * small->height);
  ASSERT_TRUE(SavePixmapPNG(*small, dir.File("f.png")));
  EXPECT_THROW(Load("1\n"), TRuntimeError);
}

TEST(FontWidthTest, SumOfAdvancesLessOneSpacingAndTheOffset) {
  TFo font;
  font.ws['A'] = 10;
  font.ws['i'] = 3;
  font.sp = 2;
  font.xo = 1;
  EXPECT_EQ(font.GW("AA"), 21);
  EXPECT_EQ(font.GW("AiA"), 26);
  EXPECT_EQ(font.GW("A"), 9);
  EXPECT_EQ(font.GW(""), -3);
  EXPECT_EQ(font.GW("\xFF"), -1) << "a byte above 127 uses its own width (0 here)";
}

// Cells of one pixel, so a glyph's quad starts exactly where the font placed it.
TEST_F(FontLoadTest, DrawPlacesCellsByAlignment) {
  std::string metrics;
  for (int code = 0; code < 256; ++code) {
    metrics += code == 'A' ? "10 " : code == 'B' ? "-4 " : "0 ";
  }
  std::unique_ptr<TFo> font = Load(metrics + "2 3 4 5 1\n");  // sp yb yc yt xo
  RecordingDriver rec;
  rec.Open();

  struct Case {
    const char* text;
    int xalign, yalign;
    std::vector<float> lefts;
    float top;
  };
  const Case cases[] = {
      {"AA", 0, 2, {99, 111}, 46}, {"AA", 1, 2, {78, 90}, 46},
      {"AA", 2, 2, {89, 101}, 46},  // width 21 moves the text by 10
      {"B", 2, 2, {101}, 46},       // width -5 moves it by -2, toward zero
      {"AA", 7, 1, {99, 111}, 47}, {"AA", 0, 0, {99, 111}, 45},
      {"AA", 0, 9, {99, 111}, 45}, {"", 2, 2, {}, 0},
  };
  for (const Case& c : cases) {
    rec.Clear();
    font->Dr(c.text, 100, 50, c.xalign, c.yalign);
    ASSERT_EQ(rec.quads.size(), c.lefts.size()) << '"' << c.text << "\" " << c.xalign;
    for (size_t i = 0; i < c.lefts.size(); ++i) {
      EXPECT_EQ(rec.quads[i].Left(), c.lefts[i])
          << '"' << c.text << "\" " << c.xalign << " cell " << i;
      EXPECT_EQ(rec.quads[i].Top(), c.top) << '"' << c.text << "\" " << c.yalign;
    }
  }
}

}  // namespace
