// Shared set-up for tests that look at what the game draws, through the recording driver.
#pragma once

#include <gtest/gtest.h>

#include "support/recording_driver.h"

// A fixture for tests that look at what is drawn: fresh globals, the recording driver's context,
// key tracking on and blank sheets. Suites that need more call DrawingWorldTest::SetUp() first.
class DrawingWorldTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  RecordingDriver rec;
};

// Loads gfx/font from the source tree into `font`, as start-up does; false when it cannot.
bool LoadGameFont();
