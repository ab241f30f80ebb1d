// The game's global state, in one place so that tests can reset it.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "engine/image.h"
#include "engine/list.h"
#include "engine/system.h"
#include "game/model.h"
#include "game/tables.h"

class TFig;
class TCr;
class TDrp;
class TGx;
class TFo;

// A spawn point in pixels.
struct T2D {
  int x = 0;
  int y = 0;
};

extern int gamestate;
extern int menusel;
extern int pausesel;
extern std::shared_ptr<TFig> fig;
extern int health;
extern int money;
extern std::array<int, kSupplyCount> stock;  // indexed by Supply
extern int item;                             // an Item
extern int score;
extern int highscore;
extern int now;
extern int playtime;
extern int nextwave;
extern int flashend;
extern int anim16;
extern int anim8;
extern int nexttick;
extern TTimerPtr frametimer;

extern TList<TCr> creatures;
extern TList<TDrp> drops;
extern TList<TGx> effects;

extern int map[kMapColumns][kMapRows];  // [column][row]; 1 solid, 0 open
extern std::array<std::vector<T2D>, kSpawnGroups> spawns;

extern std::unique_ptr<TFo> font;
extern TImagePtr bg;
extern TImagePtr imgweapons;
extern TImagePtr imgweaponsbig;
extern TImagePtr imgcrea;
extern TImagePtr imgfig;
extern TImagePtr imgsymbols;
extern TImagePtr imgsymbolsbig;
extern TImagePtr imgglow;

// Puts every global back to its start value (lists emptied, images and font released).
void ResetGlobals();
