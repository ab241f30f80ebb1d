#include "engine/platform/sdl2_picture.h"

#include <SDL_opengl.h>

#include <cstdlib>

namespace platform {

namespace {

// The framebuffer calls are not in GL 1.1, so they are looked up in the context.
struct FramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
  PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;
  PFNGLBLITFRAMEBUFFERPROC blit_framebuffer = nullptr;

  bool Load() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const bool core = version && std::atoi(version) >= 3;
    if (!core && !SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object")) return false;
    Get(gen_framebuffers, "glGenFramebuffers");
    Get(delete_framebuffers, "glDeleteFramebuffers");
    Get(bind_framebuffer, "glBindFramebuffer");
    Get(gen_renderbuffers, "glGenRenderbuffers");
    Get(delete_renderbuffers, "glDeleteRenderbuffers");
    Get(bind_renderbuffer, "glBindRenderbuffer");
    Get(renderbuffer_storage, "glRenderbufferStorage");
    Get(framebuffer_renderbuffer, "glFramebufferRenderbuffer");
    Get(check_framebuffer_status, "glCheckFramebufferStatus");
    Get(blit_framebuffer, "glBlitFramebuffer");
    return gen_framebuffers && delete_framebuffers && bind_framebuffer && gen_renderbuffers &&
           delete_renderbuffers && bind_renderbuffer && renderbuffer_storage &&
           framebuffer_renderbuffer && check_framebuffer_status && blit_framebuffer;
  }

  template <class F>
  static void Get(F& call, const char* name) {
    call = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
  }
};

FramebufferCalls gl;

// The picture clears and copies between the game's frames: the game's clear colour and scissor
// test are put back afterwards, and the scissor must not clip what the picture does meanwhile.
class KeepGameState {
 public:
  KeepGameState() {
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear_);
    scissor_ = glIsEnabled(GL_SCISSOR_TEST);
    if (scissor_) glDisable(GL_SCISSOR_TEST);
  }
  ~KeepGameState() {
    glClearColor(clear_[0], clear_[1], clear_[2], clear_[3]);
    if (scissor_) glEnable(GL_SCISSOR_TEST);
  }
  KeepGameState(const KeepGameState&) = delete;
  KeepGameState& operator=(const KeepGameState&) = delete;

 private:
  GLfloat clear_[4] = {};
  GLboolean scissor_ = GL_FALSE;
};

}  // namespace

SDL_Rect FitPicture(int width, int height, int drawable_width, int drawable_height) {
  SDL_Rect r{0, 0, drawable_width, drawable_height};
  if (width <= 0 || height <= 0) return r;
  // Compared as products, so an exact fit never loses a pixel to rounding.
  if (Sint64(drawable_width) * height <= Sint64(drawable_height) * width) {
    r.h = int(Sint64(height) * drawable_width / width);
  } else {
    r.w = int(Sint64(width) * drawable_height / height);
  }
  r.x = (drawable_width - r.w) / 2;
  r.y = (drawable_height - r.h) / 2;
  return r;
}

bool ScaledPicture::Create(int width, int height) {
  Destroy();
  if (width <= 0 || height <= 0 || !gl.Load()) return false;
  gl.gen_renderbuffers(1, &renderbuffer_);
  gl.bind_renderbuffer(GL_RENDERBUFFER, renderbuffer_);
  // No alpha, like the window: read-backs then give opaque alpha wherever the game blended.
  gl.renderbuffer_storage(GL_RENDERBUFFER, GL_RGB8, width, height);
  gl.gen_framebuffers(1, &framebuffer_);
  gl.bind_framebuffer(GL_FRAMEBUFFER, framebuffer_);
  gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer_);
  if (gl.check_framebuffer_status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    Destroy();
    return false;
  }
  width_ = width;
  height_ = height;
  KeepGameState keep;
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  return true;
}

void ScaledPicture::Destroy() {
  if (framebuffer_ || renderbuffer_) gl.bind_framebuffer(GL_FRAMEBUFFER, 0);
  if (framebuffer_) gl.delete_framebuffers(1, &framebuffer_);
  if (renderbuffer_) gl.delete_renderbuffers(1, &renderbuffer_);
  framebuffer_ = renderbuffer_ = 0;
  width_ = height_ = 0;
}

void ScaledPicture::DrawOntoWindow(int drawable_width, int drawable_height) {
  KeepGameState keep;
  gl.bind_framebuffer(GL_DRAW_FRAMEBUFFER, 0);
  const SDL_Rect to = FitPicture(width_, height_, drawable_width, drawable_height);
  if (to.w != drawable_width || to.h != drawable_height) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  // Whole multiples keep every game pixel a sharp square; other sizes are smoothed, or pixels
  // would come out in two widths.
  const bool whole = to.w % width_ == 0 && to.h % height_ == 0;
  gl.blit_framebuffer(0, 0, width_, height_, to.x, to.y, to.x + to.w, to.y + to.h,
                      GL_COLOR_BUFFER_BIT, whole ? GL_NEAREST : GL_LINEAR);
}

void ScaledPicture::Rebind() { gl.bind_framebuffer(GL_FRAMEBUFFER, framebuffer_); }

}  // namespace platform
