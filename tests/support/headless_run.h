// Runs the real stomp-headless executable in a fresh temporary directory and collects what it
// left behind: exit status, stderr, the trace lines (parsed), stats.dat and any other file.
//
//   RunOptions options;
//   options.args = {"--frames", "3"};
//   options.input = "1 space tap\n";
//   RunResult run = RunHeadless(options);
//   ASSERT_EQ(run.status, 0) << run.stderr_text;
//   EXPECT_EQ(run.trace[2]["now"].Int(), 40);
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/json.h"
#include "support/process.h"

namespace testing_support {

struct RunOptions {
  std::vector<std::string> args;     // passed after the ones below
  std::optional<std::string> input;  // script text: written to input.txt and passed as --input
  std::optional<std::string> stats;  // bytes of a stats.dat present before the run
  bool trace = true;                 // pass --trace trace.jsonl and parse it afterwards
  bool gfx = true;                   // link the repository's gfx/ into the run directory
  int timeout_ms = 60000;            // the run is killed after this (status then reports it)
};

struct RunResult {
  int status = -1;  // exit status 0..255; 128 + signal number when killed by a signal
  bool timed_out = false;
  std::string stderr_text;           // stderr and stdout of the run, in the order written
  std::vector<json::Value> trace;    // one object per trace line
  std::string trace_error;           // empty, or what was wrong with which trace line
  std::optional<std::string> stats;  // stats.dat after the run, absent when there is none
  std::shared_ptr<TempDir> dir;      // the run directory, kept while the result lives

  std::string File(const std::string& name) const { return dir->File(name); }
};

RunResult RunHeadless(const RunOptions& options);

// Whole-file helpers for tests; ReadFile answers nothing when the file cannot be read.
std::optional<std::string> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// A Unix stream socket bound at `path`, listening (its file stays at the path until removed);
// answers its descriptor, or -1 with errno set.
int ListeningUnixSocket(const std::string& path);

// The bytes of `values` as 32-bit little-endian integers, the layout of stats.dat's six values.
std::string StatsBytes(std::initializer_list<int> values);

// True when the repository has the run-time data the game needs to start.
bool HaveGfx();

}  // namespace testing_support
