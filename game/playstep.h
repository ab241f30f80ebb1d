// The per-frame play step with the wave schedule, and spawning at the level's spawn points.
#pragma once

void PlayStep();
// kFigureGroup creates the figure, a CreatureKind a creature of that kind, at a random point of the
// group; an empty group spawns nothing.
void SpawnOne(int group);
