#include "game/screens.h"

#include <array>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/numbers.h"
#include "engine/system.h"
#include "game/colour.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/figure.h"
#include "game/font.h"
#include "game/gameflow.h"
#include "game/globals.h"

namespace {

struct Line {
  const char* text;
  int y;
};
constexpr std::array<Line, 5> kMenuLines = {{
    {"BRING IT ON!", 200},
    {"buy healing agent", 264},
    {"buy ammunition", 328},
    {"buy blasting agent", 392},
    {"I've had enough. I QUIT!", 456},
}};
constexpr std::array<Line, 2> kPauseLines = {{{"continue game", 296}, {"end game", 344}}};

// Moves a selection by the down and up presses (down read first) and wraps it into 0..count-1,
// however many presses arrived in one frame.
int Navigate(int selected, int count) {
  const int down = KeyHit(kKeyDown);
  const int up = KeyHit(kKeyUp);
  const int moved = (selected + down - up) % count;
  return moved < 0 ? moved + count : moved;
}

void Buy(int supply) {
  if (money < prices[supply]) return;
  money -= prices[supply];
  stock[supply] += 1;
}

void DrawHeldItem() {
  switch (item) {
    case kItemHealing:
      SetCol(kSupplyColours[kHealingAgent]);
      DrawImage(*imgweaponsbig, 768, 60, anim8);
      break;
    case kItemGun:
      SetCol(kSupplyColours[kAmmunition]);
      DrawImage(*imgweaponsbig, 768, 60, anim16 + 8);
      break;
    case kItemBomb:
      SetCol(kSupplyColours[kBlastingAgent]);
      DrawImage(*imgweaponsbig, 768, 60, anim8 + 24);
      break;
    default:  // an unknown item from the saved progress: frame 0 in the colour then current
      DrawImage(*imgweaponsbig, 768, 60, 0);
      break;
  }
}

void DrawShopColumn() {
  for (int i = 0; i < kSupplyCount; ++i) {
    const int y = 264 + 64 * i;
    SetCol(kYellow);
    DrawImage(*imgsymbolsbig, 704, y, anim16 + 16);
    SetCol(kWhite);
    font->Dr(IntToText(prices[i]), 680, y, 1, 2);
    SetCol(kSupplyColours[i]);
    DrawImage(*imgsymbolsbig, 96, y, anim16);
  }
}

}  // namespace

// Called by the menu and the pause screen. The lower bar has height -2, so it fills the two rows
// just above y + 24.
void MenuLine(const std::string& text, int y, int selected) {
  SetCol(kWhite);
  if (selected != 0) {
    SetCol(kYellow);
    DrawRect(0, y - 24, 800, 2);
    DrawRect(0, y + 24, 800, -2);
  }
  font->Dr(text, 400, y, 2, 2);
}

// Called by the main loop every frame, in every state.
void DrawHud() {
  SetCol(kRed);
  for (int i = 0; i < health; ++i) DrawImage(*imgsymbols, 32 + 24 * i, 60, 1);
  SetCol(kYellow);
  DrawImage(*imgsymbolsbig, 32, 20, anim16 + 16);
  for (int i = 0; i < kSupplyCount; ++i) {
    SetCol(kSupplyColours[i]);
    DrawImage(*imgsymbolsbig, 228 + 196 * i, 20, anim16);
  }
  SetCol(kWhite);
  font->Dr(IntToText(money), 48, 20, 0, 2);
  for (int i = 0; i < kSupplyCount; ++i) font->Dr(IntToText(stock[i]), 244 + 196 * i, 20, 0, 2);
  if (gamestate > kMenu) font->Dr("score: " + IntToText(score), 400, 60, 2, 2);
  if (item > kNoItem) DrawHeldItem();
}

// Called by the main loop every frame; acts only in the menu. The drawing below still runs in the
// frame that starts a game; the next frame shows the game.
void MenuScreen() {
  if (gamestate != kMenu) return;
  menusel = Navigate(menusel, static_cast<int>(kMenuLines.size()));
  if (KeyHit(kKeySpace)) {
    if (menusel == 0) {
      StartGame();
    } else if (menusel <= kSupplyCount) {
      Buy(menusel - 1);  // the shop lines follow the Supply order
    } else {
      End();  // quitting saves nothing
    }
  }
  if (KeyHit(kKeyEscape)) End();

  if (highscore > 0) {
    SetCol(kWhite);
    font->Dr("highscore: " + IntToText(highscore), 400, 96, 2, 2);
  }
  for (int i = 0; i < static_cast<int>(kMenuLines.size()); ++i) {
    MenuLine(kMenuLines[i].text, kMenuLines[i].y, menusel == i);
  }
  DrawShopColumn();
}

// Called by the main loop every frame; acts only while paused. Space is handled before escape.
void PauseScreen() {
  if (gamestate != kPaused) return;
  pausesel = Navigate(pausesel, static_cast<int>(kPauseLines.size()));
  if (KeyHit(kKeySpace)) {
    if (pausesel == 0) {
      gamestate = kPlaying;
    } else {
      EndGame();
    }
  }
  // Escape continues the game; after "end game" in the same frame it is only consumed, so it
  // neither resumes the ended game nor quits from the menu in the next frame.
  if (KeyHit(kKeyEscape) && gamestate == kPaused) gamestate = kPlaying;

  // The frozen world, drawn over the effects and the HUD.
  SetCol(kWhite);
  DrawImage(*bg, 0, 0, 0);
  TDrp::DrA();
  TCr::DrA();
  if (fig) fig->Dr();
  for (int i = 0; i < static_cast<int>(kPauseLines.size()); ++i) {
    MenuLine(kPauseLines[i].text, kPauseLines[i].y, pausesel == i);
  }
}

// Called by the play step, over the frozen world, from the frame after the game was lost.
void GameOverScreen() {
  // Space is asked only when escape had no hit, so both together leave (and save) once.
  if (KeyHit(kKeyEscape) || KeyHit(kKeySpace)) {
    FlushKeys();  // the menu must not see the press
    EndGame();
  }
  SetCol(kWhite);
  font->Dr("You're done.", 400, 296, 2, 2);
  font->Dr("Your score: " + IntToText(score), 400, 344, 2, 2);
}
