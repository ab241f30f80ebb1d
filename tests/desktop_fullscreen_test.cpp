// Fullscreen in the desktop game as a player meets it: a 1920x1080 Xvfb with a window manager,
// the real executable, keys typed through XTEST (xdotool) and screenshots of the whole screen
// (ImageMagick's import). F11 and Alt+Enter each make the window cover the screen with the 800x576
// picture scaled by 1080/576 and centred, the game still answers its keys, and the same key gives
// back the 800x576 window where it was.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "support/headless_run.h"
#include "support/x_server.h"

using testing_support::Eventually;
using testing_support::FindGameWindow;
using testing_support::HaveGfx;
using testing_support::OnDisplay;
using testing_support::ReadFile;
using testing_support::StartProcess;
using testing_support::StopProcess;
using testing_support::TempDir;
using testing_support::WindowManager;
using testing_support::Xvfb;

namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 1920, kScreenHeight = 1080;
// The picture at 1080/576 = 1.875 times its size is 1500 pixels wide, 210 from the left.
constexpr double kScale = 1.875;
constexpr int kLeft = 210;

struct Geometry {
  int x = -1, y = -1, width = 0, height = 0;
  bool operator==(const Geometry&) const = default;
};

// The whole screen, 8-bit RGB.
struct Screen {
  std::string rgb;

  bool Yellow(int x, int y) const { return Is(x, y, 255, 255, 0); }
  bool Is(int x, int y, int r, int g, int b) const {
    if (rgb.size() != size_t(kScreenWidth) * kScreenHeight * 3) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(rgb.data()) + (y * kScreenWidth + x) * 3;
    return p[0] == r && p[1] == g && p[2] == b;
  }
  // A menu line's upper bar fills game rows y - 24 and y - 23; the middle of it, scaled.
  bool ScaledBarAbove(int line_y) const {
    const int y = int((line_y - 23) * kScale);
    return Yellow(kLeft + 2, y) && Yellow(kLeft + 750, y) && Yellow(kLeft + 1497, y);
  }
};

class DesktopFullscreen : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!HaveGfx()) GTEST_SKIP() << "gfx/ is missing: the game cannot start";
    xvfb_ = std::make_unique<Xvfb>(false, "1920x1080x24");
    if (xvfb_->display().empty()) GTEST_SKIP() << "Xvfb could not start";
    wm_ = std::make_unique<WindowManager>(xvfb_->display(), dir_.File(".wm"));
    if (!wm_->ready()) GTEST_SKIP() << "openbox is missing or did not start";
    fs::create_directory_symlink(fs::path(STOMP_SOURCE_DIR) / "gfx", dir_.File("gfx"));
    game_ = StartProcess({STOMP_DESKTOP_EXE}, dir_.path(), dir_.File(".output"),
                         {{"DISPLAY", xvfb_->display()}, {"WAYLAND_DISPLAY", std::nullopt}});
  }
  void TearDown() override { StopProcess(game_); }

  std::string X(const std::string& args) { return OnDisplay(xvfb_->display(), args); }
  Geometry WindowGeometry() {
    Geometry g;
    const std::string info = X("xwininfo -id " + window_);
    const auto read = [&](const char* label, int& value) {
      const size_t at = info.find(label);
      if (at != std::string::npos) value = std::stoi(info.substr(at + std::string(label).size()));
    };
    read("Absolute upper-left X:", g.x);
    read("Absolute upper-left Y:", g.y);
    read("Width:", g.width);
    read("Height:", g.height);
    return g;
  }
  Screen Shot() { return Screen{X("import -window root -depth 8 rgb:-")}; }
  std::string Output() { return ReadFile(dir_.File(".output")).value_or(""); }

  TempDir dir_;
  std::unique_ptr<Xvfb> xvfb_;
  std::unique_ptr<WindowManager> wm_;
  pid_t game_ = 0;
  std::string window_;
};

TEST_P(DesktopFullscreen, CoversTheScreenScaledAndGivesTheWindowBack) {
  const std::string toggle = GetParam();
  ASSERT_TRUE(Eventually([&] {
    window_ = FindGameWindow(xvfb_->display());
    return !window_.empty() || waitpid(game_, nullptr, WNOHANG) == game_;
  }));
  ASSERT_FALSE(window_.empty()) << "no window appeared; output: " << Output();
  // Its place is final once the window manager has framed it.
  ASSERT_TRUE(Eventually([&] {
    return X("xprop -id " + window_ + " _NET_FRAME_EXTENTS").find('=') != std::string::npos;
  }));
  X("timeout 20 xdotool windowactivate --sync " + window_);
  const Geometry windowed = WindowGeometry();
  ASSERT_EQ(windowed.width, 800);
  ASSERT_EQ(windowed.height, 576);
  // The menu in the window at 1:1: the first line's bar.
  ASSERT_TRUE(Eventually([&] { return Shot().Yellow(windowed.x + 400, windowed.y + 177); }))
      << Output();

  X("xdotool key " + toggle);
  EXPECT_TRUE(Eventually([&] {
    return WindowGeometry() == Geometry{0, 0, 1920, 1080};
  })) << "the window does not cover the screen";
  Screen shot;
  EXPECT_TRUE(Eventually([&] { return (shot = Shot()).ScaledBarAbove(200); }))
      << "no scaled selection bar";
  EXPECT_FALSE(shot.ScaledBarAbove(264));
  for (int x : {0, kLeft - 1, kLeft + 1500, kScreenWidth - 1})
    EXPECT_TRUE(shot.Is(x, 540, 0, 0, 0)) << "the margin at x = " << x;

  // The game still answers its keys: the selection moves to the second line.
  X("xdotool key Down");
  EXPECT_TRUE(Eventually([&] {
    shot = Shot();
    return shot.ScaledBarAbove(264) && !shot.ScaledBarAbove(200);
  })) << "Down did not move the selection";

  X("xdotool key " + toggle);
  EXPECT_TRUE(Eventually([&] { return WindowGeometry() == windowed; }))
      << "the window did not come back where it was";
  EXPECT_TRUE(Eventually([&] { return Shot().Yellow(windowed.x + 400, windowed.y + 241); }))
      << "the window does not show the picture at 1:1";
}

INSTANTIATE_TEST_SUITE_P(Keys, DesktopFullscreen, ::testing::Values("F11", "alt+Return"),
                         [](const auto& info) {
                           return std::string(info.index == 0 ? "F11" : "AltEnter");
                         });

TEST(DesktopWindow, CarriesTheIconOfTheGame) {
  if (!HaveGfx()) GTEST_SKIP() << "gfx/ is missing: the game cannot start";
  Xvfb xvfb;
  if (xvfb.display().empty()) GTEST_SKIP() << "Xvfb could not start";
  TempDir dir;
  fs::create_directory_symlink(fs::path(STOMP_SOURCE_DIR) / "gfx", dir.File("gfx"));
  pid_t game = StartProcess({STOMP_DESKTOP_EXE}, dir.path(), dir.File(".output"),
                            {{"DISPLAY", xvfb.display()}, {"WAYLAND_DISPLAY", std::nullopt}});
  std::string window;
  EXPECT_TRUE(Eventually([&] { return !(window = FindGameWindow(xvfb.display())).empty(); }));
  EXPECT_TRUE(Eventually([&] {
    const std::string icon = OnDisplay(xvfb.display(), "xprop -id " + window + " _NET_WM_ICON");
    return icon.find("Icon (64 x 64)") != std::string::npos;
  }));
  StopProcess(game);
}

}  // namespace
