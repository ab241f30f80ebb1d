// The saved progress "stats.dat": LoadStats takes the first 24 bytes as six little-endian ints or
// raises the read error for a shorter file; what it loaded saves back to the same bytes.
#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/stream.h"
#include "fuzz_support.h"
#include "game/globals.h"
#include "game/stats.h"

namespace {

constexpr size_t kStatsBytes = 24;

std::string ReadBack() {
  std::ifstream in("stats.dat", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::EnterScratchDir(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::WriteWholeFile("stats.dat", data, size);
  bool loaded = true;
  try {
    LoadStats();
  } catch (const TRuntimeError&) {  // the read error, named after the file
    loaded = false;
  }
  if (loaded != (size >= kStatsBytes)) {
    fuzz_support::Fail(loaded ? "a short file was loaded" : "a complete file was refused");
  }
  if (!loaded) {
    if (ReadBack() != std::string(reinterpret_cast<const char*>(data), size)) {
      fuzz_support::Fail("a failed load changed the file");
    }
    return 0;
  }
  // The lowest score never beats the highscore, so the save writes back exactly what was loaded.
  score = INT_MIN;
  SaveStats();
  if (ReadBack() != std::string(reinterpret_cast<const char*>(data), kStatsBytes)) {
    fuzz_support::Fail("loading and saving changed the first 24 bytes");
  }
  return 0;
}
