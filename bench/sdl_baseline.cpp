// The floor under the desktop game's start-up and exit: a bare SDL2 program that opens the window
// the game opens (800 x 576, centred, an OpenGL compatibility context, no vsync), draws one bare
// frame of each kind of thing the game's first frames draw, presents it, and exits when the window
// is asked to close. Run by desktop_startup_bench as a child.
#include <SDL.h>

#include <cstdio>

#include "bench/bare_frame.h"

int main(int, char**) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "sdl_baseline: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_Window* window =
      SDL_CreateWindow("Corvane Application", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800,
                       576, SDL_WINDOW_SHOWN | SDL_WINDOW_OPENGL);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (!context) {
    std::fprintf(stderr, "sdl_baseline: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetSwapInterval(0);
  DrawBareFrame(800, 576);
  SDL_GL_SwapWindow(window);
  for (SDL_Event event; SDL_WaitEvent(&event) && event.type != SDL_QUIT;) {}
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
