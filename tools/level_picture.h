// docs/level.png: the level as the game paints it, with a grid, and every spawn point marked by
// the boxes its actor has there, in the actor's colour, labelled with its group.
#pragma once

#include "tools/font_sheet.h"
#include "tools/level_file.h"

RgbaImage DrawLevelPicture(const Level& level, const FontSheet& font);
