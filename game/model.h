// What the numbers in the game's int fields mean. The fields stay plain ints: the saved progress
// and the traces hold these values as they are.
#pragma once

// `gamestate`: what each step of the main loop does.
enum GameState : int { kMenu = 0, kPlaying = 1, kPaused = 2, kGameOver = 3 };

// TFig::act, the figure's action state.
enum FigureAct : int {
  kFigWaiting = 0,  // appearing: not drawn, no input, meets no creature
  kFigStanding = 1,
  kFigRunning = 2,
  kFigJumping = 3,   // a plain jump, frame 7
  kFigFalling = 4,   // moving down in the air, or after a down press in the air
  kFigSpinning = 5,  // a spin jump: stomps what it lands on
  kFigDashing = 6,   // a short dash along the ground that cannot be steered
};

// TFig::cll, the flags of the figure's last collision query.
enum FigureContact : int {
  kCllSolid = 1,     // its boxes cover a solid cell
  kCllCreature = 2,  // it overlaps at least one creature
};

// TCr::act.
enum CreatureAct : int {
  kCrWaiting = 0,  // appearing (the first 1000 ms), and again once dead
  kCrActive = 1,
};

// TCr::cl, the creature kind; also the spawn group a creature of that kind appears at. Each size
// has a walker, a vertical mover and a crawler.
enum CreatureKind : int {
  kWalker = 1,
  kMover = 2,
  kCrawler = 3,
  kBigWalker = 4,
  kBigMover = 5,
  kBigCrawler = 6,
};
// The figure's spawn group.
inline constexpr int kFigureGroup = 0;

// Indexes of `stock`, the supplies the items use up.
enum Supply : int {
  kHealingAgent = 0,
  kAmmunition = 1,
  kBlastingAgent = 2,
  kSupplyCount = 3,
};

// `item`, the item in hand that space uses.
enum Item : int {
  kNoItem = 0,
  kItemHealing = 4,  // heals one hit point with a healing agent
  kItemGun = 5,      // fires along the facing direction with ammunition
  kItemBomb = 6,     // strikes every creature with a blasting agent
};

// TDrp::cl, the drop kind. The items keep their item number as drop kind.
enum DropKind : int {
  kDropCoin = 0,
  kDropHealingAgent = 1,
  kDropAmmunition = 2,
  kDropBlastingAgent = 3,
  kDropHealingItem = kItemHealing,
  kDropGun = kItemGun,
  kDropBomb = kItemBomb,
};
