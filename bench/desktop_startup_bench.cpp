// The desktop game against a bare SDL2 program on a private Xvfb: from exec to the first frame
// shown, and from the close request to exit. Each repetition runs sdl_baseline and stomp back to
// back (the order turning each time), each in a fresh directory.
//
// "Shown" is read from the outside, from the window's pixels: the server has a black root, both
// programs present only black (the game clears both buffers when its window opens) until their
// first real frame, and that frame is not black in the watched column (x = 400: the game's menu
// lines and text, the bare frame's full-window rectangle). The benchmark polls that column with
// XGetImage every 0.5 ms, which costs the server a little CPU on the machine being measured. At
// the first non-black poll the child's CPU time so far (all threads) and peak resident set are
// read from the kernel. Then the window gets the close request a window manager sends
// (WM_DELETE_WINDOW); the time until the child has exited is the close-to-exit figure.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/run_child.h"
#include "support/x_client.h"
#include "support/x_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using testing_support::TempDir;

constexpr char kTitle[] = "Corvane Application";
constexpr int kWatchedColumn = 400;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Windows that are not there yet (or already gone) make requests fail; polling expects that.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The mapped top-level window with the game's title, or 0.
Window FindWindow(Display* display) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr, found = 0;
  unsigned count = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(display, children[i], &name) && name && std::strcmp(name, kTitle) == 0 &&
        XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable) {
      found = children[i];
    }
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return found;
}

bool ColumnShowsAFrame(Display* display, Window window) {
  XImage* column = XGetImage(display, window, kWatchedColumn, 0, 1, 576, AllPlanes, ZPixmap);
  if (!column) return false;
  bool drawn = false;
  for (int y = 0; y < column->height && !drawn; ++y) {
    drawn = (XGetPixel(column, 0, y) & 0xFFFFFF) != 0;
  }
  XDestroyImage(column);
  return drawn;
}

struct DesktopRun {
  bool ok = false;
  std::string error;
  double first_frame_wall = 0, first_frame_cpu = 0, first_frame_rss_mib = 0;
  double close_to_exit = 0;
  int status = -1;
};

DesktopRun RunOnDisplay(Display* display, const std::string& name, const std::string& exe) {
  DesktopRun run;
  const std::unique_ptr<TempDir> dir = RunDirectory();
  const Clock::time_point start = Clock::now();
  pid_t pid = testing_support::StartProcess({exe}, dir->path(), dir->File("output.txt"),
                                            {{"DISPLAY", DisplayString(display)}});
  Window window = 0;
  while (Since(start) < 20) {
    if (!window) window = FindWindow(display);
    if (window && ColumnShowsAFrame(display, window)) {
      run.first_frame_cpu = testing_support::CpuSecondsSoFar(pid);
      run.first_frame_rss_mib = testing_support::PeakRssMibSoFar(pid);
      run.first_frame_wall = Since(start);
      break;
    }
    std::this_thread::sleep_for(500us);
  }
  if (run.first_frame_wall == 0) {
    run.error = name + ": no frame shown within 20 s";
    testing_support::StopProcess(pid);
    return run;
  }
  std::this_thread::sleep_for(200ms);  // past the start-up transient, as a player would be
  const Clock::time_point close = Clock::now();
  testing_support::RequestClose(display, window);
  run.status = testing_support::FinishProcess(pid, 10s);
  run.close_to_exit = Since(close);
  run.ok = run.status == 0;
  if (!run.ok) run.error = name + ": exit status " + std::to_string(run.status);
  return run;
}

void BM_DesktopStartup(benchmark::State& state) {
  static testing_support::Xvfb server(/*black_root=*/true);
  static Display* display = nullptr;
  if (!display && !server.display().empty()) {
    display = XOpenDisplay(server.display().c_str());
    XSetErrorHandler(IgnoreXErrors);
  }
  if (!display) {
    state.SkipWithError("no Xvfb");
    return;
  }
  static int turn = 0;
  for (auto _ : state) {
    DesktopRun bare, game;
    if (turn++ % 2) {
      bare = RunOnDisplay(display, "sdl_baseline", SDL_BASELINE_EXE);
      game = RunOnDisplay(display, "stomp", STOMP_DESKTOP_EXE);
    } else {
      game = RunOnDisplay(display, "stomp", STOMP_DESKTOP_EXE);
      bare = RunOnDisplay(display, "sdl_baseline", SDL_BASELINE_EXE);
    }
    if (!bare.ok || !game.ok) {
      state.SkipWithError((bare.ok ? game.error : bare.error).c_str());
      return;
    }
    state.SetIterationTime(game.first_frame_wall);
    state.counters["game_first_cpu_ms"] = game.first_frame_cpu * 1e3;
    state.counters["bare_first_cpu_ms"] = bare.first_frame_cpu * 1e3;
    state.counters["game_first_wall_ms"] = game.first_frame_wall * 1e3;
    state.counters["bare_first_wall_ms"] = bare.first_frame_wall * 1e3;
    state.counters["first_cpu_ratio"] = game.first_frame_cpu / bare.first_frame_cpu;
    state.counters["first_wall_ratio"] = game.first_frame_wall / bare.first_frame_wall;
    state.counters["game_rss_MiB"] = game.first_frame_rss_mib;
    state.counters["bare_rss_MiB"] = bare.first_frame_rss_mib;
    state.counters["rss_over_floor_MiB"] = game.first_frame_rss_mib - bare.first_frame_rss_mib;
    state.counters["game_close_ms"] = game.close_to_exit * 1e3;
    state.counters["bare_close_ms"] = bare.close_to_exit * 1e3;
  }
}

BENCHMARK(BM_DesktopStartup)->Apply([](auto* b) { OneRunPerRepetition(b, 10); });

}  // namespace
