// The desktop backend's timers before the window exists: SDL's timer thread waits for the window
// system (see StartWaitingTimers in the backend), and the ticks still come, whether the window
// opens or the program only waits for events.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/platform.h"
#include "support/process.h"
#include "support/x_server.h"

namespace {

// Threads of this process, all of them or those named `name` only. A new thread names itself, so
// it may carry its creator's name for a moment.
int Threads(const std::string& name = "") {
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return -1;
  while (const dirent* task = readdir(tasks)) {
    if (task->d_name[0] == '.') continue;
    std::string comm;
    std::getline(std::ifstream("/proc/self/task/" + std::string(task->d_name) + "/comm"), comm);
    count += name.empty() || comm == name;
  }
  closedir(tasks);
  return count;
}

bool TickArrives(int timer) {
  return testing_support::Eventually([timer] {
    platform::Event event;
    while (platform::PollEvent(event))
      if (event.id == platform::kEventTimerTick && event.data == timer) return true;
    return false;
  });
}

// One server for the whole process: SDL keeps its connection to the display until the process
// ends, also after the window is closed.
const std::string& Display() {
  static testing_support::Xvfb xvfb;
  return xvfb.display();
}

TEST(DesktopTimer, StartsItsThreadWhenTheWindowOpensAndTicks) {
  ASSERT_FALSE(Display().empty()) << "Xvfb could not start";
  setenv("DISPLAY", Display().c_str(), 1);
  unsetenv("WAYLAND_DISPLAY");
  const int before = Threads();
  const int timer = platform::StartTimer(10);
  ASSERT_NE(timer, 0);
  EXPECT_EQ(Threads(), before);  // in a process of its own (as ctest runs each case): no thread yet
  std::string error;
  ASSERT_TRUE(platform::OpenWindow(64, 48, "timer", false, error)) << error;
  EXPECT_TRUE(testing_support::Eventually([] { return Threads("SDLTimer") == 1; }));
  EXPECT_TRUE(TickArrives(timer));
  platform::StopTimer(timer);
  platform::CloseWindow();
}

TEST(DesktopTimer, TicksWithoutAWindowOnceTheProgramWaitsForEvents) {
  const int before = Threads();
  const int timer = platform::StartTimer(10);
  ASSERT_NE(timer, 0);
  EXPECT_EQ(Threads(), before);
  EXPECT_TRUE(TickArrives(timer));
  platform::StopTimer(timer);
}

}  // namespace
