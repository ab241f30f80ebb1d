#include "bench/bare_frame.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

void Quad(float x0, float y0, float x1, float y1) {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(x0, y0);
  glTexCoord2f(1, 0);
  glVertex2f(x1, y0);
  glTexCoord2f(1, 1);
  glVertex2f(x1, y1);
  glTexCoord2f(0, 1);
  glVertex2f(x0, y1);
  glEnd();
}

}  // namespace

void DrawBareFrame(int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // Top-left origin: bottom and top are swapped on purpose.
  glOrtho(0, width, height, 0, -1, 1);  // NOLINT(readability-suspicious-call-argument)
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  glColor4ub(0x44, 0x44, 0x44, 255);
  Quad(0, 0, static_cast<float>(width), static_cast<float>(height));

  std::vector<uint8_t> window(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, window.data());

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4ub(255, 255, 0, 128);
  Quad(0, 170, static_cast<float>(width), 180);

  constexpr int kSide = 32;
  std::vector<uint8_t> texels(kSide * kSide * 4);
  for (int i = 0; i < kSide * kSide; ++i) {
    texels[4 * i] = static_cast<uint8_t>(i * 7);
    texels[4 * i + 1] = static_cast<uint8_t>(i * 3);
    texels[4 * i + 2] = 200;
    texels[4 * i + 3] = i % 3 ? 255 : 0;
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSide, kSide, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4ub(255, 200, 100, 220);
  Quad(384, 272, 384 + kSide, 272 + kSide);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
}
