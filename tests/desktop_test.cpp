// The desktop build in a real X server: the window's title, size and placement, and that it stays
// up until the process is ended. Each case starts its own Xvfb.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include "support/headless_run.h"
#include "support/x_server.h"

using testing_support::Eventually;
using testing_support::FindGameWindow;
using testing_support::HaveGfx;
using testing_support::kPatience;
using testing_support::OnDisplay;
using testing_support::ReadFile;
using testing_support::StartProcess;
using testing_support::TempDir;
using testing_support::WaitExit;
using testing_support::Xvfb;

namespace {

using namespace std::chrono_literals;

bool Running(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveGfx()) GTEST_SKIP() << "gfx/ is missing: the game cannot start";
    xvfb_ = std::make_unique<Xvfb>();
    if (xvfb_->display().empty()) GTEST_SKIP() << "Xvfb could not start";
    display_ = xvfb_->display();
  }

  void TearDown() override {
    if (game_ > 0) {
      kill(game_, SIGKILL);
      waitpid(game_, nullptr, 0);
    }
  }

  void StartGame(const char* display) {
    std::filesystem::create_directory_symlink(std::filesystem::path(STOMP_SOURCE_DIR) / "gfx",
                                              dir_.File("gfx"));
    std::optional<std::string> shown;
    if (display) shown = display;
    game_ = StartProcess({STOMP_DESKTOP_EXE}, dir_.path(), dir_.File(".output"),
                         {{"DISPLAY", shown}, {"WAYLAND_DISPLAY", std::nullopt}});
  }

  // The game's window id, once it is mapped; empty when the game ended without one.
  std::string FindWindow() {
    std::string id;
    Eventually([&] {
      id = FindGameWindow(display_);
      return !id.empty() || !Running(game_);
    });
    return id;
  }

  std::string Output() { return ReadFile(dir_.File(".output")).value_or(""); }

  TempDir dir_;
  std::unique_ptr<Xvfb> xvfb_;
  pid_t game_ = 0;
  std::string display_;
};

int Field(const std::string& text, const char* label) {
  std::smatch m;
  if (!std::regex_search(text, m, std::regex(std::string(label) + ":\\s*(-?\\d+)"))) return -99999;
  return std::stoi(m[1]);
}

}  // namespace

TEST_F(Desktop, OpensTheCentredWindowAndStaysUpUntilEnded) {
  StartGame(display_.c_str());
  std::string window = FindWindow();
  ASSERT_FALSE(window.empty()) << "no window appeared; output: " << Output();
  std::string info = OnDisplay(display_, "xwininfo -id " + window);
  EXPECT_EQ(Field(info, "Width"), 800) << info;
  EXPECT_EQ(Field(info, "Height"), 576) << info;
  // No window manager runs, so the client area sits exactly where the game asked.
  EXPECT_EQ(Field(info, "Absolute upper-left X"), 640 - 400) << info;
  EXPECT_EQ(Field(info, "Absolute upper-left Y"), 512 - 288) << info;
  // Not resizable: the size hints pin minimum and maximum to the client size.
  std::string hints = OnDisplay(display_, "xprop -id " + window + " WM_NORMAL_HINTS");
  EXPECT_NE(hints.find("program specified minimum size: 800 by 576"), std::string::npos) << hints;
  EXPECT_NE(hints.find("program specified maximum size: 800 by 576"), std::string::npos) << hints;

  // Nothing but a signal ends it: still running after a while of playing on its own.
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(Running(game_)) << Output();
  kill(game_, SIGTERM);
  ASSERT_NE(WaitExit(game_, kPatience), -1) << "SIGTERM did not end the game";
  game_ = 0;
}

TEST_F(Desktop, WithoutADisplayStopsWithOneLine) {
  StartGame(nullptr);
  int status = WaitExit(game_, kPatience);
  if (status != -1) game_ = 0;  // else TearDown kills it
  EXPECT_NE(status, 0);
  EXPECT_NE(status, -1) << "still running without a display";
  std::string output = Output();
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
}
