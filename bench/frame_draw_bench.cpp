// Drawing cost with the OpenGL driver on the offscreen context: whole playing frames, and the
// engine's DrawImage against the same textured quads issued in bare OpenGL 1.1. Every iteration
// ends in glFinish so that the rasteriser's work is counted, not just the queueing of commands.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/world.h"
#include "engine/graphics.h"
#include "engine/image.h"
#include "game/globals.h"

namespace {

constexpr int kQuads = 1000;
constexpr float kHalf = 16.0f;  // the figure sheet's cells are 32 x 32, handled at their centre

void FinishGl() { glFinish(); }

// The repetition least disturbed by other processes on a shared machine.
double Smallest(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

// Factor 0 is the empty level: background and HUD only.
void BM_DrawFrame(benchmark::State& state) {
  RunWorldFrames(state, ScaledWorld(state.range(0)), FinishGl);
}
BENCHMARK(BM_DrawFrame)
    ->ArgName("factor")
    ->Arg(0)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);

// Quad centres spread over the window, every quad fully inside it.
float QuadX(int i) { return 32.0f + static_cast<float>((i * 37) % 736); }
float QuadY(int i) { return 32.0f + static_cast<float>((i * 53) % 512); }

void BM_DrawImageQuads(benchmark::State& state) {
  SetBlend(3);
  SetColor(255, 255, 255);
  for (auto _ : state) {
    for (int i = 0; i < kQuads; ++i) DrawImage(*imgfig, QuadX(i), QuadY(i), 0);
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kQuads);
}
BENCHMARK(BM_DrawImageQuads)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Smallest);

// The same quads with the state the engine left: its texture bound, texturing and blending on.
void BM_RawGlQuads(benchmark::State& state) {
  SetBlend(3);
  SetColor(255, 255, 255);
  DrawImage(*imgfig, QuadX(0), QuadY(0), 0);  // makes the texture and leaves it bound
  GLint texture = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
  if (texture == 0) {
    state.SkipWithError("DrawImage left no texture bound");
    return;
  }
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
  glEnable(GL_TEXTURE_2D);
  glColor4ub(255, 255, 255, 255);
  glFinish();
  for (auto _ : state) {
    for (int i = 0; i < kQuads; ++i) {
      const float x = QuadX(i), y = QuadY(i);
      glBegin(GL_QUADS);
      glTexCoord2f(0, 0);
      glVertex2f(x - kHalf, y - kHalf);
      glTexCoord2f(1, 0);
      glVertex2f(x + kHalf, y - kHalf);
      glTexCoord2f(1, 1);
      glVertex2f(x + kHalf, y + kHalf);
      glTexCoord2f(0, 1);
      glVertex2f(x - kHalf, y + kHalf);
      glEnd();
    }
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kQuads);
}
BENCHMARK(BM_RawGlQuads)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Smallest);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  OpenGame(GLDraw2DDriver());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
