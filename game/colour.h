// Colour words (0xRRGGBB) and how the game draws with them.
#pragma once

#include <array>

#include "game/model.h"

inline constexpr int kBlack = 0x000000;
inline constexpr int kWhite = 0xFFFFFF;
inline constexpr int kRed = 0xFF0000;
inline constexpr int kYellow = 0xFFFF00;  // money: coins, the HUD's and the shop's coin symbol
// By Supply: the same tints in the HUD, the shop, the item in hand, the drops and the items'
// effects.
inline constexpr std::array<int, kSupplyCount> kSupplyColours = {0x00FF00, 0x00FFFF, 0x0080FF};

// Sets the drawing colour from a colour word.
void SetCol(int colour);

// An actor's colour during its hurt cool-down: white in every odd 100 ms, else its own.
constexpr int BlinkColour(int cooldown, int colour) {
  return cooldown > 0 && (cooldown / 100) % 2 == 1 ? kWhite : colour;
}
