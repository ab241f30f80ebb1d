// Start-up and the 50 Hz main loop. Never returns: the program ends through End() or an error.
#pragma once

class TDraw2DDriver;

[[noreturn]] void RunStomp(TDraw2DDriver* driver);

// The body of one frame after the clock has been sampled into `now` and before it is presented:
// animation counters, clear, play step, effects, HUD and screens. Called by RunStomp every frame,
// and by the benchmarks.
void DrawFrame();
