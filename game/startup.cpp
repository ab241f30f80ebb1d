#include "game/startup.h"

#include <string>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/numbers.h"
#include "engine/stream.h"
#include "engine/system.h"
#include "game/effects.h"
#include "game/font.h"
#include "game/gameflow.h"
#include "game/globals.h"
#include "game/level.h"
#include "game/playstep.h"
#include "game/screens.h"
#include "game/stats.h"

namespace {

const Sheet kSheets[] = {
    {&imgweapons, "gfx/weapons.png", 16, 16, 32},
    {&imgweaponsbig, "gfx/weapons_big.png", 32, 32, 32},
    {&imgcrea, "gfx/crea.png", 64, 64, 32},
    {&imgfig, "gfx/fig.png", 32, 32, 16},
    {&imgsymbols, "gfx/symbols.png", 16, 16, 64},
    {&imgsymbolsbig, "gfx/symbols_big.png", 32, 32, 32},
    {&imgglow, "gfx/glow.png", 0, 0, 0},
};

}  // namespace

const std::span<const Sheet> sheets = kSheets;

namespace {

// A missing sheet would only show as a crash at its first draw; stop here instead, naming it.
void LoadSheet(const Sheet& sheet) {
  if (sheet.frames == 0) {
    *sheet.image = LoadImage(sheet.path, -1);
    if (!*sheet.image) throw TRuntimeError(std::string(sheet.path) + ": not a readable PNG");
    return;
  }
  *sheet.image =
      LoadAnimImage(sheet.path, sheet.cell_width, sheet.cell_height, 0, sheet.frames, -1);
  if (!*sheet.image) {
    throw TRuntimeError(std::string(sheet.path) + ": not a readable PNG holding " +
                        IntToText(sheet.frames) + " cells of " + IntToText(sheet.cell_width) + "x" +
                        IntToText(sheet.cell_height) + " pixels");
  }
}

// Everything before the main loop, in the order the data needs: images before the window, the
// level after it (the bake draws), the saved progress last.
void StartUp(TDraw2DDriver* driver) {
  // The three lists, the constant tables and the level arrays are the globals' own start values.
  LoadGraphics();
  frametimer = CreateTimer(50.0f);
  if (!frametimer) throw TRuntimeError("stomp: cannot start the 50 Hz frame timer");
  SeedRnd(MilliSecs());
  SetGraphicsDriver(driver, 2);
  if (!Graphics(800, 576, 0, 60, 0)) {
    throw TRuntimeError("stomp: cannot open an 800x576 window with an OpenGL context: " +
                        GraphicsError());
  }
  HideMouse();
  LoadMap();
  BakeMap();
  LoadStats();
}

// The window's close box quits as the menu's quit line does, but a game in progress is ended
// and saved first.
void HandleCloseRequest() {
  if (!AppTerminate()) return;
  ClearCloseRequest();
  if (gamestate != kMenu) EndGame();
  End();
}

void StepAnimation() {
  if (now < nexttick) return;
  nexttick += 40;  // at most one step per frame: after a stall the counters catch up slowly
  anim16 = (anim16 + 1) % 16;
  anim8 = anim16 % 8;
}

}  // namespace

// Called by the start-up, and by the benchmarks' world.
void LoadGraphics() {
  font = TFo::Load("gfx/font", 32);
  bg = CreateImage(800, 576, 1, -1);
  AutoMidHandle(1);
  for (const Sheet& sheet : sheets) LoadSheet(sheet);
}

void DrawFrame() {
  StepAnimation();
  SetBlend(kBlendAlpha);
  Cls();
  PlayStep();
  TGx::UA();
  TGx::DrA();
  DrawHud();
  MenuScreen();
  PauseScreen();
}

// Called by both main() functions inside RunGuarded, which turns a start-up error into one line on
// stderr and a non-zero status.
void RunStomp(TDraw2DDriver* driver) {
  StartUp(driver);
  nexttick = MilliSecs();
  for (;;) {
    now = MilliSecs();
    DrawFrame();
    HandleCloseRequest();
    Flip(0);
    WaitTimer(*frametimer);
  }
}
