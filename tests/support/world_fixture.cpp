#include "support/world_fixture.h"

#include "engine/graphics.h"
#include "engine/image.h"
#include "game/creature.h"
#include "game/globals.h"

void UseBlankSheets() {
  bg = CreateImage(800, 576, 1);
  imgfig = CreateImage(32, 32, 16);
  imgcrea = CreateImage(64, 64, 32);
  imgsymbols = CreateImage(16, 16, 64);
  imgsymbolsbig = CreateImage(32, 32, 32);
  imgweapons = CreateImage(16, 16, 32);
  imgweaponsbig = CreateImage(32, 32, 32);
  imgglow = CreateImage(32, 32, 1);
}

std::shared_ptr<TCr> AddActiveCreature(int kind, int x, int y, int dir) {
  auto c = std::make_shared<TCr>();
  c->cl = kind;
  c->x = x;
  c->y = y;
  c->dir = dir;
  c->act = 1;
  c->hl = kind > 3 ? 3 : 1;
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
