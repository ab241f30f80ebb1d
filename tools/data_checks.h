// Checks of the committed run-time data against what the game reads from it.
#pragma once

#include <string>
#include <vector>

#include "tools/png_io.h"

struct FrameRange {
  int first = 0;
  int last = 0;  // inclusive
};

struct SheetRequirement {
  const char* file;  // in gfx/
  int cell_width;
  int cell_height;
  int frames;
  std::vector<FrameRange> drawn;  // frames the game draws; each must show something
};

// The sheets the game loads, with their cell sizes, frame counts and the frames it draws.
const std::vector<SheetRequirement>& SheetRequirements();

// Each function returns one message per problem; empty means the data is good.
std::vector<std::string> CheckSheet(const SheetRequirement& sheet, const Bytes& png);
std::vector<std::string> CheckGlow(const Bytes& png);
std::vector<std::string> CheckFont(const Bytes& metrics, const Bytes& png);
std::vector<std::string> CheckMap(const Bytes& map);
// Regenerates everything from assets/ in memory and names every committed file that differs.
std::vector<std::string> CheckRegenerated(const std::string& repo_root);

// The numbers of a font metrics file, read the way the game reads them.
std::vector<int> FontNumbers(const Bytes& metrics);
