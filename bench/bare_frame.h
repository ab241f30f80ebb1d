// One frame drawn with plain OpenGL 1.1 by the bare programs that set the floor under the game's
// start-up: one of each kind of thing the game's first frames draw, so that the GL stack (and a
// software rasteriser's shader compiler) does the same kinds of work once.
#pragma once

// Draws into the current context's back buffer of `width` x `height` pixels: a solid rectangle over
// the whole window, a read-back of the whole window, a blended rectangle and a blended, tinted,
// linearly filtered textured quad. Leaves the back buffer not black anywhere.
void DrawBareFrame(int width, int height);
