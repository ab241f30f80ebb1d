// Counts the OpenGL state calls that the code under test makes, then passes them on to GL.
//
// The counting functions carry GL's own names, so an executable whose code uses GLCalls() links
// them in place of the GL library's for the engine too; other test executables and the game call
// GL directly.
#pragma once

#include <string>

namespace testing_support {

class GLCalls {
 public:
  // How many times `function` ("glEnable", "glBindTexture", ...) was called since the last
  // Clear(), with `arg` as its first argument, or with any first argument when `arg` is -1.
  static int Count(const std::string& function, long arg = -1);
  static void Clear();
};

}  // namespace testing_support
