// Spawning at the level's spawn points.
#pragma once

// kFigureGroup creates the figure, a CreatureKind a creature of that kind, at a random point of the
// group; an empty group spawns nothing.
void SpawnOne(int group);
