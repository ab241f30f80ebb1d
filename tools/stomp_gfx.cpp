// Regenerates gfx/ and the docs pictures from assets/, or with --check reports which committed
// files differ from what the sources give.
#include <cstdio>
#include <string>

#include "tools/generate_all.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::string(argv[2]) != "--check")) {
    std::fprintf(stderr, "usage: %s REPO_ROOT [--check]\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const bool check = argc == 3;
  std::string error;
  const auto files = GenerateAll(root, &error);
  if (!files) {
    std::fprintf(stderr, "stomp-gfx: %s\n", error.c_str());
    return 1;
  }
  int differing = 0;
  for (const GeneratedFile& file : *files) {
    const std::string path = root + "/" + file.path;
    if (check) {
      const auto committed = ReadFileBytes(path);
      if (!committed || *committed != file.bytes) {
        std::fprintf(stderr, "stomp-gfx: %s differs from its sources\n", file.path.c_str());
        ++differing;
      }
    } else if (!WriteFileBytes(path, file.bytes)) {
      std::fprintf(stderr, "stomp-gfx: cannot write %s\n", path.c_str());
      return 1;
    } else {
      std::printf("wrote %s (%zu bytes)\n", file.path.c_str(), file.bytes.size());
    }
  }
  return differing ? 1 : 0;
}
