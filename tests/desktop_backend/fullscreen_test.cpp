// Fullscreen seen from inside the game: the keys that switch it never reach the key table, and
// what the engine reads back (GrabImage, the viewport's clipping) stays in the game's 800x576
// coordinates while the picture is scaled onto the 1920x1080 screen.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "desktop_backend/session.h"
#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/pixmap.h"
#include "engine/system.h"
// Last: the X headers define macros such as Bool and None that other headers use as names.
#include "support/x_client.h"

namespace {

bool CoversTheScreen() {
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(SDL_GL_GetCurrentWindow(), &width, &height);
  return width == 1920 && height == 1080;
}

// Whether the pointer image the server shows has any visible pixel.
bool PointerVisible() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const bool visible = testing_support::PointerVisible(display).value_or(false);
  XCloseDisplay(display);
  return visible;
}

class FullscreenTest : public DesktopBackendTest {
 protected:
  // Types `keys` and runs frames until F10, typed after them, has arrived, and one frame more: by
  // then the keys have been handled, and a fullscreen switch, which waits for the next present,
  // is made. Answers the hits `code` got meanwhile.
  int HitsOf(const std::string& keys, int code) {
    X("xdotool key " + keys + " F10");
    int hits = 0;
    EXPECT_TRUE(FramesUntil([&] {
      hits += KeyHit(code);
      return KeyHit(121) > 0;
    })) << "F10 never arrived";
    Frame();
    return hits + KeyHit(code);
  }
};

TEST_F(FullscreenTest, ToggleKeysSwitchAndNeverReachTheKeyTable) {
  struct Case {
    const char* keys;
    int code;
    bool toggles;
  };
  for (const Case& c : {Case{"F11", 122, true},
                        {"F11", 122, true},
                        {"Return", 13, false},
                        {"alt+Return", 13, true},
                        {"alt+KP_Enter", 13, true},
                        {"F12", 123, false},
                        {"alt+Return", 13, true}}) {
    const bool was_full = Fullscreen();
    EXPECT_EQ(HitsOf(c.keys, c.code), c.toggles ? 0 : 1) << c.keys;
    EXPECT_EQ(KeyDown(c.code), 0) << c.keys;
    EXPECT_EQ(Fullscreen(), c.toggles != was_full) << c.keys;
  }
}

TEST_F(FullscreenTest, PointerStaysHiddenOverTheWholeScreen) {
  HideMouse();  // as the game does at start-up
  X("xdotool key F11");
  ASSERT_TRUE(FramesUntil(CoversTheScreen)) << "the window did not cover the screen";
  for (const char* place : {"960 540", "100 540", "1900 1000"}) {
    X(std::string("xdotool mousemove ") + place);
    EXPECT_TRUE(FramesUntil([] { return !PointerVisible(); })) << "at " << place;
  }
  X("xdotool key F11");
  ASSERT_TRUE(FramesUntil([] { return !CoversTheScreen(); }));
  X("xdotool mousemove 10 10");
  EXPECT_TRUE(FramesUntil(PointerVisible)) << "outside the window";
  ShowMouse();
}

// A scene with a clipped bar: only the left half of the magenta bar is inside the viewport; and a
// half-transparent blue square blended on black, which the window holds opaque (it has no alpha).
TPixmapPtr DrawAndGrab() {
  SetClsColor(0, 0, 0);
  Cls();
  SetBlend(kBlendMask);
  SetViewport(0, 0, 400, 576);
  SetColor(255, 0, 255);
  DrawRect(0, 300, 800, 4);
  SetViewport(0, 0, 800, 576);
  SetColor(255, 255, 0);
  DrawRect(10, 10, 5, 5);
  SetBlend(kBlendAlpha);
  SetAlpha(0.5f);
  SetColor(0, 0, 255);
  DrawRect(100, 100, 10, 10);
  SetAlpha(1);
  TImagePtr image = CreateImage(800, 576, 1, 0);  // unmasked: the alpha read back is kept
  GrabImage(*image, 0, 0);
  return image->pixmaps[0];
}

bool IsColour(const TPixmap& pixmap, int x, int y, int r, int g, int b) {
  const uint8_t* p = pixmap.PixelPtr(x, y);
  return p[0] == r && p[1] == g && p[2] == b;
}

TEST_F(FullscreenTest, ReadBackAndClippingStayInGameCoordinatesWhenScaled) {
  const TPixmapPtr windowed = DrawAndGrab();
  X("xdotool key F11");
  ASSERT_TRUE(FramesUntil(CoversTheScreen)) << "the window did not cover the screen";
  const TPixmapPtr scaled = DrawAndGrab();

  for (const TPixmapPtr& grab : {windowed, scaled}) {
    ASSERT_EQ(grab->width, 800);
    ASSERT_EQ(grab->height, 576);
    EXPECT_TRUE(IsColour(*grab, 100, 301, 255, 0, 255)) << "inside the viewport";
    EXPECT_TRUE(IsColour(*grab, 700, 301, 0, 0, 0)) << "outside the viewport";
    EXPECT_TRUE(IsColour(*grab, 12, 12, 255, 255, 0));
    EXPECT_TRUE(IsColour(*grab, 16, 12, 0, 0, 0));
    EXPECT_EQ(grab->PixelPtr(105, 105)[3], 255) << "the blended square reads back opaque";
  }
  EXPECT_EQ(std::memcmp(windowed->pixels, scaled->pixels, size_t(windowed->pitch) * 576), 0);
}

}  // namespace
