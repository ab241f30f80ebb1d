// Long play: stomp-headless fed random input game after game (through game over, the menu and the
// shop) must end cleanly with its lists and its memory flat. The suite plays three minutes of
// play time; STOMP_SOAK_FRAMES=180000 (scripts/soak.sh, under ASan + UBSan) plays an hour.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/headless_run.h"
#include "support/json.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

constexpr int kFramesPerMinute = 3000;
constexpr int kMenuLines = 5;

int SoakFrames() {
  const char* frames = std::getenv("STOMP_SOAK_FRAMES");
  return frames && *frames ? std::atoi(frames) : 3 * kFramesPerMinute;
}

// Random play that never quits. Space starts a game from the menu only while the menu selection is
// 0, and the menu is entered (from game over, by space) with selection 0, so the up and down
// presses between two spaces are balanced to move the selection by 0 or by 2 (the shop's
// ammunition or blasting agent, or back), never onto the quit line. Escape is never pressed: in
// the menu it quits.
std::string RandomPlayScript(int frames, unsigned seed) {
  std::mt19937 random(seed);
  auto chance = [&](int one_in) { return random() % one_in == 0; };
  std::ostringstream script;
  int selection_shift = 0;  // down minus up presses so far, modulo the menu's lines
  int next_space = 60;
  const char* held = nullptr;
  for (int f = 2; f < frames; ++f) {
    if (f == next_space) {
      script << f << " space tap\n";
      next_space = f + 20 + static_cast<int>(random() % 180);
      continue;
    }
    if (f == next_space - 1) {
      const int target = chance(2) ? 2 : 0;
      for (; selection_shift != target; selection_shift = (selection_shift + 1) % kMenuLines) {
        script << f << " down tap\n";
      }
      continue;
    }
    if (chance(25)) {
      if (held) script << f << ' ' << held << " up\n";
      const char* const directions[] = {nullptr, "left", "right"};
      held = directions[random() % 3];
      if (held) script << f << ' ' << held << " down\n";
    }
    if (chance(12)) {
      script << f << " up tap\n";
      selection_shift = (selection_shift + kMenuLines - 1) % kMenuLines;
    }
    if (chance(20)) {
      script << f << " down tap\n";
      selection_shift = (selection_shift + 1) % kMenuLines;
    }
  }
  return script.str();
}

long RssKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

struct Minute {
  int creatures = 0, drops = 0, effects = 0;  // the most in any frame of the minute
  long rss_kb = 0;                            // in the middle of the minute
  int games = 0;                              // games started so far
};

struct Soak {
  std::vector<Minute> minutes;
  int frames = 0;
  int games_started = 0, games_over = 0, purchases = 0;
  int leftover_creatures_at_start = 0;  // creatures alive in the frame a game started
  int oldest_effect_ms = 0;             // the largest |now - tm| of any effect in any frame
  int oldest_drop_ms = 0;               // the oldest drop in a frame whose world was updated
  int status = -1;
  std::string output;
};

// Runs the game with its trace on a pipe, reading each frame as it is written and sampling the
// process's memory at the end of each minute of play time.
Soak Play(int frames) {
  TempDir dir;
  fs::create_directory_symlink(fs::path(STOMP_SOURCE_DIR) / "gfx", dir.File("gfx"));
  WriteFile(dir.File("input.txt"), RandomPlayScript(frames, 20240611));
  // Money for the shop: highscore 0, no item, money 100000, no supplies.
  WriteFile(dir.File("stats.dat"),
            std::string("\0\0\0\0\0\0\0\0\xa0\x86\x01\0", 12) + std::string(12, '\0'));
  const std::string fifo = dir.File("trace.fifo");
  if (mkfifo(fifo.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
  const std::string output = dir.File("output.txt");
  const std::string frame_count = std::to_string(frames);
  std::vector<const char*> argv = {STOMP_HEADLESS_EXE,  "--driver", "null",      "--frames",
                                   frame_count.c_str(), "--input",  "input.txt", "--trace",
                                   "trace.fifo",        nullptr};
  const pid_t pid = fork();
  if (pid == 0) {
    // This end of the pipe stays open across exec and closes with the process, so the reader
    // sees the end of the trace even when the game never gets as far as opening it.
    const int writer = open(fifo.c_str(), O_WRONLY);
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (writer < 0 || fd < 0 || chdir(dir.path().c_str()) != 0) _exit(127);
    dup2(fd, 1);
    dup2(fd, 2);
    execv(argv[0], const_cast<char**>(argv.data()));
    _exit(127);
  }

  Soak soak;
  std::ifstream trace(fifo);
  Minute minute;
  int previous_state = 0;
  int previous_supplies = 0;
  for (std::string line; std::getline(trace, line);) {
    const std::optional<json::Value> frame = json::Parse(line);
    if (!frame) break;
    const int state = (*frame)["gamestate"].Int();
    const int creatures = static_cast<int>((*frame)["creatures"].Size());
    const json::Value& stock = (*frame)["stock"];
    const int supplies = stock[0].Int() + stock[1].Int() + stock[2].Int();
    if (state == 1 && previous_state == 0) {
      ++soak.games_started;
      soak.leftover_creatures_at_start = std::max(soak.leftover_creatures_at_start, creatures);
    }
    if (state == 3 && previous_state != 3) ++soak.games_over;
    const int now = (*frame)["now"].Int();
    for (const json::Value& effect : (*frame)["effects"].Items()) {
      soak.oldest_effect_ms = std::max(soak.oldest_effect_ms, std::abs(now - effect["tm"].Int()));
    }
    // Drops age only while the world is updated: in play and after game over, not in the menu.
    const bool world_ran =
        (state == 1 || state == 3) && (previous_state == 1 || previous_state == 3);
    for (const json::Value& drop : (*frame)["drops"].Items()) {
      if (world_ran) soak.oldest_drop_ms = std::max(soak.oldest_drop_ms, now - drop["tm"].Int());
    }
    if (state == 0 && supplies > previous_supplies) ++soak.purchases;
    previous_state = state;
    previous_supplies = supplies;

    minute.creatures = std::max(minute.creatures, creatures);
    minute.drops = std::max(minute.drops, static_cast<int>((*frame)["drops"].Size()));
    minute.effects = std::max(minute.effects, static_cast<int>((*frame)["effects"].Size()));
    // Mid-minute, while the game surely runs; it waits on the pipe, so this is its state now.
    if (++soak.frames % kFramesPerMinute == kFramesPerMinute / 2) minute.rss_kb = RssKb(pid);
    if (soak.frames % kFramesPerMinute == 0) {
      minute.games = soak.games_started;
      soak.minutes.push_back(minute);
      minute = Minute();
    }
  }
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  soak.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  soak.output = ReadFile(output).value_or("");
  return soak;
}

TEST(Soak, RandomPlayGameAfterGameStaysClean) {
  if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/ in the repository";
  const int frames = SoakFrames();
  const Soak soak = Play(frames);

  std::printf("minute  creatures  drops  effects  rss_mb  games\n");
  for (size_t m = 0; m < soak.minutes.size(); ++m) {
    const Minute& minute = soak.minutes[m];
    std::printf("%6zu  %9d  %5d  %7d  %6.1f  %5d\n", m + 1, minute.creatures, minute.drops,
                minute.effects, minute.rss_kb / 1024.0, minute.games);
  }
  std::printf("%d frames, %d games started, %d game overs, %d purchases\n", soak.frames,
              soak.games_started, soak.games_over, soak.purchases);

  EXPECT_EQ(soak.status, 0) << soak.output;
  EXPECT_EQ(soak.output.find("Sanitizer"), std::string::npos) << soak.output;
  EXPECT_EQ(soak.output.find("runtime error"), std::string::npos) << soak.output;
  EXPECT_EQ(soak.frames, frames) << "the trace ended early";
  EXPECT_GE(soak.games_over, 2) << "the random play did not go through game over";
  EXPECT_GE(soak.purchases, 1) << "the random play never bought anything";
  EXPECT_EQ(soak.leftover_creatures_at_start, 0)
      << "a new game started with creatures of an old one";

  // Every effect is gone within its second and every drop within its six seconds, so those
  // lists stay as short as the rate they are made at allows, however long the play.
  EXPECT_LE(soak.oldest_effect_ms, 1000);
  EXPECT_LE(soak.oldest_drop_ms, 6000);

  // Memory flat after the first minutes: the last third of the run stays within a tenth of what
  // the middle third reached.
  if (soak.minutes.size() < 6) return;
  const size_t third = soak.minutes.size() / 3;
  long middle_kb = 0, last_kb = 0;
  for (size_t m = third; m < soak.minutes.size(); ++m) {
    long& into = m < 2 * third ? middle_kb : last_kb;
    into = std::max(into, soak.minutes[m].rss_kb);
  }
  EXPECT_LE(last_kb, middle_kb + middle_kb / 10) << "memory grows";
}

}  // namespace
