#include "support/gl_calls.h"

#include <GL/gl.h>
#include <dlfcn.h>

#include <utility>
#include <vector>

namespace testing_support {
namespace {

std::vector<std::pair<std::string, long>>& Log() {
  static std::vector<std::pair<std::string, long>> log;
  return log;
}

// The GL library's own function of that name.
template <class F>
F Real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

int GLCalls::Count(const std::string& function, long arg) {
  int n = 0;
  for (const auto& [name, first] : Log()) n += name == function && (arg == -1 || first == arg);
  return n;
}

void GLCalls::Clear() { Log().clear(); }

}  // namespace testing_support

using testing_support::Log;
using testing_support::Real;

extern "C" {

void glEnable(GLenum cap) {
  static auto real = Real<void (*)(GLenum)>("glEnable");
  Log().emplace_back("glEnable", cap);
  real(cap);
}

void glDisable(GLenum cap) {
  static auto real = Real<void (*)(GLenum)>("glDisable");
  Log().emplace_back("glDisable", cap);
  real(cap);
}

void glBlendFunc(GLenum source, GLenum destination) {
  static auto real = Real<void (*)(GLenum, GLenum)>("glBlendFunc");
  Log().emplace_back("glBlendFunc", source);
  real(source, destination);
}

void glAlphaFunc(GLenum function, GLclampf reference) {
  static auto real = Real<void (*)(GLenum, GLclampf)>("glAlphaFunc");
  Log().emplace_back("glAlphaFunc", function);
  real(function, reference);
}

void glBindTexture(GLenum target, GLuint texture) {
  static auto real = Real<void (*)(GLenum, GLuint)>("glBindTexture");
  Log().emplace_back("glBindTexture", texture);
  real(target, texture);
}

void glBegin(GLenum mode) {
  static auto real = Real<void (*)(GLenum)>("glBegin");
  Log().emplace_back("glBegin", mode);
  real(mode);
}

void glColor4ubv(const GLubyte* color) {
  static auto real = Real<void (*)(const GLubyte*)>("glColor4ubv");
  Log().emplace_back("glColor4ubv", color[3]);
  real(color);
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
  static auto real = Real<void (*)(GLsizei, const GLuint*)>("glDeleteTextures");
  for (GLsizei i = 0; i < n; ++i) Log().emplace_back("glDeleteTextures", textures[i]);
  real(n, textures);
}

}  // extern "C"
