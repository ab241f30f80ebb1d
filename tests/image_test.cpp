// Loading, cutting and masking images, handles, and how frames become drawable: through the
// recording driver, so no GL is needed.
#include <gtest/gtest.h>
#include <png.h>

#include "engine/graphics.h"
#include "engine/image.h"
#include "support/png_fixtures.h"
#include "support/recording_driver.h"

namespace {

class Images : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { dir_ = FixtureDir("image"); }
  void TearDown() override { AutoMidHandle(0); }
  static std::string Path(const std::string& name) { return dir_ + "/" + name; }

  // An RGB sheet whose 16 x 16 cell c (numbered along rows) is filled with red = 10 + c.
  static std::string Sheet(const std::string& name, int width, int height) {
    std::vector<uint8_t> samples;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int cell = y / 16 * (width / 16) + x / 16;
        samples.insert(samples.end(),
                       {static_cast<uint8_t>(x / 16 < width / 16 ? 10 + cell : 1), 5, 5});
      }
    }
    return WritePng(Path(name), width, height, PNG_COLOR_TYPE_RGB, 8, samples);
  }

  static inline std::string dir_;
};

int Red(const TImage& image, int frame, int x = 0, int y = 0) {
  return image.pixmaps[frame]->PixelPtr(x, y)[0];
}

TEST_F(Images, SheetCellsAreNumberedAlongRowsThenDown) {
  const std::string sheet = Sheet("sheet.png", 64, 32);
  TImagePtr all = LoadAnimImage(sheet, 16, 16, 0, 8);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->FrameCount(), 8);
  EXPECT_EQ(all->width, 16);
  EXPECT_EQ(Red(*all, 4), 10 + 4);          // the cell at (0, 16)
  EXPECT_EQ(Red(*all, 7, 15, 15), 10 + 7);  // the cell at (48, 16), to its last pixel

  TImagePtr tail = LoadAnimImage(sheet, 16, 16, 2, 6);
  ASSERT_TRUE(tail);
  EXPECT_EQ(Red(*tail, 0), 10 + 2);

  EXPECT_EQ(LoadAnimImage(sheet, 16, 16, 2, 7), nullptr);  // 9 cells asked of 8
}

TEST_F(Images, PartialCellsAtTheEdgeAreIgnored) {
  const std::string sheet = Sheet("wide.png", 70, 16);
  TImagePtr four = LoadAnimImage(sheet, 16, 16, 0, 4);
  ASSERT_TRUE(four);
  EXPECT_EQ(Red(*four, 3, 15, 0), 10 + 3);
  EXPECT_EQ(LoadAnimImage(sheet, 16, 16, 0, 5), nullptr);
  EXPECT_EQ(LoadAnimImage(Path("missing.png"), 16, 16, 0, 1), nullptr);
  EXPECT_EQ(LoadImage(Path("missing.png")), nullptr);
}

TEST_F(Images, DefaultFlagsMaskBlackButKeepAnAlphaChannel) {
  // Left pixel black, right pixel grey, in RGB and in RGBA (black there fully opaque).
  const std::string rgb =
      WritePng(Path("rgb.png"), 2, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 0, 90, 60, 30});
  const std::string rgba = WritePng(Path("rgba.png"), 2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8,
                                    {0, 0, 0, 255, 90, 60, 30, 100});
  const std::string gray_alpha =
      WritePng(Path("ga.png"), 2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {0, 200, 70, 20});

  TImagePtr masked = LoadImage(rgb);
  ASSERT_TRUE(masked);
  EXPECT_EQ(masked->flags, MASKEDIMAGE | FILTEREDIMAGE);
  const uint8_t* black = masked->pixmaps[0]->PixelPtr(0, 0);
  EXPECT_EQ(std::vector<int>(black, black + 4), (std::vector<int>{90, 60, 30, 0}));
  EXPECT_EQ(masked->pixmaps[0]->PixelPtr(1, 0)[3], 255);

  TImagePtr with_alpha = LoadImage(rgba);
  ASSERT_TRUE(with_alpha);
  EXPECT_EQ(with_alpha->pixmaps[0]->PixelPtr(0, 0)[3], 255);
  EXPECT_EQ(with_alpha->pixmaps[0]->PixelPtr(1, 0)[3], 100);

  TImagePtr ga = LoadImage(gray_alpha);
  ASSERT_TRUE(ga);
  const uint8_t* second = ga->pixmaps[0]->PixelPtr(1, 0);
  EXPECT_EQ(std::vector<int>(second, second + 4), (std::vector<int>{70, 70, 70, 20}));

  TImagePtr unmasked = LoadImage(rgb, FILTEREDIMAGE);
  ASSERT_TRUE(unmasked);
  EXPECT_EQ(unmasked->pixmaps[0]->format, PF_RGB888);
}

TEST_F(Images, MidHandleOnlyForImagesMadeAfterSwitchingItOn) {
  TImagePtr before = CreateImage(800, 576, 1, -1);
  AutoMidHandle(1);
  TImagePtr after = CreateImage(16, 32, 2, -1);
  TImagePtr loaded = LoadAnimImage(Sheet("handle.png", 32, 16), 16, 16, 0, 2);
  EXPECT_EQ(before->handle_x, 0.0f);
  EXPECT_EQ(after->handle_x, 8.0f);
  EXPECT_EQ(after->handle_y, 16.0f);
  EXPECT_EQ(loaded->handle_y, 8.0f);
  EXPECT_EQ(before->flags, MASKEDIMAGE | FILTEREDIMAGE | DYNAMICIMAGE);
  EXPECT_EQ(CreateImage(4, 4, 1, 0)->flags, DYNAMICIMAGE);
  // A created frame has no pixels until written; locking gives a blank one of the image's size.
  EXPECT_EQ(after->pixmaps[1], nullptr);
  EXPECT_EQ(after->Lock(1, 1, 0)->width, 16);
}

class ImageDrawing : public Images {
 protected:
  void SetUp() override {
    AutoMidHandle(1);
    image = LoadAnimImage(Sheet("draw.png", 32, 32), 32, 32, 0, 1);
    other = LoadAnimImage(Sheet("other.png", 16, 16), 16, 16, 0, 1);
    ASSERT_TRUE(image && other);
    rec.Open();
  }
  RecordingDriver rec;
  TImagePtr image, other;
};

TEST_F(ImageDrawing, TexturesAreMadeAtTheFirstDrawOfEachGeneration) {
  EXPECT_EQ(image->frames[0], nullptr);  // loading made none
  DrawImage(*image, 100, 50);
  DrawImage(*image, 120, 50);
  EXPECT_EQ(rec.Calls("CreateFrameFromPixmap"), 1);
  ASSERT_EQ(rec.quads.size(), 2u);
  EXPECT_EQ(rec.quads[0].pixmap, image->pixmaps[0].get());

  image->Lock(0, 1, 1);  // written: rebuilt at the next draw
  DrawImage(*image, 100, 50);
  EXPECT_EQ(rec.Calls("CreateFrameFromPixmap"), 2);

  rec.Open();  // a new context: every frame is rebuilt
  DrawImage(*image, 100, 50);
  EXPECT_EQ(rec.Calls("CreateFrameFromPixmap"), 1);
}

TEST_F(ImageDrawing, SameTextureTwiceBindsOnce) {
  DrawImage(*image, 0, 0);
  DrawImage(*image, 10, 0);
  EXPECT_EQ(rec.StateChanges("BindTexture"), 1);
  EXPECT_EQ(rec.StateChanges("EnableTexturing"), 1);
  DrawImage(*other, 0, 0);
  DrawImage(*image, 0, 0);
  EXPECT_EQ(rec.StateChanges("BindTexture"), 3);
  DrawRect(0, 0, 1, 1);
  DrawImage(*image, 0, 0);
  EXPECT_EQ(rec.StateChanges("EnableTexturing"), 3);  // off for the rectangle, on again
}

TEST_F(ImageDrawing, MidHandledCellTurnsAboutTheDrawingPosition) {
  DrawImage(*image, 100, 50);
  SetRotation(90);
  DrawImage(*image, 100, 50);
  SetRotation(0);
  ASSERT_EQ(rec.quads.size(), 2u);
  const RecordedQuad& plain = rec.quads[0];
  EXPECT_EQ(plain.Left(), 84);
  EXPECT_EQ(plain.Right(), 116);
  EXPECT_EQ(plain.Top(), 34);
  EXPECT_EQ(plain.Bottom(), 66);
  EXPECT_EQ(plain.u1, 1.0f);
  // The frame's top-left corner turns clockwise to the top-right.
  EXPECT_NEAR(rec.quads[1].vertices[0].x, 116, 1e-4);
  EXPECT_NEAR(rec.quads[1].vertices[0].y, 34, 1e-4);
}

TEST_F(ImageDrawing, FramesOutsideTheImageDoNothing) {
  for (int frame : {-1, 1, 1000}) {
    DrawImage(*image, 0, 0, frame);
    GrabImage(*image, 0, 0, frame);
  }
  EXPECT_TRUE(rec.quads.empty());
  EXPECT_EQ(rec.Calls("CreateFrameFromPixmap"), 0);
  EXPECT_EQ(rec.Calls("GrabPixmap"), 0);
}

TEST_F(ImageDrawing, GrabReadsTheImageSizeAtThePositionAndMasks) {
  TImagePtr bg = CreateImage(40, 30, 1, -1);
  GrabImage(*bg, 5, 7, 0);
  ASSERT_EQ(rec.Calls("GrabPixmap"), 1);
  EXPECT_EQ(rec.calls.back().args, (std::vector<float>{5, 7, 40, 30}));
  // The recording driver grabs black: masked, it is transparent.
  EXPECT_EQ(bg->pixmaps[0]->PixelPtr(39, 29)[3], 0);
  DrawImage(*bg, 0, 0);
  EXPECT_EQ(rec.Calls("CreateFrameFromPixmap"), 1);
}

// The null driver draws nothing: its grab is blank, masked like any other grab. A black mask leaves
// it transparent black; another mask colour makes its black opaque.
TEST_F(Images, NullDriverGrabsMaskAsBlank) {
  SetGraphicsDriver(NullDraw2DDriver());
  ASSERT_TRUE(Graphics(64, 48));
  struct Case {
    int mask_red;
    uint8_t alpha;
  } cases[] = {{0, 0}, {255, 255}};
  for (const Case& c : cases) {
    SetMaskColor(c.mask_red, 0, 0);
    TImagePtr grab = CreateImage(40, 30, 1, -1);
    GrabImage(*grab, 0, 0, 0);
    for (int y : {0, 29}) {
      for (int x : {0, 17, 39}) {
        const uint8_t* px = grab->pixmaps[0]->PixelPtr(x, y);
        EXPECT_EQ((std::vector<uint8_t>(px, px + 4)), (std::vector<uint8_t>{0, 0, 0, c.alpha}))
            << "mask red " << c.mask_red << " at " << x << "," << y;
      }
    }
  }
  SetMaskColor(0, 0, 0);
  CloseGraphics();
}

}  // namespace
