// The same game on the offscreen backend: virtual clock, scripted input, screenshots and traces.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/files.h"
#include "engine/graphics.h"
#include "engine/platform/headless.h"
#include "engine/system.h"
#include "game/startup.h"
#include "game/trace.h"

int main(int argc, char** argv) {
  headless::Options options;
  std::string error;
  if (!headless::ParseArgs(argc, argv, options, error) || !headless::Configure(options, error)) {
    std::fprintf(stderr, "stomp-headless: %s\n", error.c_str());
    return 2;
  }
  static std::FILE* trace = nullptr;
  if (!options.trace.empty()) {
    trace = OpenOutput(options.trace);
    if (!trace) {
      std::fprintf(stderr, "stomp-headless: cannot write trace %s: %s\n", options.trace.c_str(),
                   OpenFailure(errno).c_str());
      return 2;
    }
    headless::SetFrameObserver([](int frame) {
      std::string line = TraceLine(frame);
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), trace);
      std::fflush(trace);
    });
  }
  TDraw2DDriver* driver = options.null_driver ? NullDraw2DDriver() : GLDraw2DDriver();
  return RunGuarded([driver] { RunStomp(driver); });
}
