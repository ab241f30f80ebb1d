// What the game put on screen, read back from a RecordingDriver in the game's own terms: which
// sheet and frame, which line of text or which plain rectangle, where, in which colour and with
// which alpha, rotation and scale. Tests compare a whole screen against a table of these.
//
//   EXPECT_EQ(SeenBy(rec), (std::vector<Drawn>{
//       Sprite("imgsymbols", 1, 32, 60, 0xFF0000),
//       Text("score: 7", 400, 60, kCentred, 0xFFFFFF)}));
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "support/recording_driver.h"

struct Drawn {
  std::string what;       // "imgcrea 17", "text \"score: 7\"", "rect 800x-2", "unknown"
  float x = 0, y = 0;     // image: the point it was drawn at; text: its first cell's corner
  int colour = 0xFFFFFF;  // the clamped colour it was drawn in, as 0xRRGGBB
  float alpha = 1;        // as set, not clamped
  float rotation = 0;
  float scale_x = 1, scale_y = 1;

  Drawn Alpha(float a) const;
  Drawn Rotated(float degrees) const;
  Drawn Scaled(float sx, float sy) const;
  Drawn Mirrored() const { return Scaled(-1, 1); }

  // Positions, alpha and angles agree to within rounding; texts, frames and colours exactly.
  bool operator==(const Drawn& other) const;
};
void PrintTo(const Drawn& drawn, std::ostream* os);

// Frame `frame` of the game's sheet named like its global ("bg", "imgcrea", ...), drawn at (x, y).
Drawn Sprite(const std::string& sheet, int frame, float x, float y, int colour);

// A line of text as the game's font draws it from (x, y) with vertical alignment 2; its corner is
// worked out from the font's metrics.
enum XAlign { kLeft = 0, kRightEnd = 1, kCentred = 2 };
Drawn Text(const std::string& text, int x, int y, XAlign align, int colour);

// A plain rectangle from (x, y) spanning (width, height).
Drawn Rect(float x, float y, float width, float height, int colour);

// Everything the driver recorded, in drawing order; the glyphs of one line make one text.
std::vector<Drawn> SeenBy(const RecordingDriver& rec);

// The drawing state the last routine left behind (alpha as set, rotation and scale), and the one
// every routine must leave: alpha 1, rotation 0, scale 1.
Drawn StateLeft();
Drawn RestoredState();
