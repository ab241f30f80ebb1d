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
float QuadX(int i) { return 48.0f + static_cast<float>((i * 37) % 704); }
float QuadY(int i) { return 48.0f + static_cast<float>((i * 53) % 480); }

// The game's texture pattern: a frame draws sprites of many sheets and cells, each cell its own
// texture, so nearly every quad binds another texture. 36 different cells, drawn in turn.
struct Sprite {
  TImage* image;
  int frame;
};
std::vector<Sprite> SpritePattern() {
  std::vector<Sprite> sprites;
  sprites.reserve(16 + 8 + 6 + 5 + 1);
  for (int f = 0; f < 16; ++f) sprites.push_back({imgcrea.get(), f});
  for (int f = 0; f < 8; ++f) sprites.push_back({imgfig.get(), f});
  for (int f = 0; f < 6; ++f) sprites.push_back({imgweapons.get(), f});
  for (int f = 0; f < 5; ++f) sprites.push_back({imgsymbols.get(), f});
  sprites.push_back({imgglow.get(), 0});
  return sprites;
}

void BM_DrawImageQuads(benchmark::State& state) {
  const std::vector<Sprite> sprites = SpritePattern();
  SetBlend(kBlendAlpha);
  SetColor(255, 255, 255);
  for (auto _ : state) {
    for (int i = 0; i < kQuads; ++i) {
      const Sprite& s = sprites[i % sprites.size()];
      DrawImage(*s.image, QuadX(i), QuadY(i), s.frame);
    }
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kQuads);
}
BENCHMARK(BM_DrawImageQuads)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Smallest);

// The same quads in bare GL 1.1 with the same textures (made by DrawImage) bound in the same
// order, from the state the engine leaves: texturing and blending on.
void BM_RawGlQuads(benchmark::State& state) {
  const std::vector<Sprite> sprites = SpritePattern();
  SetBlend(kBlendAlpha);
  SetColor(255, 255, 255);
  std::vector<GLuint> textures;
  for (const Sprite& s : sprites) {
    DrawImage(*s.image, QuadX(0), QuadY(0), s.frame);  // makes the texture and leaves it bound
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    if (texture == 0) {
      state.SkipWithError("DrawImage left no texture bound");
      return;
    }
    textures.push_back(static_cast<GLuint>(texture));
  }
  glEnable(GL_TEXTURE_2D);
  glColor4ub(255, 255, 255, 255);
  glFinish();
  for (auto _ : state) {
    for (int i = 0; i < kQuads; ++i) {
      const size_t k = i % sprites.size();
      const float x = QuadX(i), y = QuadY(i);
      const float hw = sprites[k].image->width * 0.5f, hh = sprites[k].image->height * 0.5f;
      glBindTexture(GL_TEXTURE_2D, textures[k]);
      glBegin(GL_QUADS);
      glTexCoord2f(0, 0);
      glVertex2f(x - hw, y - hh);
      glTexCoord2f(1, 0);
      glVertex2f(x + hw, y - hh);
      glTexCoord2f(1, 1);
      glVertex2f(x + hw, y + hh);
      glTexCoord2f(0, 1);
      glVertex2f(x - hw, y + hh);
      glEnd();
    }
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kQuads);
}
BENCHMARK(BM_RawGlQuads)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Smallest);

// The one full-window quad every frame draws first: the baked background, blended.
void BM_DrawBackground(benchmark::State& state) {
  SetBlend(kBlendAlpha);
  SetColor(255, 255, 255);
  for (auto _ : state) {
    DrawImage(*bg, 0, 0, 0);
    glFinish();
  }
}
BENCHMARK(BM_DrawBackground)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  OpenGame(GLDraw2DDriver());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
