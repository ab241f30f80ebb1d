// The desktop game's picture kept apart from the window once the window has changed size: the game
// draws into an offscreen framebuffer of the size the window's drawable had when it opened, and
// each present copies it onto the window, scaled to the largest size that fits with its aspect
// kept, centred, the rest black. The game's coordinates, viewport, scissor and read-backs therefore
// stay the same whatever size the window takes (fullscreen).
#pragma once

#include <SDL.h>

namespace platform {

// Where a width x height picture lands on a drawable_width x drawable_height drawable: the largest
// rectangle with the picture's aspect that fits, centred (x and y from the bottom-left, as GL
// counts them; the odd pixel of a margin goes to the right and top).
SDL_Rect FitPicture(int width, int height, int drawable_width, int drawable_height);

class ScaledPicture {
 public:
  // Makes the framebuffer in the current GL context, cleared black and bound for drawing and
  // reading; the game's clear colour and scissor test are kept. False when the context has no
  // framebuffer objects; then nothing is bound and the game draws straight into the window.
  bool Create(int width, int height);
  void Destroy();
  bool Ready() const { return framebuffer_ != 0; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Draws the picture onto the window's back buffer; the scissor test and the clear colour the
  // game set are kept. Call Rebind after swapping.
  void DrawOntoWindow(int drawable_width, int drawable_height);
  // Binds the picture again, so the game's next drawing and reads go to it.
  void Rebind();

 private:
  unsigned framebuffer_ = 0;
  unsigned renderbuffer_ = 0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace platform
