#include "game/level.h"

#include <string>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/numbers.h"
#include "engine/stream.h"
#include "game/colour.h"
#include "game/globals.h"

namespace {

constexpr const char* kMapPath = "gfx/map.dat";

[[noreturn]] void Refuse(const std::string& problem) {
  throw TRuntimeError(std::string(kMapPath) + ": " + problem);
}

void ReadLevel(TStream& stream) {
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) map[c][r] = stream.ReadByte();
  }
  for (int g = 0; g < kSpawnGroups; ++g) {
    const int n = stream.ReadInt();
    if (n < 0)
      Refuse("spawn group " + IntToText(g) + " has a negative point count (" + IntToText(n) + ")");
    std::vector<T2D> points;
    for (int i = 0; i < n; ++i) {
      const int column = stream.ReadByte();
      const int row = stream.ReadByte();
      points.push_back({column * kCellSize + spawnofs[g][0], row * kCellSize + spawnofs[g][1]});
    }
    spawns[g] = std::move(points);
  }
}

}  // namespace

// Called once at start-up after the window is open. The game trusts nothing it cannot use: a level
// that is missing, cut short or has no start point for the figure stops the program here.
void LoadMap() {
  TStreamPtr stream = ReadStream(kMapPath);
  if (!stream) Refuse("cannot be opened");
  try {
    ReadLevel(*stream);
  } catch (const TStreamReadException&) { Refuse("the file ends before its data"); }
  stream->Close();
  if (spawns[0].empty()) Refuse("spawn group 0 (the figure's start) has no point");
}

// Called once, right after LoadMap and before the first frame: the back buffer is still black, so
// the grab leaves only the painted open cells opaque.
void BakeMap() {
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      if (map[c][r] != 0) continue;
      SetCol(0x444444);
      DrawRect(c * kCellSize, r * kCellSize, kCellSize, kCellSize);
    }
  }
  GrabImage(*bg, 0, 0, 0);
  SetCol(kWhite);
}
