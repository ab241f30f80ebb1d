#include "desktop_backend/session.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "engine/graphics.h"
#include "engine/system.h"
#include "game/font.h"
#include "game/globals.h"
#include "game/startup.h"
#include "support/world_fixture.h"
#include "support/x_server.h"

namespace {

using namespace std::chrono_literals;

// End() during a case means a key quit the game: exit status 0 must not pass for success.
bool in_case = false;

void FailIfEnded();

class XSession : public ::testing::Environment {
 public:
  void SetUp() override {
    std::atexit(FailIfEnded);
    xvfb_ = std::make_unique<testing_support::Xvfb>(false, "1920x1080x24");
    if (xvfb_->display().empty()) return Fail("Xvfb could not start");
    wm_ = std::make_unique<testing_support::WindowManager>(xvfb_->display(), "/dev/null");
    if (!wm_->ready()) return Fail("openbox is missing or did not start");
    setenv("DISPLAY", xvfb_->display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    SetGraphicsDriver(GLDraw2DDriver());
    if (!Graphics(800, 576)) return Fail("no window: " + GraphicsError());
    ready_ = true;
  }
  void TearDown() override {
    CloseGraphics();  // before the server goes, or SDL would lose its display
    StopServers();
  }
  void StopServers() {
    wm_.reset();
    xvfb_.reset();
  }

  static XSession* instance;
  bool ready_ = false;
  std::string why_not_;
  std::unique_ptr<testing_support::Xvfb> xvfb_;

 private:
  void Fail(const std::string& why) { why_not_ = why; }
  std::unique_ptr<testing_support::WindowManager> wm_;
};

XSession* XSession::instance =
    static_cast<XSession*>(::testing::AddGlobalTestEnvironment(new XSession));

void FailIfEnded() {
  if (!in_case) return;
  std::fputs("the game ended during a test case\n", stderr);
  XSession::instance->StopServers();  // no tear-down runs after _Exit
  std::_Exit(1);
}

SDL_Window* Window() { return SDL_GL_GetCurrentWindow(); }

}  // namespace

void DesktopBackendTest::SetUp() {
  if (!XSession::instance->ready_) GTEST_SKIP() << XSession::instance->why_not_;
  ResetGlobals();
  UseBlankSheets();
  font = TFo::Load("gfx/font", 32);
  ASSERT_TRUE(font) << "gfx/font is missing";
  Frame();  // as in the game, a frame is shown before anything else: gamepads are ready after it
  if (Fullscreen()) SDL_SetWindowFullscreen(Window(), 0);
  ASSERT_TRUE(FramesUntil([] {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(Window(), &width, &height);
    return width == 800 && height == 576;
  })) << "the window did not come back from fullscreen";
  const std::string id = X("xdotool search --name '^Corvane Application$'");
  X("timeout 20 xdotool windowactivate --sync " + id.substr(0, id.find('\n')));
  ASSERT_TRUE(FramesUntil([] { return SDL_GetKeyboardFocus() == Window(); }))
      << "the window did not get the focus";
  FlushKeys();
  in_case = true;
}

void DesktopBackendTest::TearDown() {
  in_case = false;
  ResetGlobals();
}

void DesktopBackendTest::Frame() {
  now = MilliSecs();
  DrawFrame();
  Flip(0);
  std::this_thread::sleep_for(20ms);
}

bool DesktopBackendTest::FramesUntil(const std::function<bool()>& done,
                                     std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Frame();
  }
}

std::string DesktopBackendTest::X(const std::string& command) {
  return testing_support::OnDisplay(XSession::instance->xvfb_->display(), command);
}

bool DesktopBackendTest::Fullscreen() {
  return SDL_GetWindowFlags(Window()) & SDL_WINDOW_FULLSCREEN;
}
