// The run control of stomp-headless: the options, the input script fed to the event queue frame by
// frame, the frame count, and what happens at the end of each frame (screenshots, the observer,
// stalls, the exit after --frames).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

#include "engine/files.h"
#include "engine/platform/headless.h"
#include "engine/platform/headless_internal.h"

namespace headless {

namespace {

struct Run {
  Options options;
  InputScript script;
  size_t next_script_event = 0;  // first event of script.events not queued yet
  std::function<void(int)> observer;
  int frame = 0;
  bool first_frame_queued = false;
};

// Never destroyed: std::exit from inside a frame must not tear the state down under the at-exit
// actions that still close the window.
Run& R() {
  static Run* run = new Run;
  return *run;
}

void QueueScriptFrame(int frame) {
  Run& r = R();
  while (r.next_script_event < r.script.events.size() &&
         r.script.events[r.next_script_event].first <= frame)
    QueueEvent(r.script.events[r.next_script_event++].second);
}

}  // namespace

bool Configure(const Options& options, std::string& error) {
  InputScript script;
  if (!options.input.empty()) {
    std::string text;
    if (!ReadWholeFile(options.input, text)) {
      error = "cannot read input script " + options.input + ": " + OpenFailure(errno);
      return false;
    }
    if (!ReadInputScript(text, options.input, script, error)) return false;
  }
  Run& r = R();
  r.options = options;
  r.script = std::move(script);
  r.next_script_event = 0;
  ResetBackend(options.clock);
  r.frame = 0;
  r.first_frame_queued = false;
  return true;
}

void SetFrameObserver(std::function<void(int frame)> observer) {
  R().observer = std::move(observer);
}

void WindowOpened() {
  Run& r = R();
  if (r.first_frame_queued) return;
  r.first_frame_queued = true;
  QueueScriptFrame(r.frame);
}

void FrameDrawn(int width, int height) {
  for (const auto& [shot_frame, path] : R().options.screenshots) {
    if (shot_frame != R().frame) continue;
    errno = 0;
    if (!WriteScreenshot(path, width, height))
      Fatal("cannot write screenshot " + path + (errno ? ": " + OpenFailure(errno) : ""));
  }
}

void FramePresented() {
  Run& r = R();
  const int frame = r.frame;
  if (r.observer) r.observer(frame);
  for (const auto& [stall_frame, ms] : r.script.stalls)
    if (stall_frame == frame) AdvanceClock(ms);
  if (r.options.frames >= 0 && frame + 1 >= r.options.frames) std::exit(0);
  r.frame = frame + 1;
  QueueScriptFrame(r.frame);
}

void Fatal(const std::string& message) {
  std::fprintf(stderr, "stomp-headless: %s\n", message.c_str());
  std::exit(2);
}

}  // namespace headless
