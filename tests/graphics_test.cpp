// The drawing context and the engine-wide graphics state, through the recording driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "engine/graphics.h"
#include "engine/stream.h"
#include "support/recording_driver.h"

namespace {

// The backend opens the window with both buffers black; the context only clears the back buffer,
// so no frame is presented that the game did not draw.
TEST(GraphicsContext, OpeningSetsTheStateAndClearsWithoutPresenting) {
  RecordingDriver rec;
  const int seq = GraphicsSeq();
  SetGraphicsDriver(&rec, 2);
  TGraphicsPtr g = Graphics(800, 576, 0, 60, 0);
  ASSERT_TRUE(g);
  EXPECT_EQ(GraphicsSeq(), seq + 2);
  EXPECT_EQ(rec.calls.front().args,
            (std::vector<float>{800, 576, 0, 60, 2}));  // default flags added
  EXPECT_EQ(rec.Calls("Cls"), 1);
  EXPECT_TRUE(rec.flips.empty());
  EXPECT_EQ(GraphicsWidth(), 800);

  TDraw2DGraphics* context = TDraw2DGraphics::Current();
  ASSERT_EQ(context, g.get());
  EXPECT_EQ(context->blend_mode, kBlendMask);
  EXPECT_EQ(context->viewport_w, 800);
  EXPECT_EQ(context->viewport_h, 576);
  EXPECT_EQ(context->vres_height, 576.0f);
  EXPECT_EQ(context->_setup, 1);
  auto viewport = std::find_if(rec.calls.begin(), rec.calls.end(),
                               [](const RecordedCall& c) { return c.name == "SetViewport"; });
  ASSERT_NE(viewport, rec.calls.end());
  EXPECT_EQ(viewport->args, (std::vector<float>{0, 0, 800, 576}));

  CloseGraphics();
  EXPECT_EQ(TDraw2DGraphics::Current(), nullptr);
  EXPECT_EQ(GraphicsWidth(), 0);
  EXPECT_EQ(GraphicsSeq(), seq + 3);
  EXPECT_EQ(OpenedGraphics(), nullptr);
}

class FailingDriver : public RecordingDriver {
 public:
  TGraphicsPtr CreateGraphics(int, int, int, int, int) override {
    throw TRuntimeError("no display available");
  }
};

TEST(GraphicsContext, AFailedOpenGivesNoneAndTheReason) {
  FailingDriver failing;
  SetGraphicsDriver(&failing, 2);
  EXPECT_EQ(Graphics(800, 576, 0, 60, 0), nullptr);
  EXPECT_EQ(GraphicsError(), "no display available");
  EXPECT_EQ(TDraw2DGraphics::Current(), nullptr);
  SetColor(1, 2, 3);  // drawing without a context does nothing
  DrawRect(0, 0, 1, 1);
  EXPECT_TRUE(failing.quads.empty());
  SetGraphicsDriver(nullptr, 0);
}

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override { rec.Open(); }
  RecordingDriver rec;
};

TEST_F(Drawing, RepeatedBlendModeReachesTheDriverStateOnce) {
  SetBlend(kBlendAlpha);
  SetBlend(kBlendAlpha);
  EXPECT_EQ(rec.Calls("SetBlend"), 2);
  EXPECT_EQ(rec.StateChanges("SetBlend"), 1);
  SetBlend(kBlendMask);
  EXPECT_EQ(rec.StateChanges("SetBlend"), 2);
  EXPECT_EQ(TDraw2DGraphics::Current()->blend_mode, kBlendMask);
}

TEST_F(Drawing, ColourAndAlphaClampButTheContextKeepsWhatWasSet) {
  struct Case {
    int r, g, b;
    float alpha;
    int expected_r, expected_g, expected_b, expected_alpha;
  } cases[] = {
      {300, -5, 128, 1.5f, 255, 0, 128, 255},
      {0, 255, 1, -0.2f, 0, 255, 1, 0},
      {10, 20, 30, 0.5f, 10, 20, 30, 127},
  };
  for (const Case& c : cases) {
    SetColor(c.r, c.g, c.b);
    SetAlpha(c.alpha);
    DrawRect(0, 0, 1, 1);
    const RecordedQuad& q = rec.quads.back();
    EXPECT_EQ(q.red, c.expected_r);
    EXPECT_EQ(q.green, c.expected_g);
    EXPECT_EQ(q.blue, c.expected_b);
    EXPECT_EQ(q.alpha, c.expected_alpha) << "alpha " << c.alpha;
    EXPECT_EQ(TDraw2DGraphics::Current()->color_alpha, c.alpha);
    EXPECT_EQ(TDraw2DGraphics::Current()->color_red, c.r);
  }
  SetAlpha(std::numeric_limits<float>::quiet_NaN());
  DrawRect(0, 0, 1, 1);
  EXPECT_EQ(rec.quads.back().alpha, 0) << "a NaN alpha draws transparent";
}

TEST_F(Drawing, RectanglesTurnAndScaleAboutTheirTopLeftCorner) {
  struct Case {
    float rotation, sx, sy;
    float x, y, w, h;
    float left, top, right, bottom;
  } cases[] = {
      {0, 1, 1, 10, 20, 30, 40, 10, 20, 40, 60},  {90, 1, 1, 100, 100, 20, 10, 90, 100, 100, 120},
      {0, 2, 1, 0, 0, 10, 10, 0, 0, 20, 10},      {0, 1, 1, 0, 300, 800, -2, 0, 298, 800, 300},
      {180, 1, 1, 50, 50, 10, 5, 40, 45, 50, 50},
  };
  for (const Case& c : cases) {
    SetRotation(c.rotation);
    SetScale(c.sx, c.sy);
    DrawRect(c.x, c.y, c.w, c.h);
    const RecordedQuad& q = rec.quads.back();
    EXPECT_NEAR(q.Left(), c.left, 1e-4) << "rotation " << c.rotation;
    EXPECT_NEAR(q.Top(), c.top, 1e-4) << "rotation " << c.rotation;
    EXPECT_NEAR(q.Right(), c.right, 1e-4) << "rotation " << c.rotation;
    EXPECT_NEAR(q.Bottom(), c.bottom, 1e-4) << "rotation " << c.rotation;
  }
  SetOrigin(5, 6);
  SetRotation(0);
  SetScale(1, 1);
  DrawRect(1, 1, 2, 2);
  EXPECT_EQ(rec.quads.back().Left(), 6);
  EXPECT_EQ(rec.quads.back().Top(), 7);
}

TEST_F(Drawing, FlipPassesTheSyncAndWindowedZeroHertzNeverSyncs) {
  Flip(0);
  Flip(1);
  Flip(-1);
  EXPECT_EQ(rec.flips, (std::vector<int>{0, 1, 0}));
}

TEST(FlipPacing, SixtyHertzTakesExactlyOneSecondWithoutCatchingUp) {
  TFlipPacing pacing;
  pacing.Start(60, 1000);
  std::vector<int> waits;
  for (int frame = 0; frame < 60; ++frame) waits.push_back(pacing.Next(1000));
  EXPECT_EQ(pacing.next_present, 2000);
  EXPECT_EQ(waits[0], 16);
  EXPECT_EQ(waits[2], 50);  // 16, 17, 17 ms: the remainder adds 1 ms to two frames of three

  // Late by far more than a frame: present at once, and pace from now on.
  EXPECT_EQ(pacing.Next(5000), 0);
  EXPECT_EQ(pacing.next_present, 5000);
  EXPECT_EQ(pacing.Next(5000), 17);  // the spread remainder carries on
}

}  // namespace
