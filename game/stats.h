// The saved progress "stats.dat": highscore, item, money and the three supplies, 24 bytes.
#pragma once

void LoadStats();
// Applies the highscore rule, then replaces "stats.dat" atomically; a failed save keeps the old
// file, says so on stderr and the game goes on.
void SaveStats();
