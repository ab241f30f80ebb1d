// docs/sheets.png: every sprite sheet enlarged on the level's grey, one cell per checker square.
#pragma once

#include <string>
#include <vector>

#include "tools/font_sheet.h"

struct NamedSheet {
  std::string name;  // file name in gfx/
  RgbaImage image;
  int cell = 0;  // cell size in pixels
};

RgbaImage DrawContactSheet(const std::vector<NamedSheet>& sheets, const FontSheet& font);
