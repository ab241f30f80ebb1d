// The game set up in-process for the frame benchmarks: run-time data loaded, a window open on the
// offscreen backend, and worlds of a chosen size built straight into the globals.
#pragma once

#include <benchmark/benchmark.h>

class TDraw2DDriver;

// How many of each kind of actor a world holds.
struct WorldSize {
  int creatures = 0;
  int drops = 0;
  int effects = 0;
};

// The typical world (25 creatures, 5 drops, 100 effects) times `factor`.
WorldSize ScaledWorld(int factor);

// Loads font, sheets and level from the repository's gfx/ and opens the 800x576 window with the
// driver, as the game's start-up does. Called once per benchmark program, before any world.
void OpenGame(TDraw2DDriver* driver);

// Replaces the world with a fresh one of the given size, in state 1, every actor already awake,
// and the figure running (left or right by `run_right`). The same size builds the same world.
void BuildWorld(const WorldSize& size, bool run_right);

// One pass of the main loop in the playing state, without presenting or waiting: the clock moves
// on by 20 ms, then the play step, the effects and the screens.
void PlayFrame();

// How many frames a built world is played before it is rebuilt: short enough that no effect
// expires and the figure loses at most one heart, so the world keeps its size.
inline constexpr int kFramesPerWorld = 25;

// One benchmark iteration per frame of worlds of `size`, rebuilt outside the timing every
// kFramesPerWorld frames with the figure turning round; `finish` (timed) ends every frame.
// Reports the world's counts, and creatures + drops as the complexity N.
void RunWorldFrames(benchmark::State& state, const WorldSize& size, void (*finish)() = nullptr);
