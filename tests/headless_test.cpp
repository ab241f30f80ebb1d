// The offscreen backend and the stomp-headless contract: argument and script parsing, the virtual
// clock and event queue driven directly, screenshots from a real EGL context, and the executable
// end to end.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <memory>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/pixmap.h"
#include "engine/platform.h"
#include "engine/platform/headless.h"
#include "support/headless_run.h"
#include "support/json.h"

using testing_support::HaveGfx;
using testing_support::ReadFile;
using testing_support::RunHeadless;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

bool Parse(std::vector<std::string> args, headless::Options& options, std::string& error) {
  args.insert(args.begin(), "stomp-headless");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  return headless::ParseArgs(int(argv.size()), argv.data(), options, error);
}

std::vector<platform::Event> Drain() {
  std::vector<platform::Event> events;
  platform::Event e;
  while (platform::PollEvent(e)) events.push_back(e);
  return events;
}

// "513:32" per event, "2049:1*3" for an event that stands for three ticks, so a mismatch shows the
// whole sequence.
std::string Describe(const std::vector<platform::Event>& events) {
  std::string text;
  for (const platform::Event& e : events) {
    text += (text.empty() ? "" : " ") + std::to_string(e.id) + ":" + std::to_string(e.data);
    if (e.ticks != 1) text += "*" + std::to_string(e.ticks);
  }
  return text;
}

struct Png {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  const unsigned char* Pixel(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

std::optional<Png> ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  Png png{int(image.width), int(image.height), std::vector<unsigned char>(PNG_IMAGE_SIZE(image))};
  if (!png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr)) return std::nullopt;
  return png;
}

// A listening Unix socket at `path`, closed when this goes out of scope.
class UnixSocket {
 public:
  explicit UnixSocket(const std::string& path) : fd_(testing_support::ListeningUnixSocket(path)) {
    EXPECT_GE(fd_, 0) << path;
  }
  ~UnixSocket() { ::close(fd_); }
  UnixSocket(const UnixSocket&) = delete;
  UnixSocket& operator=(const UnixSocket&) = delete;

 private:
  int fd_;
};

// Each backend case starts from a configured, windowless state.
class Backend : public ::testing::Test {
 protected:
  void Configure(headless::Options options = {}) {
    std::string error;
    ASSERT_TRUE(headless::Configure(options, error)) << error;
  }
  void TearDown() override {
    platform::CloseWindow();
    headless::SetFrameObserver(nullptr);
  }
  TempDir dir_;
};

}  // namespace

TEST(HeadlessArgs, AcceptsTheWholeCommandLine) {
  headless::Options o;
  std::string error;
  ASSERT_TRUE(Parse({"--frames", "5", "--clock", "-20", "--input", "in.txt", "--trace", "t.jsonl",
                     "--screenshot", "0:a.png", "--screenshot", "4:dir/b:c.png", "--driver", "gl"},
                    o, error))
      << error;
  EXPECT_EQ(o.frames, 5);
  EXPECT_EQ(o.clock, -20);
  EXPECT_EQ(o.input, "in.txt");
  EXPECT_EQ(o.trace, "t.jsonl");
  ASSERT_EQ(o.screenshots.size(), 2u);
  EXPECT_EQ(o.screenshots[1], (std::pair<int, std::string>{4, "dir/b:c.png"}));
  EXPECT_FALSE(o.null_driver);

  ASSERT_TRUE(Parse({}, o, error));
  EXPECT_EQ(o.frames, -1);
  EXPECT_EQ(o.clock, 0);
  ASSERT_TRUE(Parse({"--driver", "null"}, o, error));
  EXPECT_TRUE(o.null_driver);
}

TEST(HeadlessArgs, RefusesBadArgumentsWithOneLine) {
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--frames"}, "--frames needs a value"},
      {{"--frames", "0"}, "--frames needs a frame count"},
      {{"--frames", "3x"}, "--frames needs a frame count"},
      {{"--clock", "4294967296"}, "--clock needs"},
      {{"--screenshot", "a.png"}, "--screenshot needs FRAME:FILE.png"},
      {{"--screenshot", "-1:a.png"}, "--screenshot needs FRAME:FILE.png"},
      {{"--screenshot", "2:"}, "--screenshot needs FRAME:FILE.png"},
      {{"--driver", "vulkan"}, "--driver is gl or null"},
      {{"--driver", "null", "--screenshot", "0:a.png"}, "needs the gl driver"},
      {{"--frames", "3", "--screenshot", "3:a.png"}, "never drawn with --frames 3"},
      {{"--fps", "60"}, "unknown argument \"--fps\""},
  };
  for (const auto& c : cases) {
    headless::Options o;
    std::string error;
    EXPECT_FALSE(Parse(c.args, o, error)) << c.args[0];
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(HeadlessScript, ReadsEveryLineKindInFrameOrder) {
  headless::InputScript script;
  std::string error;
  ASSERT_TRUE(
      headless::ReadInputScript("# comment line\n"
                                "3 left down   # held from frame 3\n"
                                "\n"
                                "1 space tap\r\n"
                                "3 65 up\n"
                                "  0 escape down\n"
                                "2 close\n2 deactivate\n2 activate\n"
                                "4 stall 45\n1 stall 0\n",
                                "input.txt", script, error))
      << error;
  std::vector<std::pair<int, platform::Event>> want = {
      {0, {513, 27}}, {1, {513, 32}}, {1, {514, 32}}, {2, {259, 0}},
      {2, {257, 0}},  {2, {258, 0}},  {3, {513, 37}}, {3, {514, 65}}};
  ASSERT_EQ(script.events.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(script.events[i].first, want[i].first) << i;
    EXPECT_EQ(script.events[i].second.id, want[i].second.id) << i;
    EXPECT_EQ(script.events[i].second.data, want[i].second.data) << i;
  }
  EXPECT_EQ(script.stalls, (std::vector<std::pair<int, int>>{{1, 0}, {4, 45}}));
}

TEST(HeadlessScript, NamesTheLineThatCannotBeRead) {
  const struct {
    const char* text;
    const char* says;
  } cases[] = {
      {"0 space tap\n\n# ok\nx space tap\n", "input.txt:4: frame \"x\""},
      {"-1 space tap", "input.txt:1: frame \"-1\""},
      {"0 lft down", "input.txt:1: unknown key \"lft\""},
      {"0 256 down", "input.txt:1: unknown key \"256\""},
      {"0 0 down", "input.txt:1: unknown key \"0\""},
      {"0 space press", "input.txt:1: unknown key action \"press\""},
      {"0 space", "input.txt:1: a key needs one of down, up, tap"},
      {"0 space tap tap", "input.txt:1: a key needs one of"},
      {"0 stall", "input.txt:1: stall needs"},
      {"0 stall -5", "input.txt:1: stall needs"},
      {"0 close now", "input.txt:1: unexpected \"now\""},
      {"5", "input.txt:1: missing event"},
  };
  for (const auto& c : cases) {
    headless::InputScript script;
    std::string error;
    EXPECT_FALSE(headless::ReadInputScript(c.text, "input.txt", script, error)) << c.text;
    EXPECT_EQ(error.rfind(c.says, 0), 0u) << "got: " << error;
  }
}

TEST_F(Backend, TicksFallEveryPeriodFromTheStartClock) {
  headless::Options o;
  o.clock = 1000;
  Configure(o);
  EXPECT_EQ(platform::Millisecs(), 1000);
  int timer = platform::StartTimer(20);
  ASSERT_GT(timer, 0);
  for (int k = 1; k <= 3; ++k) {
    platform::WaitEvent();
    EXPECT_EQ(platform::Millisecs(), 1000 + 20 * k);
    EXPECT_EQ(Describe(Drain()), "2049:" + std::to_string(timer));
  }
  // A pending event ends the wait at once: the clock stays.
  headless::QueueEvent({platform::kEventKeyDown, 38});
  platform::WaitEvent();
  EXPECT_EQ(platform::Millisecs(), 1060);
  EXPECT_EQ(Describe(Drain()), "513:38");
  // A slow stretch leaves every tick it passed counted, and the next one stays on the grid.
  headless::AdvanceClock(45);
  EXPECT_EQ(platform::Millisecs(), 1105);
  EXPECT_EQ(Describe(Drain()), "2049:" + std::to_string(timer) + "*2");
  platform::WaitEvent();
  EXPECT_EQ(platform::Millisecs(), 1120);
}

// However long the stall, the ticks it passes are one counted event: no memory or time per tick.
TEST_F(Backend, HugeStallIsOneCountedEventAndTheClockStaysExact) {
  Configure();
  const int timer = platform::StartTimer(20);
  headless::AdvanceClock(10);
  headless::AdvanceClock(INT_MAX);  // to 2147483657: ticks 1 .. 107374182 have fallen due
  EXPECT_EQ(Describe(Drain()), "2049:" + std::to_string(timer) + "*107374182");
  EXPECT_EQ(platform::Millisecs(), INT_MIN + 9);
  platform::WaitEvent();  // tick 107374183, at 2147483660
  EXPECT_EQ(platform::Millisecs(), INT_MIN + 12);
  EXPECT_EQ(Describe(Drain()), "2049:" + std::to_string(timer));
}

TEST_F(Backend, ClockWrapsAsASigned32BitValue) {
  headless::Options o;
  o.clock = INT_MAX - 5;
  Configure(o);
  platform::StartTimer(20);
  platform::WaitEvent();
  EXPECT_EQ(platform::Millisecs(), INT_MIN + 14);
  Drain();
  platform::WaitEvent();  // due times keep counting past the wrap
  EXPECT_EQ(platform::Millisecs(), INT_MIN + 34);
}

TEST_F(Backend, StoppedTimerNoLongerTicksAndTimersInterleave) {
  Configure();
  int a = platform::StartTimer(20);
  headless::AdvanceClock(5);
  int b = platform::StartTimer(10);
  headless::AdvanceClock(40);  // to 45: a at 20, 40; b at 15, 25, 35, 45; b falls due first
  std::string ta = "2049:" + std::to_string(a), tb = "2049:" + std::to_string(b);
  EXPECT_EQ(Describe(Drain()), tb + "*4 " + ta + "*2");
  platform::StopTimer(b);
  platform::WaitEvent();
  EXPECT_EQ(platform::Millisecs(), 60);
  EXPECT_EQ(Describe(Drain()), ta);
}

TEST_F(Backend, WaitingWithNoTimerEndsTheProgramInsteadOfHanging) {
  Configure();
  EXPECT_EXIT(platform::WaitEvent(), ::testing::ExitedWithCode(2), "no timer running");
}

TEST_F(Backend, ScriptEventsArriveBeforeTheirFrameAndStallsMoveTheClock) {
  headless::Options o;
  o.input = dir_.File("input.txt");
  WriteFile(o.input, "0 space tap\n2 left down\n1 stall 50\n1 close\n");
  Configure(o);
  std::vector<int> observed;
  headless::SetFrameObserver([&](int frame) { observed.push_back(frame); });
  std::string tick = "2049:" + std::to_string(platform::StartTimer(20));
  // Nothing is queued before the window opens: start-up does not see frame 0's keys.
  EXPECT_EQ(Drain().size(), 0u);
  std::string error;
  ASSERT_TRUE(platform::OpenWindow(800, 576, "t", false, error)) << error;
  EXPECT_EQ(Describe(Drain()), "513:32 514:32");  // frame 0
  platform::WaitEvent();
  EXPECT_EQ(Describe(Drain()), tick);

  platform::SwapWindow(0);                // end of frame 0
  EXPECT_EQ(Describe(Drain()), "259:0");  // frame 1
  platform::WaitEvent();
  Drain();
  EXPECT_EQ(platform::Millisecs(), 40);

  platform::SwapWindow(0);  // end of frame 1: stalled by 50 ms, ticks at 60 and 80 pending
  EXPECT_EQ(platform::Millisecs(), 90);
  EXPECT_EQ(Describe(Drain()), tick + "*2 513:37");
  EXPECT_EQ(observed, (std::vector<int>{0, 1}));
}

TEST_F(Backend, FramesOptionEndsAfterTheLastFrameIsObserved) {
  headless::Options o;
  o.frames = 2;
  Configure(o);
  std::string error;
  ASSERT_TRUE(platform::OpenWindow(800, 576, "t", false, error)) << error;
  platform::SwapWindow(0);
  EXPECT_EXIT(
      {
        headless::SetFrameObserver([](int frame) { std::fprintf(stderr, "observed %d\n", frame); });
        platform::SwapWindow(0);
        std::fprintf(stderr, "still running\n");
        std::exit(1);
      },
      ::testing::ExitedWithCode(0), "observed 1");
}

TEST_F(Backend, ScreenshotIsTheBackBufferTopRowFirstAcrossReopenedContexts) {
  for (int round = 0; round < 2; ++round) {
    headless::Options o;
    std::string path = dir_.File("shot" + std::to_string(round) + ".png");
    o.screenshots = {{1, path}};
    Configure(o);
    std::string error;
    ASSERT_TRUE(platform::OpenWindow(800, 576, "t", true, error)) << error;
    int w = 0, h = 0;
    platform::DrawableSize(w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 576);
    platform::SwapWindow(0);  // frame 0: no screenshot
    EXPECT_FALSE(ReadFile(path));
    // Top 100 rows red, the rest blue; GL's y runs upward.
    glClearColor(0, 0, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 576 - 100, 800, 100);
    glClearColor(1, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    platform::SwapWindow(0);  // frame 1
    platform::CloseWindow();

    std::optional<Png> png = ReadPng(path);
    ASSERT_TRUE(png) << path;
    EXPECT_EQ(png->width, 800);
    EXPECT_EQ(png->height, 576);
    const unsigned char* top = png->Pixel(0, 99);
    const unsigned char* below = png->Pixel(799, 100);
    EXPECT_EQ(std::vector<int>(top, top + 4), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(std::vector<int>(below, below + 4), (std::vector<int>{0, 0, 255, 255}));
  }
}

// The game's window has no alpha channel, so blending leaves no alpha behind: an unmasked grab of a
// half-transparent rectangle on black reads alpha 255 everywhere, as it does on the desktop.
TEST_F(Backend, UnmaskedGrabReadsOpaqueAlpha) {
  Configure();
  SetGraphicsDriver(GLDraw2DDriver(), 2);
  ASSERT_TRUE(Graphics(800, 576, 0, 60, 0)) << GraphicsError();
  SetBlend(kBlendAlpha);
  SetColor(200, 100, 50);
  SetAlpha(0.5f);
  DrawRect(10, 10, 20, 20);
  SetAlpha(1);
  TImagePtr image = CreateImage(40, 40, 1, FILTEREDIMAGE);
  ASSERT_TRUE(image);
  GrabImage(*image, 0, 0);
  CloseGraphics();
  const TPixmap& grabbed = *image->pixmaps[0];
  const unsigned char* inside = grabbed.PixelPtr(15, 15);
  EXPECT_EQ(std::vector<int>(inside, inside + 4), (std::vector<int>{100, 50, 25, 255}));
  EXPECT_EQ(grabbed.PixelPtr(0, 0)[3], 255);
}

TEST(TraceReader, ParsesNestedValuesAndRefusesBrokenText) {
  std::string error;
  std::optional<json::Value> v = json::Parse(
      R"( {"frame": 2, "now": -40, "fig": null, "ok": true, "f": 1.5e1,
          "s": "a\"\\\n\u00e9\ud83d\ude00", "list": [{"cls": "TGxS"}, [], {}]} )",
      &error);
  ASSERT_TRUE(v) << error;
  EXPECT_EQ((*v)["now"].Int(), -40);
  EXPECT_TRUE((*v)["fig"].IsNull());
  EXPECT_TRUE((*v)["ok"].Bool());
  EXPECT_EQ((*v)["f"].Number(), 15.0);
  EXPECT_EQ((*v)["s"].String(), "a\"\\\n\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ((*v)["list"].Size(), 3u);
  EXPECT_EQ((*v)["list"][0]["cls"].String(), "TGxS");
  EXPECT_FALSE(v->Has("score"));
  EXPECT_THROW((*v)["score"], std::runtime_error);
  EXPECT_THROW((*v)["f"].String(), std::runtime_error);
  EXPECT_THROW(json::Value(1.5).Int(), std::runtime_error);

  for (const char* bad : {"", "{", "{\"a\" 1}", "[1,]", "{\"a\":1,\"a\":2}", "\"abc", "01x",
                          "[1] 2", "nul", "\"\\x\"", "-"})
    EXPECT_FALSE(json::Parse(bad)) << bad;
}

// The executable itself; these need the run-time data in gfx/.
class HeadlessRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveGfx()) GTEST_SKIP() << "gfx/ is missing: the game cannot start";
  }
};

TEST_F(HeadlessRun, FramesTraceAndScreenshot) {
  RunOptions options;
  options.args = {"--frames", "3", "--clock", "500", "--screenshot", "2:s.png"};
  RunResult run = RunHeadless(options);
  ASSERT_EQ(run.status, 0) << run.stderr_text;
  ASSERT_EQ(run.trace_error, "");
  ASSERT_EQ(run.trace.size(), 3u);
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(run.trace[f]["frame"].Int(), f);
    EXPECT_EQ(run.trace[f]["now"].Int(), 500 + 20 * f);
  }
  std::optional<Png> png = ReadPng(run.File("s.png"));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 800);
  EXPECT_EQ(png->height, 576);
}

// A screenshot that cannot be written stops the run at that frame with one line naming the file.
TEST_F(HeadlessRun, UnwritableScreenshotStopsTheRun) {
  RunOptions options;
  options.args = {"--frames", "3", "--screenshot", "1:no/such/folder/s.png"};
  RunResult run = RunHeadless(options);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.stderr_text.find("cannot write screenshot no/such/folder/s.png"), std::string::npos)
      << run.stderr_text;
  EXPECT_EQ(std::count(run.stderr_text.begin(), run.stderr_text.end(), '\n'), 1) << run.stderr_text;
  EXPECT_EQ(run.trace.size(), 1u);  // frame 0 only
}

// A stall of any length moves the clock by exactly its milliseconds and costs no more time or
// memory than a short one (the ticks it passes are counted, not queued one by one).
TEST_F(HeadlessRun, StallShiftsTheClockOfTheFollowingFrames) {
  const struct {
    int stall;
    std::vector<int> now;
  } cases[] = {
      // Ticks at 40 and 60 were already counted when frame 1 waited; frame 3 is back on the grid.
      {45, {0, 20, 65, 80}},
      // 20 + 2147483647 wraps to INT_MIN + 19; the next tick on the grid is 13 ms later.
      {INT_MAX, {0, 20, INT_MIN + 19, INT_MIN + 32}},
  };
  for (const auto& c : cases) {
    RunOptions options;
    options.args = {"--frames", "4", "--driver", "null"};
    options.input = "1 stall " + std::to_string(c.stall) + "\n";
    options.timeout_ms = 20000;
    RunResult run = RunHeadless(options);
    ASSERT_EQ(run.status, 0) << c.stall << ": " << run.stderr_text;
    ASSERT_EQ(run.trace.size(), 4u) << run.trace_error;
    std::vector<int> now;
    for (const json::Value& line : run.trace) now.push_back(line["now"].Int());
    EXPECT_EQ(now, c.now) << c.stall;
  }
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);  // the largest resident size of any finished run, in KiB
  EXPECT_LE(children.ru_maxrss, 256 * 1024) << "a run took " << children.ru_maxrss / 1024 << " MiB";
}

TEST_F(HeadlessRun, StartUpErrorsAreOneLineAndNonZero) {
  // Files that are no regular files: opening them for reading or writing must not wait.
  TempDir special;
  const std::string fifo = special.File("fifo"), socket = special.File("socket");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  UnixSocket listening(socket);
  const struct {
    std::optional<std::string> input;
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {"0 space tap\n1 jump tap\n", {}, "input.txt:2: unknown key \"jump\""},
      {std::nullopt, {"--input", "missing.txt"}, "cannot read input script missing.txt"},
      {std::nullopt, {"--input", "."}, "cannot read input script .: not a regular file"},
      {std::nullopt, {"--input", fifo}, "not a regular file"},
      {std::nullopt, {"--input", socket}, "not a regular file"},
      {std::nullopt, {"--input", "/dev/zero"}, "not a regular file"},
      {std::nullopt, {"--trace", "."}, "cannot write trace .: not a regular file"},
      {std::nullopt, {"--trace", fifo}, "not a regular file"},
      {std::nullopt, {"--trace", socket}, "not a regular file"},
      {std::nullopt, {"--trace", "/dev/null"}, "not a regular file"},
      {std::nullopt, {"--trace", "no/such/folder/t.jsonl"}, "cannot write trace no/such/folder"},
      {std::nullopt, {"--driver", "gl", "--screenshot", "0:" + fifo}, "cannot write screenshot"},
      {std::nullopt, {"--driver", "null", "--screenshot", "0:a.png"}, "needs the gl driver"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? *c.input : c.args.back());
    RunOptions options;
    options.input = c.input;
    options.args = c.args;
    options.args.insert(options.args.begin(), {"--frames", "2", "--driver", "null"});
    options.trace = false;
    options.timeout_ms = 10000;
    RunResult run = RunHeadless(options);
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.stderr_text.find(c.says), std::string::npos) << run.stderr_text;
    EXPECT_EQ(std::count(run.stderr_text.begin(), run.stderr_text.end(), '\n'), 1)
        << run.stderr_text;
  }
}
