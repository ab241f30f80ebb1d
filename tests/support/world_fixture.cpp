#include "support/world_fixture.h"

#include "engine/graphics.h"
#include "engine/image.h"
#include "game/creature.h"
#include "game/globals.h"
#include "game/startup.h"

void UseBlankSheets() {
  bg = CreateImage(800, 576, 1);
  for (const Sheet& sheet : sheets) {
    // A sheet of one whole-image frame gets a small stand-in.
    *sheet.image = sheet.frames > 0 ? CreateImage(sheet.cell_width, sheet.cell_height, sheet.frames)
                                    : CreateImage(32, 32, 1);
  }
}

std::shared_ptr<TCr> AddActiveCreature(int kind, int x, int y, int dir) {
  auto c = std::make_shared<TCr>();
  c->cl = kind;
  c->x = x;
  c->y = y;
  c->dir = dir;
  c->act = kCrActive;
  c->hl = kind >= kBigWalker ? 3 : 1;
  creatures.AddLast(c);
  return c;
}

void WorldTest::SetUp() {
  ResetGlobals();
  SetGraphicsDriver(NullDraw2DDriver());
  ASSERT_TRUE(Graphics(800, 576));
  UseBlankSheets();
}

void WorldTest::TearDown() { ResetGlobals(); }
