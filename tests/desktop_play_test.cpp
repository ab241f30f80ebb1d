// The desktop game as a player meets it: a real X server (Xvfb), real key events through the
// XTEST extension (xdotool), screenshots of the window (ImageMagick's import), the close request a
// window manager sends, and the pointer image the server shows. The install is checked the same
// way: `cmake --install` into a temporary prefix, then the launcher starts the game.
// Each case starts its own Xvfb on a free display, so cases can run in parallel.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/headless_run.h"
#include "support/x_server.h"
// Last: the X headers define macros such as Bool and None that other headers use as names.
#include "support/x_client.h"

using testing_support::Capture;
using testing_support::Eventually;
using testing_support::FindGameWindow;
using testing_support::HaveGfx;
using testing_support::kPatience;
using testing_support::OnDisplay;
using testing_support::PointerVisible;
using testing_support::ReadFile;
using testing_support::RequestClose;
using testing_support::StartProcess;
using testing_support::StatsBytes;
using testing_support::StopProcess;
using testing_support::TempDir;
using testing_support::WaitExit;
using testing_support::WriteFile;
using testing_support::Xvfb;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// One screenshot of the window's client area, 8-bit RGB.
struct Shot {
  int width = 0;
  int height = 0;
  std::string rgb;

  bool Is(int x, int y, int r, int g, int b) const {
    const auto* p = reinterpret_cast<const unsigned char*>(rgb.data()) + (y * width + x) * 3;
    return p[0] == r && p[1] == g && p[2] == b;
  }
  // A menu line is selected when both its bars, two rows each, are yellow across the whole width.
  bool BarsAround(int line_y) const {
    for (int y : {line_y - 24, line_y - 23, line_y + 22, line_y + 23})
      for (int x = 0; x < width; ++x)
        if (!Is(x, y, 255, 255, 0)) return false;
    return true;
  }
  // The index of the one framed line among `ys`, -1 when none or several are.
  int Selected(const std::vector<int>& ys) const {
    int found = -1;
    for (int i = 0; i < static_cast<int>(ys.size()); ++i)
      if (BarsAround(ys[i])) found = found == -1 ? i : -2;
    return found < 0 ? -1 : found;
  }
  // Hearts are tinted pure red (shades of it) on the HUD row at y = 60, from x = 32 on.
  int RedOnHeartRow() const {
    int n = 0;
    for (int x = 0; x < 300; ++x) {
      const auto* p = reinterpret_cast<const unsigned char*>(rgb.data()) + (60 * width + x) * 3;
      n += p[0] >= 100 && p[1] == 0 && p[2] == 0;
    }
    return n;
  }
};

const std::vector<int> kMenuLines = {200, 264, 328, 392, 456};
const std::vector<int> kPauseLines = {296, 344};

// The figure is tinted 0x00F0FF: blue above 127 with green at 240/255 of it (the ammunition
// cyan has green equal to blue). The HUD rows above y = 80 are left out. The median column keeps
// the few shards of a wound effect, drawn in the same colour, from moving the answer.
struct FigureSpot {
  int pixels = 0;
  int x = 0;
};

FigureSpot FindFigure(const Shot& shot) {
  std::vector<int> columns;
  for (int y = 80; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const auto* p =
          reinterpret_cast<const unsigned char*>(shot.rgb.data()) + (y * shot.width + x) * 3;
      const int expected_green = (p[2] * 240 + 127) / 255;
      if (p[0] <= 8 && p[2] >= 128 && std::abs(p[1] - expected_green) <= 3) columns.push_back(x);
    }
  FigureSpot spot;
  spot.pixels = static_cast<int>(columns.size());
  if (!columns.empty()) {
    std::nth_element(columns.begin(), columns.begin() + columns.size() / 2, columns.end());
    spot.x = columns[columns.size() / 2];
  }
  return spot;
}

constexpr int kFigurePixels = 40;  // well below the standing frame's, well above a few shards

class DesktopPlay : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveGfx()) GTEST_SKIP() << "gfx/ is missing: the game cannot start";
    xvfb_ = std::make_unique<Xvfb>();
    if (xvfb_->display().empty())
      GTEST_SKIP() << "Xvfb could not start, so there is no X server to play in";
    display_ = xvfb_->display();
    x_ = XOpenDisplay(display_.c_str());
    ASSERT_NE(x_, nullptr) << "cannot connect to " << display_;
  }

  void TearDown() override {
    StopProcess(other_);
    StopProcess(game_);
    if (x_) XCloseDisplay(x_);
  }

  // Starts `argv` with this display, in `dir`, with `env` added; output goes to dir/.output.
  void Launch(const std::vector<std::string>& argv, const std::string& dir,
              const std::map<std::string, std::string>& env = {}) {
    output_ = dir + "/.output";
    // SDL's D-Bus connection keeps a buffer that libdbus frees only at its own shutdown, which
    // SDL never asks for; under LeakSanitizer that would turn every clean exit into a failure.
    const std::string suppressions = dir_.File(".lsan-suppressions");
    WriteFile(suppressions, "leak:libdbus-1.so\n");
    std::string lsan = "suppressions=" + suppressions;
    if (const char* given = std::getenv("LSAN_OPTIONS")) lsan = std::string(given) + ":" + lsan;
    std::map<std::string, std::optional<std::string>> all = {
        {"LSAN_OPTIONS", lsan}, {"DISPLAY", display_}, {"WAYLAND_DISPLAY", std::nullopt}};
    for (const auto& [name, value] : env) all[name] = value;
    game_ = StartProcess(argv, dir, output_, all);
  }

  // The desktop build in a fresh folder that links the repository's gfx/.
  void StartGame() {
    fs::create_directory_symlink(fs::path(STOMP_SOURCE_DIR) / "gfx", dir_.File("gfx"));
    Launch({STOMP_DESKTOP_EXE}, dir_.path());
  }

  std::string X(const std::string& args) { return OnDisplay(display_, args); }

  // Finds the game's window once it is mapped and gives it the keyboard focus (no window manager
  // runs to do that); XTEST key events then go to it like typed keys.
  void FindAndFocusWindow() {
    ASSERT_TRUE(Eventually([&] {
      window_ = FindGameWindow(display_);
      if (!window_.empty()) return true;
      if (waitpid(game_, nullptr, WNOHANG) != game_) return false;
      game_ = 0;  // it ended before showing a window
      return true;
    }));
    ASSERT_FALSE(window_.empty()) << "no window appeared; output: " << Output();
    Focus(window_);
  }

  // --sync waits for the focus change without a limit, and a request lost on a busy server would
  // hang the test: each try is bounded and repeated until the server reports the focus there.
  void Focus(const std::string& window) {
    ASSERT_TRUE(Eventually([&] {
      X("timeout 5 xdotool windowfocus --sync " + window);
      const std::string focused = X("xdotool getwindowfocus");
      return focused.substr(0, focused.find('\n')) == window;
    })) << "window "
        << window << " never got the keyboard focus";
  }
  void Key(const std::string& name) { X("xdotool key " + name); }

  // A screenshot of the window; empty when none could be taken (import can fail on a busy
  // server), which every condition below reads as "not yet".
  Shot Screen() {
    Shot shot;
    if (window_.empty()) return shot;  // import would wait for a click to pick a window
    const std::string info = X("xwininfo -id " + window_);
    std::sscanf(info.c_str() + std::min(info.find("Width:"), info.size()), "Width: %d",
                &shot.width);
    std::sscanf(info.c_str() + std::min(info.find("Height:"), info.size()), "Height: %d",
                &shot.height);
    shot.rgb = X("import -window " + window_ + " -depth 8 rgb:-");
    if (shot.rgb.size() != static_cast<size_t>(shot.width) * shot.height * 3) shot = Shot{};
    return shot;
  }

  // Waits until `expected` is the selected line in two screenshots 200 ms apart (a second move
  // would show within a frame or two); answers the selection last seen.
  int SettlesOn(const std::vector<int>& ys, int expected) {
    int seen = -1;
    Eventually([&] {
      if ((seen = Screen().Selected(ys)) != expected) return false;
      std::this_thread::sleep_for(200ms);
      return (seen = Screen().Selected(ys)) == expected;
    });
    return seen;
  }

  int SelectedAfterKey(const std::string& key, const std::vector<int>& ys, int expected) {
    Key(key);
    return SettlesOn(ys, expected);
  }

  // Starts a game from the menu and waits for the figure to be drawn.
  void StartPlaying() {
    Shot menu;
    ASSERT_TRUE(Eventually([&] { return (menu = Screen()).Selected(kMenuLines) == 0; }))
        << Output();
    EXPECT_EQ(menu.RedOnHeartRow(), 0) << "no hearts before the first game";
    Key("space");
    ASSERT_TRUE(Eventually([&] { return Screen().RedOnHeartRow() > 0; }))
        << "the HUD shows no hearts";
    // The figure appears one second of the game's clock (which is the wall clock) after the
    // start, in its arrival effect's colour; from 1.3 s on what is seen there is the figure.
    const auto shown = Clock::now() + 1300ms;
    ASSERT_TRUE(Eventually([&] {
      return Clock::now() >= shown && FindFigure(Screen()).pixels > kFigurePixels;
    })) << "no figure appeared";
  }

  // The figure's column; a hurt figure blinks white, so frames without it are skipped. -1: not
  // seen.
  int FigureX() {
    FigureSpot spot;
    Eventually([&] { return (spot = FindFigure(Screen())).pixels > kFigurePixels; });
    return spot.pixels > kFigurePixels ? spot.x : -1;
  }

  // The figure's column once it stands still: the same in two looks 300 ms apart. -1: not seen.
  int StillFigureX() {
    int x = -1;
    Eventually([&] {
      const int first = FigureX();
      std::this_thread::sleep_for(300ms);
      x = FigureX();
      return first != -1 && std::abs(x - first) <= 1;
    });
    return x;
  }

  std::string Output() { return ReadFile(output_).value_or(""); }

  TempDir dir_;
  std::unique_ptr<Xvfb> xvfb_;
  Display* x_ = nullptr;  // the test's own connection, as a window manager's
  pid_t game_ = 0;
  pid_t other_ = 0;
  std::string display_;
  std::string window_;
  std::string output_;
};

}  // namespace

TEST_F(DesktopPlay, MenuFollowsRealKeysAndAHeldKeyCountsOnce) {
  StartGame();
  ASSERT_NO_FATAL_FAILURE(FindAndFocusWindow());
  EXPECT_EQ(X("xdotool getwindowname " + window_), "Corvane Application\n");
  Shot first;
  ASSERT_TRUE(Eventually([&] { return (first = Screen()).Selected(kMenuLines) == 0; })) << Output();
  EXPECT_EQ(first.width, 800);
  EXPECT_EQ(first.height, 576);

  struct Step {
    const char* key;
    int selected;
  };
  for (const Step& step : {Step{"Down", 1}, Step{"Down", 2}, Step{"Up", 1}, Step{"Up", 0},
                           Step{"Up", 4}, Step{"Down", 0}})
    EXPECT_EQ(SelectedAfterKey(step.key, kMenuLines, step.selected), step.selected)
        << "after " << step.key;

  // Held for 1.5 s the server repeats the key; the game counts only the first press.
  X("xdotool keydown Down");
  std::this_thread::sleep_for(1500ms);
  X("xdotool keyup Down");
  EXPECT_EQ(SettlesOn(kMenuLines, 1), 1);

  // The close box on the menu quits like the quit line: status 0, nothing saved.
  ASSERT_TRUE(RequestClose(x_, std::stoul(window_)));
  EXPECT_EQ(WaitExit(game_, kPatience), 0) << Output();
  game_ = 0;
  EXPECT_FALSE(fs::exists(dir_.File("stats.dat")));
}

// A window manager that sizes windows itself (a tiling one) may give the game another size than
// it asked for: the picture is then scaled into it as in fullscreen, not drawn in a corner. With
// no window manager here, a resize from outside reaches the window as such a one's would.
TEST_F(DesktopPlay, AWindowResizedFromOutsideShowsThePictureScaled) {
  StartGame();
  ASSERT_NO_FATAL_FAILURE(FindAndFocusWindow());
  ASSERT_TRUE(Eventually([&] { return Screen().Selected(kMenuLines) == 0; })) << Output();
  X("xdotool windowsize " + window_ + " 1000 720");
  // A quarter larger, smoothed: the first line's upper bar, game rows 176 and 177, covers rows 220
  // to 222 across the whole width; drawn unscaled in the bottom-left corner it would be at rows
  // 320 and 321, 800 pixels wide.
  const auto bar_across = [](const Shot& shot) {
    for (int y = 218; y <= 224; ++y)
      if (shot.Is(1, y, 255, 255, 0) && shot.Is(500, y, 255, 255, 0) &&
          shot.Is(998, y, 255, 255, 0))
        return true;
    return false;
  };
  Shot shot;
  EXPECT_TRUE(Eventually([&] {
    shot = Screen();
    return shot.width == 1000 && bar_across(shot);
  })) << "no selection bar across a "
      << shot.width << "x" << shot.height << " window";
}

TEST_F(DesktopPlay, PointerIsHiddenOverTheClientAreaOnly) {
  StartGame();
  ASSERT_NO_FATAL_FAILURE(FindAndFocusWindow());
  // The window sits centred on the 1280x1024 screen: (240, 224) to (1040, 800).
  X("xdotool mousemove 20 20");
  EXPECT_TRUE(Eventually([&] { return PointerVisible(x_) == true; })) << "outside the window";
  X("xdotool mousemove 640 512");
  EXPECT_TRUE(Eventually([&] { return PointerVisible(x_) == false; })) << "over the client area";
  X("xdotool mousemove 1200 1000");
  EXPECT_TRUE(Eventually([&] { return PointerVisible(x_) == true; })) << "after leaving it";
}

TEST_F(DesktopPlay, SpaceStartsAGameAndEscapePausesAndContinues) {
  StartGame();
  ASSERT_NO_FATAL_FAILURE(FindAndFocusWindow());
  ASSERT_NO_FATAL_FAILURE(StartPlaying());
  Key("Escape");
  EXPECT_EQ(SettlesOn(kPauseLines, 0), 0) << "not paused";
  EXPECT_EQ(SelectedAfterKey("Down", kPauseLines, 1), 1);
  EXPECT_EQ(SelectedAfterKey("Up", kPauseLines, 0), 0);
  Key("Escape");
  EXPECT_EQ(SettlesOn(kPauseLines, -1), -1) << "still paused";
  EXPECT_NE(FigureX(), -1);
}

TEST_F(DesktopPlay, LosingTheFocusReleasesAHeldKey) {
  StartGame();
  ASSERT_NO_FATAL_FAILURE(FindAndFocusWindow());
  ASSERT_NO_FATAL_FAILURE(StartPlaying());
  // Another client's window, to take the focus later.
  fs::path other_output = dir_.File(".other");
  other_ = StartProcess({"xmessage", "-geometry", "+0+0", "elsewhere"}, dir_.path(),
                        other_output.string(), {{"DISPLAY", display_}});
  std::string other_window;
  ASSERT_TRUE(Eventually([&] {
    return !(other_window = X("xdotool search --onlyvisible --name '^xmessage$'")).empty();
  })) << "xmessage did not open a window";
  other_window = other_window.substr(0, other_window.find('\n'));
  Focus(window_);

  // Run towards the wider side of the screen, so a wall does not stop the figure at once.
  const int start = FigureX();
  ASSERT_NE(start, -1);
  const int way = start < 400 ? 1 : -1;
  const std::string key = way > 0 ? "Right" : "Left";
  auto ran_from = [&](int from) {
    return Eventually([&] {
      const int x = FigureX();
      return x != -1 && (x - from) * way > 10;
    });
  };
  X("xdotool keydown " + key);
  ASSERT_TRUE(ran_from(start)) << "the figure does not run";

  // The key is let go while the other window has the focus, so the game never sees it.
  Focus(other_window);
  X("xdotool keyup " + key);
  Focus(window_);
  const int stopped = StillFigureX();
  ASSERT_NE(stopped, -1) << "the figure keeps running after the focus came back";
  // It stopped because the key was released, not at a wall: pressed again, it runs on.
  X("xdotool keydown " + key);
  EXPECT_TRUE(ran_from(stopped)) << "the figure ran on to a wall after the focus came back";
  X("xdotool keyup " + key);
}

TEST_F(DesktopPlay, CloseBoxDuringAGameSavesItAndCloses) {
  // Bytes past the sixth number are ignored on load; a save rewrites exactly 24.
  WriteFile(dir_.File("stats.dat"), StatsBytes({40, 5, 12, 1, 2, 3}) + "extra");
  StartGame();
  ASSERT_NO_FATAL_FAILURE(FindAndFocusWindow());
  ASSERT_NO_FATAL_FAILURE(StartPlaying());
  ASSERT_TRUE(RequestClose(x_, std::stoul(window_)));
  EXPECT_EQ(WaitExit(game_, kPatience), 0) << Output();
  game_ = 0;
  EXPECT_EQ(X("xdotool search --name '^Corvane Application$'"), "") << "the window is still there";
  EXPECT_EQ(ReadFile(dir_.File("stats.dat")).value_or(""), StatsBytes({40, 5, 12, 1, 2, 3}));
}

TEST_F(DesktopPlay, InstalledLauncherPlaysInThePlayersDataFolder) {
  const fs::path build = fs::path(STOMP_DESKTOP_EXE).parent_path();
  const fs::path prefix = dir_.File("prefix");
  const std::string install =
      Capture("cmake --install '" + build.string() + "' --prefix '" + prefix.string() + "' 2>&1");
  for (const char* file :
       {"bin/stomp", "libexec/stomp/stomp", "share/games/stomp/gfx/map.dat",
        "share/applications/stomp.desktop", "share/icons/hicolor/64x64/apps/stomp.png",
        "share/man/man6/stomp.6.gz", "share/doc/stomp/copyright"})
    ASSERT_TRUE(fs::exists(prefix / file)) << file << " not installed:\n" << install;

  // Started from an unrelated folder, through a link as a menu entry or PATH might reach it.
  const fs::path data_home = dir_.File("data home");
  const fs::path elsewhere = dir_.File("elsewhere");
  fs::create_directory(elsewhere);
  fs::create_symlink(prefix / "bin/stomp", elsewhere / "stomp-link");
  Launch({(elsewhere / "stomp-link").string()}, elsewhere.string(),
         {{"XDG_DATA_HOME", data_home.string()}});
  ASSERT_NO_FATAL_FAILURE(FindAndFocusWindow());
  ASSERT_NO_FATAL_FAILURE(StartPlaying());
  ASSERT_TRUE(RequestClose(x_, std::stoul(window_)));
  EXPECT_EQ(WaitExit(game_, kPatience), 0) << Output();
  game_ = 0;
  EXPECT_EQ(fs::read_symlink(data_home / "stomp/gfx"), prefix / "share/games/stomp/gfx");
  EXPECT_EQ(fs::file_size(data_home / "stomp/stats.dat"), 24u);
  EXPECT_FALSE(fs::exists(elsewhere / "stats.dat"));
}
