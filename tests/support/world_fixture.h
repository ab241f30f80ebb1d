// Shared set-up for tests of the world's logic on the real game code.
#pragma once

#include <gtest/gtest.h>

#include <memory>

class TCr;

// Blank images in place of the background and every sprite sheet, so drawing code runs without
// loading gfx/.
void UseBlankSheets();

// An active creature of the kind at (x, y), appended to `creatures` without its arrival wait and
// with its kind's hit points.
std::shared_ptr<TCr> AddActiveCreature(int kind, int x, int y, int dir = 1);

// A fixture for world tests without a window: fresh globals, the null driver's context and blank
// sheets. Suites that need more call WorldTest::SetUp() first.
class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
