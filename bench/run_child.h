// Runs the game's executables (or a bare floor program) as children of the benchmark, each in a
// fresh directory that sees the repository's gfx/ and nothing else: no stats.dat carried over.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "support/process.h"

struct ChildRun {
  testing_support::ChildCost cost;
  double wall_seconds = 0;  // from just before the start to the end of waiting
  int trace_lines = 0;      // lines of the run's trace, when it was asked for one
};

// A fresh directory with a `gfx` link to the repository's run-time data.
std::unique_ptr<testing_support::TempDir> RunDirectory();

// Starts `exe` with `args` in a fresh run directory, output to a file there, and waits for it. With
// `trace` set, "--trace trace.jsonl" is added and its lines counted afterwards.
ChildRun RunChild(const std::string& exe, std::vector<std::string> args, bool trace = false);

// One child run (or one interleaved set of them) per iteration and per repetition, so that the
// repetitions' median, min and max show the spread; times in milliseconds.
void OneRunPerRepetition(benchmark::internal::Benchmark* b, int repetitions);
