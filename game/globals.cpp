#include "game/globals.h"

#include <algorithm>

#include "game/creature.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/figure.h"
#include "game/font.h"

int gamestate = kMenu;
int menusel = 0;
int pausesel = 0;
std::shared_ptr<TFig> fig;
int health = 0;
int money = 0;
std::array<int, kSupplyCount> stock = {0, 0, 0};
int item = kNoItem;
int score = 0;
int highscore = 0;
int now = 0;
int playtime = 0;
int nextwave = 0;
int flashend = 0;
int anim16 = 0;
int anim8 = 0;
int nexttick = 0;
TTimerPtr frametimer;

TList<TCr> creatures;
TList<TDrp> drops;
TList<TGx> effects;

int map[kMapColumns][kMapRows] = {};
std::array<std::vector<T2D>, kSpawnGroups> spawns;

std::unique_ptr<TFo> font;
TImagePtr bg;
TImagePtr imgweapons;
TImagePtr imgweaponsbig;
TImagePtr imgcrea;
TImagePtr imgfig;
TImagePtr imgsymbols;
TImagePtr imgsymbolsbig;
TImagePtr imgglow;

void ResetGlobals() {
  gamestate = kMenu;
  menusel = pausesel = 0;
  fig.reset();
  health = money = score = highscore = 0;
  item = kNoItem;
  stock = {0, 0, 0};
  now = playtime = nextwave = flashend = 0;
  anim16 = anim8 = nexttick = 0;
  frametimer.reset();
  creatures.Clear();
  drops.Clear();
  effects.Clear();
  std::fill(&map[0][0], &map[0][0] + kMapColumns * kMapRows, 0);
  for (std::vector<T2D>& group : spawns) group.clear();
  font.reset();
  for (TImagePtr* image : {&bg, &imgweapons, &imgweaponsbig, &imgcrea, &imgfig, &imgsymbols,
                           &imgsymbolsbig, &imgglow}) {
    image->reset();
  }
}
