#include "game/spawn.h"

#include <vector>

#include "engine/numbers.h"
#include "game/creature.h"
#include "game/figure.h"
#include "game/globals.h"

// Called by the wave check, and for the figure's group when a game starts.
void SpawnOne(int group) {
  if (group < 0 || group >= kSpawnGroups || spawns[group].empty()) return;
  const std::vector<T2D>& points = spawns[group];
  const T2D p = points[Rand(0, static_cast<int>(points.size()) - 1)];
  if (group == kFigureGroup) {
    TFig::Cr(p.x, p.y);
  } else {
    TCr::Cr(group, p.x, p.y);
  }
}
