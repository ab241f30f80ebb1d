// What the HUD, the menu and shop, the pause screen and the game-over lines put on screen, and the
// handles the start-up gives the background, the font and the sheets.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/platform.h"
#include "engine/platform/headless.h"
#include "engine/system.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/figure.h"
#include "game/font.h"
#include "game/globals.h"
#include "game/playstep.h"
#include "game/screens.h"
#include "game/startup.h"
#include "support/drawing_fixture.h"
#include "support/drawn.h"
#include "support/headless_run.h"
#include "support/recording_driver.h"
#include "support/world_fixture.h"

namespace {

constexpr int kWhite = 0xFFFFFF, kYellow = 0xFFFF00, kRed = 0xFF0000;
constexpr int kGreen = 0x00FF00, kCyan = 0x00FFFF, kAzure = 0x0080FF;
constexpr int kSupplyColour[3] = {kGreen, kCyan, kAzure};  // healing, ammunition, blasting

class ScreensDrawTest : public DrawingWorldTest {
 protected:
  void SetUp() override {
    DrawingWorldTest::SetUp();
    ASSERT_TRUE(LoadGameFont());
    // Counters apart from each other, so that a frame taken from the wrong one shows.
    anim16 = 13;
    anim8 = 5;
  }
  std::vector<Drawn> Seen() const { return SeenBy(rec); }

  // One menu line: white, or yellow between two full-width bars when selected.
  static void AddMenuLine(std::vector<Drawn>& out, const std::string& text, int y, bool selected) {
    if (selected) {
      out.push_back(Rect(0, y - 24, 800, 2, kYellow));
      out.push_back(Rect(0, y + 24, 800, -2, kYellow));
    }
    out.push_back(Text(text, 400, y, kCentred, selected ? kYellow : kWhite));
  }
};

TEST_F(ScreensDrawTest, HudInEveryStateWithEveryHeldItem) {
  struct Case {
    int state, health, item;
  };
  const Case cases[] = {
      {kMenu, 0, kNoItem},     {kPlaying, 3, kItemHealing},
      {kPaused, 10, kItemGun}, {kGameOver, 1, kItemBomb},
      {kPlaying, 2, 7},  // an item the game does not know: frame 0, white
  };
  for (const Case& k : cases) {
    gamestate = k.state;
    health = k.health;
    item = k.item;
    money = 12;
    stock = {3, 45, 6};
    score = 7;
    rec.Clear();
    DrawHud();

    std::vector<Drawn> expected;
    for (int i = 0; i < k.health; ++i) {
      expected.push_back(Sprite("imgsymbols", 1, 32 + 24 * i, 60, kRed));
    }
    expected.push_back(Sprite("imgsymbolsbig", 13 + 16, 32, 20, kYellow));
    expected.push_back(Sprite("imgsymbolsbig", 13, 228, 20, kGreen));
    expected.push_back(Sprite("imgsymbolsbig", 13, 424, 20, kCyan));
    expected.push_back(Sprite("imgsymbolsbig", 13, 620, 20, kAzure));
    expected.push_back(Text("12", 48, 20, kLeft, kWhite));
    expected.push_back(Text("3", 244, 20, kLeft, kWhite));
    expected.push_back(Text("45", 440, 20, kLeft, kWhite));
    expected.push_back(Text("6", 636, 20, kLeft, kWhite));
    if (k.state != kMenu) expected.push_back(Text("score: 7", 400, 60, kCentred, kWhite));
    if (k.item == kItemHealing) expected.push_back(Sprite("imgweaponsbig", 5, 768, 60, kGreen));
    if (k.item == kItemGun) expected.push_back(Sprite("imgweaponsbig", 13 + 8, 768, 60, kCyan));
    if (k.item == kItemBomb) expected.push_back(Sprite("imgweaponsbig", 5 + 24, 768, 60, kAzure));
    if (k.item == 7) expected.push_back(Sprite("imgweaponsbig", 0, 768, 60, kWhite));
    EXPECT_EQ(Seen(), expected) << "state " << k.state << ", item " << k.item;
  }
}

TEST_F(ScreensDrawTest, MenuWithAndWithoutHighscoreForEverySelectedLine) {
  struct Line {
    const char* text;
    int y;
  };
  const Line lines[] = {{"BRING IT ON!", 200},
                        {"buy healing agent", 264},
                        {"buy ammunition", 328},
                        {"buy blasting agent", 392},
                        {"I've had enough. I QUIT!", 456}};
  const int prices[] = {10, 5, 25};
  for (int best : {0, 42}) {
    for (int selected = 0; selected < 5; ++selected) {
      gamestate = kMenu;
      highscore = best;
      menusel = selected;
      rec.Clear();
      MenuScreen();

      std::vector<Drawn> expected;
      if (best > 0) expected.push_back(Text("highscore: 42", 400, 96, kCentred, kWhite));
      for (int i = 0; i < 5; ++i) AddMenuLine(expected, lines[i].text, lines[i].y, i == selected);
      for (int i = 0; i < 3; ++i) {  // the shop column beside the three buy lines
        const int y = 264 + 64 * i;
        expected.push_back(Sprite("imgsymbolsbig", 13 + 16, 704, y, kYellow));
        expected.push_back(Text(std::to_string(prices[i]), 680, y, kRightEnd, kWhite));
        expected.push_back(Sprite("imgsymbolsbig", 13, 96, y, kSupplyColour[i]));
      }
      EXPECT_EQ(Seen(), expected) << "highscore " << best << ", line " << selected;
    }
  }
}

TEST_F(ScreensDrawTest, PauseShowsTheFrozenWorldUnderItsTwoLines) {
  TDrp::Cr(kDropCoin, 100, 200);
  TCr::Cr(kWalker, 300, 400);
  TFig::Cr(500, 464);
  TDrp& drop = *drops.ObjectEnumerator().NextObject();
  TCr& walker = *creatures.ObjectEnumerator().NextObject();
  now = 1000;
  drop.tm = now - 1000;
  walker.act = kCrActive;
  walker.dir = 1;
  walker.fr = 2;
  fig->act = kFigStanding;
  fig->fr = 0;
  for (int selected = 0; selected < 2; ++selected) {
    gamestate = kPaused;
    pausesel = selected;
    drop.fr = 0;
    rec.Clear();
    PauseScreen();

    std::vector<Drawn> expected = {
        Sprite("bg", 0, 0, 0, kWhite),
        Sprite("imgsymbols", 24 + 1, 100, 200, kYellow),  // the coin animates when drawn
        Sprite("imgcrea", 2, 300, 400, 0xFF00F0),
        Sprite("imgfig", 0, 500, 464, 0x00F0FF),
    };
    AddMenuLine(expected, "continue game", 296, selected == 0);
    AddMenuLine(expected, "end game", 344, selected == 1);
    EXPECT_EQ(Seen(), expected) << "line " << selected;
    EXPECT_EQ(walker.x, 300) << "nothing moves while paused";
  }
}

// A key that leaves a screen does not cut its frame short: the menu that starts a game and the
// pause screen that resumes one still draw their lines in that frame.
TEST_F(ScreensDrawTest, ScreenLeftByAKeyIsStillDrawnInThatFrame) {
  struct Case {
    int state;
    void (*screen)();
    const char* first_line;
    int y;
  };
  const Case cases[] = {{kMenu, MenuScreen, "BRING IT ON!", 200},
                        {kPaused, PauseScreen, "continue game", 296}};
  for (const Case& k : cases) {
    gamestate = k.state;
    headless::QueueEvent({platform::kEventKeyDown, kKeySpace});
    headless::QueueEvent({platform::kEventKeyUp, kKeySpace});
    rec.Clear();
    k.screen();
    EXPECT_EQ(gamestate, kPlaying);
    const std::vector<Drawn> seen = Seen();
    const Drawn line = Text(k.first_line, 400, k.y, kCentred, kYellow);
    EXPECT_NE(std::find(seen.begin(), seen.end(), line), seen.end()) << k.first_line;
  }
}

TEST_F(ScreensDrawTest, GameOverLinesFollowTheWorld) {
  for (int final_score : {0, 31}) {
    gamestate = kGameOver;
    score = final_score;
    rec.Clear();
    PlayStep();
    const std::vector<Drawn> expected = {
        Sprite("bg", 0, 0, 0, kWhite),
        Text("You're done.", 400, 296, kCentred, kWhite),
        Text("Your score: " + std::to_string(final_score), 400, 344, kCentred, kWhite),
    };
    EXPECT_EQ(Seen(), expected);
  }
}

// The real start-up and main loop in a child process, which the loop never leaves by itself.
// Space is pressed after the first frame; frames 2 to 60 of the game then show the level, the
// arrival glows, the HUD with the gun in hand, the figure and the first creatures once awake, and a
// gun put on the ground at frame 55. Each image's quads must sit on its handle: the background and
// the font at their top-left corner, the sheets at their centre. Exits 0, or 1 listing what is off.
[[noreturn]] void RunStartUpAndCheckHandles() {
  RecordingDriver rec;
  int flips = 0;
  rec.on_flip = [&] {
    ++flips;
    if (flips == 1) {
      headless::QueueEvent({platform::kEventKeyDown, kKeySpace});
      headless::QueueEvent({platform::kEventKeyUp, kKeySpace});
    }
    if (flips < 3) rec.Clear();
    if (flips == 55) TDrp::Cr(kDropGun, 400, 300);
    if (flips < 61) return;
    struct Expected {
      const char* name;
      const TImage* image;
      float hx, hy;  // the handle
      int quads = 0;
    };
    Expected handles[] = {
        {"bg", bg.get(), 0, 0},
        {"font", font->img.get(), 0, 0},
        {"imgweapons", imgweapons.get(), 8, 8},
        {"imgweaponsbig", imgweaponsbig.get(), 16, 16},
        {"imgcrea", imgcrea.get(), 32, 32},
        {"imgfig", imgfig.get(), 16, 16},
        {"imgsymbols", imgsymbols.get(), 8, 8},
        {"imgsymbolsbig", imgsymbolsbig.get(), 16, 16},
        {"imgglow", imgglow.get(), imgglow->width / 2.0f, imgglow->height / 2.0f}};
    std::ostringstream wrong;
    for (const RecordedQuad& q : rec.quads) {
      for (Expected& e : handles) {
        if (q.FrameOf(e.image) < 0 || q.rotation != 0) continue;  // turned particles aside
        ++e.quads;
        // Mirroring keeps a centred sprite where it was, so the corner tells the handle.
        if (q.Left() != q.tx - e.hx || q.Top() != q.ty - e.hy) {
          wrong << e.name << " drawn at (" << q.tx << ", " << q.ty << ") covers from (" << q.Left()
                << ", " << q.Top() << ")\n";
        }
      }
    }
    for (const Expected& e : handles) {
      if (e.quads == 0) wrong << e.name << " was not drawn\n";
    }
    std::fputs(wrong.str().c_str(), stderr);
    std::_Exit(wrong.str().empty() ? 0 : 1);
  };
  RunStomp(&rec);
}

TEST(StartUpDrawTest, BackgroundAndFontHaveTheirHandleAtTheCornerAndSheetsAtTheCentre) {
  if (!testing_support::HaveGfx()) GTEST_SKIP() << "no gfx/";
  testing_support::TempDir dir;
  ASSERT_EQ(symlink(STOMP_SOURCE_DIR "/gfx", dir.File("gfx").c_str()), 0);
  // Saved progress with the gun in hand (highscore, item, money, three supplies).
  std::string stats(24, '\0');
  stats[4] = kItemGun;
  testing_support::WriteFile(dir.File("stats.dat"), stats);
  EXPECT_EXIT(
      {
        if (chdir(dir.path().c_str()) != 0) std::_Exit(2);
        RunStartUpAndCheckHandles();
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
