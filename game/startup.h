// Start-up and the 50 Hz main loop. Never returns: the program ends through End() or an error.
#pragma once

#include <span>

#include "engine/image.h"

class TDraw2DDriver;

// A sprite sheet: an image file cut into `frames` cells of one size, or one frame of the whole
// image when `frames` is 0.
struct Sheet {
  TImagePtr* image;
  const char* path;
  int cell_width;
  int cell_height;
  int frames;
};
// Every sheet the game draws from, in loading order.
extern const std::span<const Sheet> sheets;

// The font, the blank background and every sheet, with the sheets' handles at their centres; a
// missing or broken file stops the program with one line naming it. Needs no window.
void LoadGraphics();

[[noreturn]] void RunStomp(TDraw2DDriver* driver);

// The body of one frame after the clock has been sampled into `now` and before it is presented:
// animation counters, clear, play step, effects, HUD and screens. Called by RunStomp every frame,
// and by the benchmarks.
void DrawFrame();
