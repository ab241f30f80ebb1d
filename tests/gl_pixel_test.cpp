// What the OpenGL driver puts into the back buffer, read back with glReadPixels on the offscreen
// backend. Pixels are read before Flip, while the back buffer still holds the frame.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/image.h"
#include "support/gl_calls.h"
#include "support/png_fixtures.h"

using testing_support::GLCalls;

namespace {

constexpr int kWidth = 800, kHeight = 576;

struct Rgb {
  int r, g, b;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance = 2) {
  if (std::abs(actual.r - expected.r) <= tolerance &&
      std::abs(actual.g - expected.g) <= tolerance &&
      std::abs(actual.b - expected.b) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << actual << " instead of " << expected;
}

// The back buffer, top row first.
class Frame {
 public:
  Frame() : pixels_(kWidth * kHeight * 4) {
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
  }
  Rgb At(int x, int y) const {
    const uint8_t* p = &pixels_[((kHeight - 1 - y) * kWidth + x) * 4];
    return {p[0], p[1], p[2]};
  }
  // The smallest box holding every pixel that is not black: left, top, right, bottom (exclusive),
  // and how many such pixels there are.
  std::array<int, 5> Painted() const {
    std::array<int, 5> box = {kWidth, kHeight, 0, 0, 0};
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const Rgb c = At(x, y);
        if (c.r == 0 && c.g == 0 && c.b == 0) continue;
        box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1),
               std::max(box[3], y + 1), box[4] + 1};
      }
    }
    return box;
  }

 private:
  std::vector<uint8_t> pixels_;
};

class GLPixels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = FixtureDir("glpixel");
    SetGraphicsDriver(GLDraw2DDriver(), 2);
    opened_ = Graphics(kWidth, kHeight, 0, 60, 0) != nullptr;
  }
  static void TearDownTestSuite() { CloseGraphics(); }

  void SetUp() override {
    ASSERT_TRUE(opened_) << GraphicsError();
    SetBlend(kBlendSolid);
    SetColor(255, 255, 255);
    SetAlpha(1);
    SetRotation(0);
    SetScale(1, 1);
    Cls();
  }
  void TearDown() override { AutoMidHandle(0); }

  static std::string Path(const std::string& name) { return dir_ + "/" + name; }

  // A solid background rectangle to blend onto.
  static void Background(int x, int y, int w, int h, Rgb c) {
    SetBlend(kBlendSolid);
    SetColor(c.r, c.g, c.b);
    SetAlpha(1);
    DrawRect(x, y, w, h);
    SetColor(255, 255, 255);
  }

  static inline std::string dir_;
  static inline bool opened_ = false;
};

TEST_F(GLPixels, BlendModesCombineAsTheirTableSays) {
  const Rgb grey{100, 100, 100}, source{200, 50, 0};
  struct Case {
    int mode;
    float alpha;
    Rgb expected;
    int before = kBlendSolid;  // the mode set just before
  } cases[] = {
      {kBlendMask, 0.6f, source},            // mask: alpha >= 0.5 passes, unblended
      {kBlendMask, 0.49f, grey},             // mask: alpha below 0.5 leaves no pixels
      {kBlendSolid, 0.5f, source},           // solid ignores alpha
      {kBlendAlpha, 0.5f, {150, 75, 50}},    // alpha: src * a + dst * (1 - a), a = 127/255
      {kBlendLight, 0.5f, {200, 125, 100}},  // light: src * a + dst
      {kBlendShade, 0.5f, {78, 20, 0}},      // shade: src * dst
      {7, 0.5f, source, kBlendLight},        // unknown: solid, whatever blended before
      {0, 0.3f, source, kBlendMask},         // unknown after mask: no alpha test either
  };
  int x = 0;
  for (const Case& c : cases) {
    Background(x, 0, 10, 10, grey);
    SetBlend(c.before);
    SetBlend(c.mode);
    SetColor(source.r, source.g, source.b);
    SetAlpha(c.alpha);
    DrawRect(x, 0, 10, 10);
    EXPECT_TRUE(Near(Frame().At(x + 5, 5), c.expected))
        << "mode " << c.mode << " alpha " << c.alpha;
    x += 10;
  }
}

TEST_F(GLPixels, ColourAndAlphaAreClamped) {
  Background(0, 0, 30, 10, {0, 0, 200});
  SetBlend(kBlendAlpha);
  SetColor(300, -5, 128);
  SetAlpha(1.5f);
  DrawRect(0, 0, 10, 10);
  SetAlpha(-0.2f);
  DrawRect(10, 0, 10, 10);
  const Frame frame;
  EXPECT_TRUE(Near(frame.At(5, 5), {255, 0, 128}, 0));
  EXPECT_TRUE(Near(frame.At(15, 5), {0, 0, 200}, 0));
  EXPECT_EQ(TDraw2DGraphics::Current()->color_alpha, -0.2f);
}

TEST_F(GLPixels, RectanglesCoverTheirTransformedArea) {
  struct Case {
    const char* name;
    float rotation, sx, sy;
    float x, y, w, h;
    std::array<int, 5> painted;  // left, top, right, bottom, pixel count
  } cases[] = {
      {"plain", 0, 1, 1, 10, 20, 30, 40, {10, 20, 40, 60, 1200}},
      {"turned 90 about (100,100)", 90, 1, 1, 100, 100, 20, 10, {90, 100, 100, 120, 200}},
      {"scaled 2 x 1", 0, 2, 1, 0, 0, 10, 10, {0, 0, 20, 10, 200}},
      // The scale stretches the rectangle's own width before it turns: 10 wide and 20 tall.
      {"scaled 2 x 1, turned 90", 90, 2, 1, 100, 100, 10, 10, {90, 100, 100, 120, 200}},
      {"negative height", 0, 1, 1, 0, 300, 800, -2, {0, 298, 800, 300, 1600}},
      {"negative width", 0, 1, 1, 50, 50, -5, 3, {45, 50, 50, 53, 15}},
  };
  for (const Case& c : cases) {
    Cls();
    SetRotation(c.rotation);
    SetScale(c.sx, c.sy);
    DrawRect(c.x, c.y, c.w, c.h);
    EXPECT_EQ(Frame().Painted(), c.painted) << c.name;
  }
}

TEST_F(GLPixels, ViewportClipsDrawingButNotCls) {
  SetViewport(10, 20, 30, 40);
  SetClsColor(0, 0, 0);
  Cls();
  DrawRect(0, 0, kWidth, kHeight);
  EXPECT_EQ(Frame().Painted(), (std::array<int, 5>{10, 20, 40, 60, 1200}));
  DrawRect(0, 0, kWidth, kHeight);
  SetClsColor(0, 40, 0);
  Cls();
  EXPECT_TRUE(Near(Frame().At(700, 500), {0, 40, 0}, 0));
  SetClsColor(0, 0, 0);
  SetViewport(0, 0, kWidth, kHeight);
  Cls();
  DrawRect(0, 0, kWidth, kHeight);
  EXPECT_EQ(Frame().Painted()[4], kWidth * kHeight);
}

TEST_F(GLPixels, ImagesKeepAlphaAndMaskBlackOnScreen) {
  // RGB: red, black, blue. RGBA: opaque black, half-transparent white. Gray+alpha: 200 opaque,
  // 100 transparent.
  TImagePtr rgb = LoadImage(
      WritePng(Path("rgb.png"), 3, 1, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 0, 0, 0, 0, 0, 255}));
  TImagePtr rgba = LoadImage(WritePng(Path("rgba.png"), 2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8,
                                      {0, 0, 0, 255, 255, 255, 255, 128}));
  TImagePtr gray =
      LoadImage(WritePng(Path("ga.png"), 2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {200, 255, 100, 0}));
  ASSERT_TRUE(rgb && rgba && gray);
  const Rgb green{0, 255, 0};
  Background(0, 0, 100, 40, green);
  SetBlend(kBlendAlpha);
  DrawImage(*rgb, 10, 10);
  DrawImage(*rgba, 10, 20);
  DrawImage(*gray, 10, 30);
  SetBlend(kBlendMask);
  DrawImage(*rgb, 50, 10);  // mask mode discards the transparent texel
  const Frame f;
  EXPECT_TRUE(Near(f.At(10, 10), {255, 0, 0}));
  EXPECT_TRUE(Near(f.At(11, 10), green));
  EXPECT_TRUE(Near(f.At(12, 10), {0, 0, 255}));
  EXPECT_TRUE(Near(f.At(10, 20), {0, 0, 0}));
  EXPECT_TRUE(Near(f.At(11, 20), {128, 255, 128}));
  EXPECT_TRUE(Near(f.At(10, 30), {200, 200, 200}));
  EXPECT_TRUE(Near(f.At(11, 30), green));
  EXPECT_TRUE(Near(f.At(51, 10), green));
  EXPECT_TRUE(Near(f.At(52, 10), {0, 0, 255}));
}

TEST_F(GLPixels, SheetCellsDrawWithTheirHandleAndTurnAboutIt) {
  // 64 x 32 sheet of 32 x 32 cells: the left cell red, the right one blue.
  std::vector<uint8_t> samples;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 70; ++x) {
      const bool left = x < 32, right = x >= 32 && x < 64;
      samples.insert(samples.end(), {uint8_t(left ? 255 : 0), 0, uint8_t(right ? 255 : 0)});
    }
  }
  AutoMidHandle(1);
  TImagePtr sheet = LoadAnimImage(
      WritePng(Path("sheet.png"), 70, 32, PNG_COLOR_TYPE_RGB, 8, samples), 32, 32, 0, 2);
  ASSERT_TRUE(sheet);
  DrawImage(*sheet, 100, 50, 1);
  Frame frame;
  EXPECT_EQ(frame.Painted(), (std::array<int, 5>{84, 34, 116, 66, 32 * 32}));
  EXPECT_TRUE(Near(frame.At(100, 50), {0, 0, 255}));

  // A 32 x 8 strip turned 90 degrees about (100, 50) stands upright, centred there.
  TImagePtr strip = LoadAnimImage(Path("sheet.png"), 32, 8, 0, 1);
  ASSERT_TRUE(strip);
  Cls();
  SetRotation(90);
  DrawImage(*strip, 100, 50);
  SetRotation(0);
  EXPECT_EQ(Frame().Painted(), (std::array<int, 5>{96, 34, 104, 66, 32 * 8}));
}

TEST_F(GLPixels, TexturesArePowersOfTwoWithTheEdgeRepeated) {
  // 20 x 20: grey with a white last column and a yellow last row.
  std::vector<uint8_t> samples;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      const Rgb c = y == 19 ? Rgb{255, 255, 0} : x == 19 ? Rgb{255, 255, 255} : Rgb{90, 90, 90};
      samples.insert(samples.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)});
    }
  }
  TImagePtr image = LoadImage(WritePng(Path("twenty.png"), 20, 20, PNG_COLOR_TYPE_RGB, 8, samples));
  ASSERT_TRUE(image);
  DrawImage(*image, 0, 0);
  const Frame frame;
  EXPECT_EQ(frame.Painted(), (std::array<int, 5>{0, 0, 20, 20, 400}));  // u, v run 0 .. 0.625
  EXPECT_TRUE(Near(frame.At(18, 5), {90, 90, 90}, 0));
  EXPECT_TRUE(Near(frame.At(19, 5), {255, 255, 255}, 0));
  EXPECT_TRUE(Near(frame.At(5, 19), {255, 255, 0}, 0));

  GLint texture = 0, width = 0, height = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  ASSERT_NE(texture, 0);
  EXPECT_EQ(width, 32);
  EXPECT_EQ(height, 32);
  std::vector<uint8_t> texels(32 * 32 * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  auto texel = [&](int x, int y) {
    return std::vector<uint8_t>(&texels[(y * 32 + x) * 4], &texels[(y * 32 + x) * 4 + 4]);
  };
  EXPECT_EQ(texel(20, 5), texel(19, 5));
  EXPECT_EQ(texel(7, 20), texel(7, 19));
  EXPECT_EQ(texel(20, 20), texel(19, 19));
}

TEST_F(GLPixels, MipmappedImagesGetEveryLevelAndReleasedTexturesAreDeleted) {
  const std::string path = WritePng(Path("flat.png"), 16, 16, PNG_COLOR_TYPE_RGB, 8,
                                    std::vector<uint8_t>(16 * 16 * 3, 120));
  TImagePtr image = LoadImage(path, MASKEDIMAGE | FILTEREDIMAGE | MIPMAPPEDIMAGE);
  ASSERT_TRUE(image);
  DrawImage(*image, 0, 0);
  GLint first = 0, last_width = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &first);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 4, GL_TEXTURE_WIDTH, &last_width);
  EXPECT_EQ(last_width, 1);
  uint8_t smallest[4] = {};
  glGetTexImage(GL_TEXTURE_2D, 4, GL_RGBA, GL_UNSIGNED_BYTE, smallest);
  EXPECT_EQ(smallest[0], 120);
  EXPECT_EQ(smallest[3], 255);

  // New pixels drop the old texture; it is deleted when the next texture is made.
  image->SetPixmap(0, LoadPixmapPNG(path));
  EXPECT_TRUE(glIsTexture(first));
  DrawImage(*image, 0, 0);
  EXPECT_FALSE(glIsTexture(first));

  // A smaller image's levels are reduced from the whole padded texture: level 1 of a flat 20 x 20
  // image in a 32 x 32 texture mixes the repeated edge column 20 with the empty column 21.
  TImagePtr twenty = LoadImage(WritePng(Path("flat20.png"), 20, 20, PNG_COLOR_TYPE_RGB, 8,
                                        std::vector<uint8_t>(20 * 20 * 3, 120)),
                               MASKEDIMAGE | FILTEREDIMAGE | MIPMAPPEDIMAGE);
  ASSERT_TRUE(twenty);
  DrawImage(*twenty, 0, 0);
  std::vector<uint8_t> level1(16 * 16 * 4);
  glGetTexImage(GL_TEXTURE_2D, 1, GL_RGBA, GL_UNSIGNED_BYTE, level1.data());
  const uint8_t* past_edge = &level1[(5 * 16 + 10) * 4];
  EXPECT_EQ(past_edge[0], 60);
  EXPECT_EQ(past_edge[3], 128);
}

TEST_F(GLPixels, GrabbedWindowIsTransparentWhereBlack) {
  Background(100, 10, 10, 10, {255, 0, 0});
  TImagePtr bg = CreateImage(kWidth, kHeight, 1, -1);
  SetBlend(kBlendAlpha);
  GrabImage(*bg, 0, 0, 0);
  const TPixmap& grabbed = *bg->pixmaps[0];
  EXPECT_EQ(grabbed.PixelPtr(105, 15)[0], 255);  // top row first
  EXPECT_EQ(grabbed.PixelPtr(105, 15)[3], 255);
  EXPECT_EQ(grabbed.PixelPtr(0, 0)[3], 0);
  // The grab reads in solid mode and then blends as before.
  SetColor(0, 0, 200);
  SetAlpha(0.5f);
  DrawRect(0, 0, 10, 10);
  EXPECT_TRUE(Near(Frame().At(5, 5), {0, 0, 100}));
  SetAlpha(1);

  Cls();
  Background(0, 0, kWidth, kHeight, {0, 0, 90});
  SetBlend(kBlendAlpha);
  DrawImage(*bg, 0, 0);
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 1024);
  const Frame frame;
  EXPECT_TRUE(Near(frame.At(105, 15), {255, 0, 0}));
  EXPECT_TRUE(Near(frame.At(300, 300), {0, 0, 90}));
}

TEST_F(GLPixels, ANewContextRebuildsTextures) {
  TImagePtr image =
      LoadImage(WritePng(Path("one.png"), 1, 1, PNG_COLOR_TYPE_RGB, 8, {10, 200, 30}));
  ASSERT_TRUE(image);
  DrawImage(*image, 5, 5);
  const int first_seq = image->seqs[0];
  EXPECT_EQ(first_seq, GraphicsSeq());

  ASSERT_TRUE(Graphics(kWidth, kHeight, 0, 60, 0)) << GraphicsError();
  EXPECT_NE(GraphicsSeq(), first_seq);
  SetBlend(kBlendSolid);
  Cls();
  DrawImage(*image, 5, 5);
  EXPECT_EQ(image->seqs[0], GraphicsSeq());
  EXPECT_TRUE(Near(Frame().At(5, 5), {10, 200, 30}, 0));
}

TEST_F(GLPixels, OnlyFilteredImagesBlendTexelsAndEdgesNeverWrap) {
  // 2 x 2: red, blue over green, white. Drawn 16 times enlarged about its centre, each texel
  // covers a 16 x 16 quarter.
  const std::string path = WritePng(Path("quarters.png"), 2, 2, PNG_COLOR_TYPE_RGB, 8,
                                    {255, 0, 0, 0, 0, 255, 0, 255, 0, 255, 255, 255});
  const Rgb red{255, 0, 0}, blue{0, 0, 255}, green{0, 255, 0}, white{255, 255, 255};
  struct Case {
    const char* what;
    int flags;
    float rotation, offset;  // offset: a sub-pixel shift of the drawing position
    Rgb top_left, top_right, bottom_left, bottom_right;
  } cases[] = {
      {"unfiltered", MASKEDIMAGE, 0, 0.25f, red, blue, green, white},
      {"unfiltered, turned", MASKEDIMAGE, 90, 0.25f, green, red, white, blue},
      {"filtered", MASKEDIMAGE | FILTEREDIMAGE, 0, 0.25f, red, blue, green, white},
      {"filtered, turned", MASKEDIMAGE | FILTEREDIMAGE, 90, 0.4f, green, red, white, blue},
  };
  AutoMidHandle(1);
  constexpr int cx = 200, cy = 200;
  for (const Case& c : cases) {
    TImagePtr image = LoadImage(path, c.flags);
    ASSERT_TRUE(image);
    Cls();
    SetRotation(c.rotation);
    SetScale(16, 16);
    DrawImage(*image, cx + c.offset, cy + c.offset);
    SetScale(1, 1);
    SetRotation(0);
    const Frame f;
    // The outermost pixels lie between the edge and the first texel centre: with the edge
    // clamped they show their own texel alone, also when filtered.
    EXPECT_TRUE(Near(f.At(cx - 16, cy - 16), c.top_left)) << c.what;
    EXPECT_TRUE(Near(f.At(cx + 15, cy - 16), c.top_right)) << c.what;
    EXPECT_TRUE(Near(f.At(cx - 16, cy + 15), c.bottom_left)) << c.what;
    EXPECT_TRUE(Near(f.At(cx + 15, cy + 15), c.bottom_right)) << c.what;
    int mixed = 0;
    for (int y = cy - 16; y < cy + 16; ++y) {
      for (int x = cx - 16; x < cx + 16; ++x) {
        const Rgb p = f.At(x, y);
        mixed += !(Near(p, red) || Near(p, blue) || Near(p, green) || Near(p, white));
      }
    }
    if (c.flags & FILTEREDIMAGE) {
      EXPECT_GT(mixed, 16 * 16) << c.what << ": the texels are not blended";
    } else {
      EXPECT_EQ(mixed, 0) << c.what << ": nearest sampling shows only the texels' colours";
    }
  }

  // Red and blue columns drawn at half size: each pixel's sample falls between two columns.
  std::vector<uint8_t> columns;
  for (int pair = 0; pair < 8; ++pair) columns.insert(columns.end(), {255, 0, 0, 0, 0, 255});
  const std::string stripes = WritePng(Path("stripes.png"), 4, 4, PNG_COLOR_TYPE_RGB, 8, columns);
  for (int flags : {int{MASKEDIMAGE}, MASKEDIMAGE | FILTEREDIMAGE}) {
    TImagePtr image = LoadImage(stripes, flags);
    ASSERT_TRUE(image);
    Cls();
    SetScale(0.5f, 0.5f);
    DrawImage(*image, cx, cy);
    SetScale(1, 1);
    const Rgb p = Frame().At(cx - 1, cy - 1);
    EXPECT_EQ(Near(p, red) || Near(p, blue), !(flags & FILTEREDIMAGE)) << "halved: " << p;
  }
}

TEST_F(GLPixels, GrabReadsTheRectangleBelowTheTopEdge) {
  // A green left column over red rows above blue rows, at (30, 100).
  Background(30, 100, 16, 4, {255, 0, 0});
  Background(30, 104, 16, 4, {0, 0, 255});
  Background(30, 100, 1, 8, {0, 255, 0});
  TImagePtr image = CreateImage(16, 8, 1, 0);
  GrabImage(*image, 30, 100, 0);
  const TPixmap& grabbed = *image->pixmaps[0];
  auto at = [&](int x, int y) {
    const uint8_t* p = grabbed.PixelPtr(x, y);
    return Rgb{p[0], p[1], p[2]};
  };
  EXPECT_TRUE(Near(at(0, 0), {0, 255, 0}, 0));
  EXPECT_TRUE(Near(at(0, 7), {0, 255, 0}, 0));
  EXPECT_TRUE(Near(at(1, 0), {255, 0, 0}, 0));
  EXPECT_TRUE(Near(at(15, 3), {255, 0, 0}, 0));
  EXPECT_TRUE(Near(at(1, 4), {0, 0, 255}, 0));
  EXPECT_TRUE(Near(at(15, 7), {0, 0, 255}, 0));
}

TEST_F(GLPixels, TexturesOfAnEarlierContextAreNotDeletedInTheNext) {
  const std::string one = WritePng(Path("one.png"), 1, 1, PNG_COLOR_TYPE_RGB, 8, {10, 200, 30});
  TImagePtr old_image = LoadImage(one);
  ASSERT_TRUE(old_image);
  DrawImage(*old_image, 5, 5);
  GLint old_name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &old_name);

  // The new context hands out names afresh; draw new images until one has the old name.
  ASSERT_TRUE(Graphics(kWidth, kHeight, 0, 60, 0)) << GraphicsError();
  SetBlend(kBlendSolid);
  std::vector<TImagePtr> images;
  GLint name = 0;
  for (int i = 0; i < 8 && name != old_name; ++i) {
    images.push_back(LoadImage(WritePng(Path("new" + std::to_string(i) + ".png"), 1, 1,
                                        PNG_COLOR_TYPE_RGB, 8, {200, 40, 90})));
    DrawImage(*images.back(), 5, 5);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  }
  ASSERT_EQ(name, old_name) << "no new texture got the old one's name";

  old_image.reset();  // its texture died with the old context
  TImagePtr another = LoadImage(one);
  DrawImage(*another, 20, 20);  // a texture creation empties the release queue
  EXPECT_TRUE(glIsTexture(name));
  Cls();
  DrawImage(*images.back(), 5, 5);
  EXPECT_TRUE(Near(Frame().At(5, 5), {200, 40, 90}, 0));
}

TEST_F(GLPixels, RepeatedStateReachesGLOnce) {
  TImagePtr image =
      LoadImage(WritePng(Path("cached.png"), 1, 1, PNG_COLOR_TYPE_RGB, 8, {10, 200, 30}));
  ASSERT_TRUE(image);
  DrawImage(*image, 0, 0);  // the texture exists before counting
  DrawRect(0, 0, 1, 1);
  SetBlend(kBlendSolid);
  struct Case {
    const char* what;
    std::function<void()> twice;  // called twice
    const char* function;
    long arg;
    int calls;
  } cases[] = {
      {"blend mode", [] { SetBlend(kBlendAlpha); }, "glBlendFunc", -1, 1},
      {"blend on", [] { SetBlend(kBlendLight); }, "glEnable", GL_BLEND, 1},
      {"mask", [] { SetBlend(kBlendMask); }, "glAlphaFunc", -1, 1},
      {"texturing on", [&] { DrawImage(*image, 0, 0); }, "glEnable", GL_TEXTURE_2D, 1},
      {"texture bound", [&] { DrawImage(*image, 0, 0); }, "glBindTexture", -1, 1},
      {"texturing off", [] { DrawRect(0, 0, 1, 1); }, "glDisable", GL_TEXTURE_2D, 1},
  };
  for (const Case& c : cases) {
    // Start from the opposite state, so the first call has something to change.
    if (std::string(c.what) == "texture bound") {
      TImagePtr other =
          LoadImage(WritePng(Path("other.png"), 1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}));
      DrawImage(*other, 0, 0);
    }
    if (std::string(c.what) == "texturing on") DrawRect(0, 0, 1, 1);
    if (std::string(c.what) == "texturing off") DrawImage(*image, 0, 0);
    GLCalls::Clear();
    c.twice();
    c.twice();
    EXPECT_EQ(GLCalls::Count(c.function, c.arg), c.calls) << c.what;
  }
}

// Colour set only between quads would make a software rasteriser compile each kind of drawing
// twice (see the driver), so every quad names its colour itself, whatever was set before.
TEST_F(GLPixels, EveryQuadCarriesItsColour) {
  TImagePtr image =
      LoadImage(WritePng(Path("tinted.png"), 1, 1, PNG_COLOR_TYPE_RGB, 8, {10, 200, 30}));
  ASSERT_TRUE(image);
  SetAlpha(0.5f);
  DrawImage(*image, 0, 0);  // the texture exists before counting
  GLCalls::Clear();
  DrawRect(0, 0, 1, 1);
  DrawImage(*image, 0, 0);
  DrawRect(2, 2, 1, 1);
  EXPECT_EQ(GLCalls::Count("glBegin", GL_QUADS), 3);
  EXPECT_EQ(GLCalls::Count("glColor4ubv", 127), 3);
}

}  // namespace
