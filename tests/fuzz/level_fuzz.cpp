// The level file "gfx/map.dat": LoadMap either fills map and spawns exactly as the bytes say, or
// refuses with an error naming the file. Which of the two must follow from the bytes alone.
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/stream.h"
#include "fuzz_support.h"
#include "game/globals.h"
#include "game/level.h"

namespace {

constexpr size_t kCellBytes = kMapColumns * kMapRows;

int32_t LittleEndianInt(const uint8_t* p) {
  return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// Whether a correct loader accepts the bytes: every group complete, no negative count and at least
// one start point for the figure.
bool Acceptable(const uint8_t* data, size_t size) {
  if (size < kCellBytes) return false;
  size_t offset = kCellBytes;
  for (int g = 0; g < kSpawnGroups; ++g) {
    if (size - offset < 4) return false;
    const int32_t n = LittleEndianInt(data + offset);
    offset += 4;
    if (n < 0 || (size - offset) / 2 < static_cast<size_t>(n)) return false;
    if (g == 0 && n == 0) return false;
    offset += 2 * static_cast<size_t>(n);
  }
  return true;
}

void CheckLoaded(const uint8_t* data) {
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      if (map[c][r] != data[r * kMapColumns + c])
        fuzz_support::Fail("cell value differs from its byte");
    }
  }
  size_t offset = kCellBytes;
  for (int g = 0; g < kSpawnGroups; ++g) {
    const int32_t n = LittleEndianInt(data + offset);
    offset += 4;
    if (spawns[g].size() != static_cast<size_t>(n))
      fuzz_support::Fail("spawn group size differs from its count");
    for (const T2D& point : spawns[g]) {
      if (point.x != data[offset] * kCellSize + spawnofs[g][0] ||
          point.y != data[offset + 1] * kCellSize + spawnofs[g][1]) {
        fuzz_support::Fail("spawn point differs from its cell");
      }
      offset += 2;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::EnterScratchDir(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::WriteWholeFile("gfx/map.dat", data, size);
  for (auto& group : spawns) group.clear();
  bool loaded = true;
  try {
    LoadMap();
  } catch (const TRuntimeError& error) {
    loaded = false;
    if (std::strncmp(error.what(), "gfx/map.dat", 11) != 0) {
      fuzz_support::Fail(std::string("the error does not name the file: ") + error.what());
    }
  }
  if (loaded != Acceptable(data, size)) {
    fuzz_support::Fail(loaded ? "a malformed level was accepted" : "a sound level was refused");
  }
  if (loaded) CheckLoaded(data);
  return 0;
}
