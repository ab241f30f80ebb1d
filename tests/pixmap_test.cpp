// Pixmaps, pixel-format conversion, masking, resampling and PNG decoding (no GL needed).
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include "engine/pixmap.h"
#include "support/png_fixtures.h"

namespace {

struct Rgba {
  int r, g, b, a;
  bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << "," << c.a << ")";
}

Rgba At(const TPixmap& p, int x, int y) {
  const uint8_t* q = p.PixelPtr(x, y);
  return {q[0], q[1], q[2], q[3]};
}

TPixmapPtr RgbaPixmap(int width, int height, const std::vector<Rgba>& pixels) {
  TPixmapPtr p = TPixmap::Create(width, height, PF_RGBA8888);
  for (int i = 0; i < width * height; ++i) {
    uint8_t* q = p->PixelPtr(i % width, i / width);
    q[0] = pixels[i].r, q[1] = pixels[i].g, q[2] = pixels[i].b, q[3] = pixels[i].a;
  }
  return p;
}

TEST(Pixmap, RowsAreFourByteAligned) {
  TPixmapPtr rgb = TPixmap::Create(5, 2, PF_RGB888);
  EXPECT_EQ(rgb->pitch, 16);
  EXPECT_EQ(rgb->capacity, 32);
  EXPECT_EQ(rgb->PixelPtr(2, 1), rgb->pixels + 16 + 6);
}

TEST(Pixmap, EveryFormatConvertsToRgba) {
  struct Case {
    int format;
    std::vector<uint8_t> bytes;
    Rgba expected;
  } cases[] = {
      {PF_I8, {77}, {77, 77, 77, 255}},          {PF_A8, {40}, {255, 255, 255, 40}},
      {PF_BGR888, {1, 2, 3}, {3, 2, 1, 255}},    {PF_RGB888, {1, 2, 3}, {1, 2, 3, 255}},
      {PF_BGRA8888, {1, 2, 3, 4}, {3, 2, 1, 4}}, {PF_RGBA8888, {1, 2, 3, 4}, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    TPixmapPtr p = TPixmap::Create(3, 1, c.format);
    std::copy(c.bytes.begin(), c.bytes.end(), p->PixelPtr(2, 0));
    EXPECT_EQ(At(*p->Convert(PF_RGBA8888), 2, 0), c.expected) << "format " << c.format;
  }
}

TEST(Pixmap, WindowSharesMemoryAndCopyDoesNot) {
  TPixmapPtr parent = TPixmap::Create(4, 4, PF_RGB888);
  TPixmapPtr view = parent->Window(1, 2, 2, 2);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->capacity, -1);
  EXPECT_EQ(view->pitch, parent->pitch);
  view->PixelPtr(1, 1)[0] = 99;
  EXPECT_EQ(parent->PixelPtr(2, 3)[0], 99);

  TPixmapPtr copy = view->Copy();
  copy->PixelPtr(1, 1)[0] = 5;
  EXPECT_EQ(parent->PixelPtr(2, 3)[0], 99);
  EXPECT_EQ(copy->pitch, 8);  // its own tight rows, not the parent's

  EXPECT_EQ(parent->Window(3, 3, 2, 1), nullptr);
}

TEST(Pixmap, PasteConvertsAndClipsAtTheEdge) {
  TPixmapPtr target = TPixmap::Create(3, 3, PF_RGBA8888);
  TPixmapPtr source = TPixmap::Create(2, 2, PF_I8);
  for (int i = 0; i < 4; ++i) source->PixelPtr(i % 2, i / 2)[0] = static_cast<uint8_t>(10 + i);
  target->Paste(*source, 2, 2);  // only (0, 0) of the source lands inside
  EXPECT_EQ(At(*target, 2, 2), (Rgba{10, 10, 10, 255}));
  EXPECT_EQ(At(*target, 1, 1), (Rgba{0, 0, 0, 0}));
}

TEST(Masking, MaskColourTakesTheMeanOfItsOtherNeighbours) {
  const Rgba k{0, 0, 0, 255};
  // Row 0: red, black, blue.  Row 1: black, black, green.  Row 2: black, black, black.
  TPixmapPtr p =
      RgbaPixmap(3, 3, {{200, 0, 0, 255}, k, {0, 0, 100, 255}, k, k, {0, 61, 0, 255}, k, k, k});
  TPixmapPtr m = MaskPixmap(*p, 0, 0, 0);
  EXPECT_EQ(At(*m, 0, 0), (Rgba{200, 0, 0, 255}));
  EXPECT_EQ(At(*m, 1, 0), (Rgba{200 / 3, 61 / 3, 100 / 3, 0}));  // red, blue, green around it
  EXPECT_EQ(At(*m, 1, 1), (Rgba{200 / 3, 61 / 3, 100 / 3, 0}));
  EXPECT_EQ(At(*m, 0, 2), (Rgba{0, 0, 0, 0}));  // only black around it
  EXPECT_EQ(At(*m, 2, 2), (Rgba{0, 61, 0, 0}));
}

TEST(Masking, OtherColoursBecomeOpaqueWhateverTheirAlpha) {
  TPixmapPtr p = RgbaPixmap(2, 1, {{10, 20, 30, 7}, {255, 0, 255, 200}});
  TPixmapPtr m = MaskPixmap(*p, 255, 0, 255);
  EXPECT_EQ(At(*m, 0, 0), (Rgba{10, 20, 30, 255}));
  EXPECT_EQ(At(*m, 1, 0), (Rgba{10, 20, 30, 0}));
  // A mask colour out of range matches nothing, not the colour its low bytes name.
  TPixmapPtr black = RgbaPixmap(1, 1, {{0, 0, 0, 9}});
  EXPECT_EQ(At(*MaskPixmap(*black, 256, 0, 0), 0, 0), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(At(*MaskPixmap(*black, 0, -256, 0), 0, 0), (Rgba{0, 0, 0, 255}));
}

// The rule pixel by pixel, as plainly as it can be written: the oracle for the fast masking.
Rgba MaskedPixel(const TPixmap& p, int x, int y, Rgba mask) {
  const auto is_mask = [&](Rgba c) { return c.r == mask.r && c.g == mask.g && c.b == mask.b; };
  Rgba c = At(p, x, y);
  if (!is_mask(c)) return {c.r, c.g, c.b, 255};
  int sum[3] = {0, 0, 0}, count = 0;
  for (int ny = y - 1; ny <= y + 1; ++ny) {
    for (int nx = x - 1; nx <= x + 1; ++nx) {
      if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height) continue;
      const Rgba n = At(p, nx, ny);
      if (is_mask(n)) continue;
      sum[0] += n.r, sum[1] += n.g, sum[2] += n.b;
      ++count;
    }
  }
  return count ? Rgba{sum[0] / count, sum[1] / count, sum[2] / count, 0} : Rgba{0, 0, 0, 0};
}

TEST(Masking, EveryShapeFollowsTheRuleAndAViewIsMaskedWithinItself) {
  uint32_t seed = 12345;
  const auto next = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
  // Thin, square and wide shapes; mostly mask colour, a few rows and columns without any. Black
  // as the mask colour leaves alone the mask pixels without opaque neighbours.
  const std::pair<int, int> shapes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {13, 11}, {40, 6}};
  for (const Rgba mask : {Rgba{40, 0, 40, 255}, Rgba{0, 0, 0, 255}}) {
    for (const auto& [width, height] : shapes) {
      TPixmapPtr p = TPixmap::Create(width + 4, height + 4, PF_RGBA8888);
      for (int y = 0; y < p->height; ++y) {
        for (int x = 0; x < p->width; ++x) {
          const bool masked = next() % 4 != 0 && y != 3;
          uint8_t* q = p->PixelPtr(x, y);
          q[0] = masked ? mask.r : next() % 256, q[1] = masked ? mask.g : 1 + next() % 255;
          q[2] = masked ? mask.b : next() % 256, q[3] = next() % 256;
        }
      }
      TPixmapPtr view = p->Window(2, 2, width, height);
      TPixmapPtr whole_before = p->Copy(), view_before = view->Copy();
      TPixmapPtr masked = MaskPixmap(*view_before, mask.r, mask.g, mask.b);
      MaskRgbaPixmap(*view, mask.r, mask.g, mask.b);
      for (int y = 0; y < p->height; ++y) {
        for (int x = 0; x < p->width; ++x) {
          const bool inside = x >= 2 && y >= 2 && x < width + 2 && y < height + 2;
          const Rgba expected =
              inside ? MaskedPixel(*view_before, x - 2, y - 2, mask) : At(*whole_before, x, y);
          ASSERT_EQ(At(*p, x, y), expected)
              << "mask red " << mask.r << ", " << width << "x" << height << " at " << x << "," << y;
          if (inside) { ASSERT_EQ(At(*masked, x - 2, y - 2), expected) << "copying masking"; }
        }
      }
    }
  }
}

TEST(Resample, SampleCentresAlignAndClampToTheEdge) {
  TPixmapPtr p = RgbaPixmap(4, 1, {{0, 0, 0, 0}, {100, 0, 0, 0}, {200, 0, 0, 0}, {240, 0, 0, 0}});
  TPixmapPtr half = ResamplePixmap(*p, 2, 1);
  EXPECT_EQ(At(*half, 0, 0).r, 50);   // between texels 0 and 1
  EXPECT_EQ(At(*half, 1, 0).r, 220);  // between texels 2 and 3

  TPixmapPtr two = RgbaPixmap(2, 1, {{0, 0, 0, 0}, {200, 0, 0, 0}});
  TPixmapPtr wide = ResamplePixmap(*two, 4, 1);
  EXPECT_EQ(At(*wide, 0, 0).r, 0);  // clamped, not extrapolated
  EXPECT_EQ(At(*wide, 1, 0).r, 50);
  EXPECT_EQ(At(*wide, 2, 0).r, 150);
  EXPECT_EQ(At(*wide, 3, 0).r, 200);
}

class Png : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { dir_ = FixtureDir("pixmap"); }
  static std::string Path(const std::string& name) { return dir_ + "/" + name; }
  static inline std::string dir_;
};

TEST_F(Png, DecodesEachLayoutIntoItsFormat) {
  struct Case {
    const char* name;
    int color_type, bit_depth;
    std::vector<uint8_t> samples;  // a 2 x 1 image
    std::vector<uint8_t> palette, trns;
    int format;
    std::vector<uint8_t> expected;  // the pixmap's bytes of both pixels
  } cases[] = {
      {"gray", PNG_COLOR_TYPE_GRAY, 8, {9, 250}, {}, {}, PF_I8, {9, 250}},
      {"gray2", PNG_COLOR_TYPE_GRAY, 2, {0b11010000}, {}, {}, PF_I8, {255, 85}},
      {"gray_trns",
       PNG_COLOR_TYPE_GRAY,
       8,
       {9, 250},
       {},
       {250},
       PF_RGBA8888,
       {9, 9, 9, 255, 250, 250, 250, 0}},
      {"rgb", PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6}, {}, {}, PF_RGB888, {1, 2, 3, 4, 5, 6}},
      {"rgba",
       PNG_COLOR_TYPE_RGB_ALPHA,
       8,
       {1, 2, 3, 0, 5, 6, 7, 128},
       {},
       {},
       PF_RGBA8888,
       {1, 2, 3, 0, 5, 6, 7, 128}},
      {"gray_alpha",
       PNG_COLOR_TYPE_GRAY_ALPHA,
       8,
       {30, 40, 200, 255},
       {},
       {},
       PF_RGBA8888,
       {30, 30, 30, 40, 200, 200, 200, 255}},
      {"rgb16",
       PNG_COLOR_TYPE_RGB,
       16,
       {1, 99, 2, 99, 3, 99, 250, 0, 251, 0, 252, 0},
       {},
       {},
       PF_RGB888,
       {1, 2, 3, 250, 251, 252}},
      {"palette_trns",
       PNG_COLOR_TYPE_PALETTE,
       8,
       {1, 0},
       {10, 20, 30, 40, 50, 60},
       {0},
       PF_RGBA8888,
       {40, 50, 60, 255, 10, 20, 30, 0}},
  };
  for (const Case& c : cases) {
    const std::string path = WritePng(Path(std::string(c.name) + ".png"), 2, 1, c.color_type,
                                      c.bit_depth, c.samples, c.palette, c.trns);
    TPixmapPtr p = LoadPixmapPNG(path);
    ASSERT_TRUE(p) << c.name;
    EXPECT_EQ(p->width, 2) << c.name;
    EXPECT_EQ(p->format, c.format) << c.name;
    std::vector<uint8_t> bytes(p->pixels, p->pixels + c.expected.size());
    EXPECT_EQ(bytes, c.expected) << c.name;
  }
}

// Gray with alpha is widened in place, in blocks of pixels and then one by one: rows long enough
// for both, each pixel different, stored plain and interlaced (whose passes land out of order).
TEST_F(Png, GrayWithAlphaWidensEveryPixelOfLongRows) {
  constexpr int kWidth = 37, kHeight = 5;
  std::vector<uint8_t> samples;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      samples.push_back(static_cast<uint8_t>(7 * x + 50 * y));
      samples.push_back(static_cast<uint8_t>(255 - 3 * x - y));
    }
  }
  for (int interlace : {PNG_INTERLACE_NONE, PNG_INTERLACE_ADAM7}) {
    const std::string path =
        WritePng(Path("gray_alpha_" + std::to_string(interlace) + ".png"), kWidth, kHeight,
                 PNG_COLOR_TYPE_GRAY_ALPHA, 8, samples, {}, {}, interlace);
    TPixmapPtr p = LoadPixmapPNG(path);
    ASSERT_TRUE(p) << interlace;
    ASSERT_EQ(p->format, PF_RGBA8888);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const uint8_t gray = samples[2 * (y * kWidth + x)];
        const uint8_t alpha = samples[2 * (y * kWidth + x) + 1];
        ASSERT_EQ(At(*p, x, y), (Rgba{gray, gray, gray, alpha}))
            << "pixel " << x << "," << y << " interlace " << interlace;
      }
    }
  }
}

TEST_F(Png, KeepsRowOrderAndPadding) {
  // 3 x 2 RGB: pitch 12 in the pixmap, 9 bytes a row in the file.
  const std::string path = WritePng(Path("rows.png"), 3, 2, PNG_COLOR_TYPE_RGB, 8,
                                    {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6});
  TPixmapPtr p = LoadPixmapPNG(path);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->pitch, 12);
  EXPECT_EQ(p->PixelPtr(0, 0)[0], 1);
  EXPECT_EQ(p->PixelPtr(2, 0)[0], 3);
  EXPECT_EQ(p->PixelPtr(0, 1)[0], 4);
  EXPECT_EQ(p->PixelPtr(2, 1)[2], 6);
}

TEST_F(Png, SaveThenLoadGivesTheSamePixels) {
  TPixmapPtr p = RgbaPixmap(2, 2, {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});
  ASSERT_TRUE(SavePixmapPNG(*p, Path("saved.png")));
  TPixmapPtr back = LoadPixmapPNG(Path("saved.png"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->format, PF_RGBA8888);
  EXPECT_EQ(At(*back, 1, 1), (Rgba{13, 14, 15, 16}));
  EXPECT_FALSE(SavePixmapPNG(*p, Path("no/such/dir/x.png")));
}

TEST_F(Png, BadFilesGiveNoneWithoutAMessage) {
  const std::string good =
      WritePng(Path("good.png"), 8, 8, PNG_COLOR_TYPE_RGB, 8, std::vector<uint8_t>(8 * 8 * 3, 77));
  const std::vector<uint8_t> bytes = ReadBytes(good);
  std::vector<uint8_t> corrupt = bytes;
  corrupt[bytes.size() / 2] ^= 0xFF;  // inside the image data: a CRC or zlib error
  WriteBytes(Path("short.png"), {bytes.begin(), bytes.begin() + 5});
  WriteBytes(Path("signature_only.png"), {bytes.begin(), bytes.begin() + 8});
  WriteBytes(Path("truncated.png"), {bytes.begin(), bytes.begin() + bytes.size() / 2});
  WriteBytes(Path("corrupt.png"), corrupt);
  WriteBytes(Path("text.png"), {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});

  ASSERT_TRUE(LoadPixmapPNG(good));
  for (const char* name : {"missing.png", "short.png", "signature_only.png", "truncated.png",
                           "corrupt.png", "text.png"}) {
    ::testing::internal::CaptureStderr();
    TPixmapPtr p = LoadPixmapPNG(Path(name));
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(p, nullptr) << name;
    EXPECT_EQ(printed, "") << name;
  }
}

// Damage is caught by the CRC of the chunk it lands in. The zlib stream's own checksum at its end
// is not checked: fixing the chunk's CRC over a wrong checksum gives the image.
TEST_F(Png, ChunkChecksumsGuardTheImageData) {
  const std::vector<uint8_t> samples = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
  const std::vector<uint8_t> bytes =
      ReadBytes(WritePng(Path("two.png"), 2, 2, PNG_COLOR_TYPE_RGB, 8, samples));
  // The first chunk after the 8-byte signature and the 25-byte header is the image data.
  constexpr size_t kIdat = 8 + 25;
  const size_t length = static_cast<size_t>(bytes[kIdat]) << 24 | bytes[kIdat + 1] << 16 |
                        bytes[kIdat + 2] << 8 | bytes[kIdat + 3];
  ASSERT_EQ(std::string(bytes.begin() + kIdat + 4, bytes.begin() + kIdat + 8), "IDAT");
  std::vector<uint8_t> wrong_sum = bytes;
  wrong_sum[kIdat + 8 + length - 1] ^= 0xFF;  // the stream's last byte: its checksum
  WriteBytes(Path("stale_crc.png"), wrong_sum);
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0, wrong_sum.data() + kIdat + 4, static_cast<unsigned>(length + 4)));
  for (int i = 0; i < 4; ++i) wrong_sum[kIdat + 8 + length + i] = crc >> (24 - 8 * i) & 0xFF;
  WriteBytes(Path("fixed_crc.png"), wrong_sum);

  EXPECT_EQ(LoadPixmapPNG(Path("stale_crc.png")), nullptr);
  TPixmapPtr p = LoadPixmapPNG(Path("fixed_crc.png"));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->PixelPtr(1, 1)[2], 120);
}

}  // namespace
