#include "support/drawing_fixture.h"

#include <string>

#include "engine/system.h"
#include "game/font.h"
#include "game/globals.h"
#include "support/world_fixture.h"

void DrawingWorldTest::SetUp() {
  ResetGlobals();
  rec.Open();
  EnableKeyTracking(true);
  UseBlankSheets();
}

void DrawingWorldTest::TearDown() {
  FlushKeys();
  ResetGlobals();
}

bool LoadGameFont() {
  font = TFo::Load(std::string(STOMP_SOURCE_DIR) + "/gfx/font", 32);
  return static_cast<bool>(font);
}
