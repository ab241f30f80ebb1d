#include "support/drawn.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <utility>

#include "engine/graphics.h"
#include "game/font.h"
#include "game/globals.h"

namespace {

struct NamedSheet {
  const char* name;
  const TImage* image;
};

// The game's sheets as they are now (tests replace them with blank ones).
std::vector<NamedSheet> Sheets() {
  return {{"bg", bg.get()},
          {"imgweapons", imgweapons.get()},
          {"imgweaponsbig", imgweaponsbig.get()},
          {"imgcrea", imgcrea.get()},
          {"imgfig", imgfig.get()},
          {"imgsymbols", imgsymbols.get()},
          {"imgsymbolsbig", imgsymbolsbig.get()},
          {"imgglow", imgglow.get()}};
}

int Colour(const RecordedQuad& q) { return q.red << 16 | q.green << 8 | q.blue; }

Drawn FromQuad(const RecordedQuad& q, std::string what) {
  Drawn d;
  d.what = std::move(what);
  d.x = q.tx;
  d.y = q.ty;
  d.colour = Colour(q);
  d.alpha = q.alpha_set;
  d.rotation = q.rotation;
  d.scale_x = q.scale_x;
  d.scale_y = q.scale_y;
  return d;
}

std::string TextName(const std::string& text) { return "text \"" + text + "\""; }

std::string Number(float v) {
  std::string s = std::to_string(v);
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s;
}

bool Near(float a, float b, float tolerance) { return std::fabs(a - b) <= tolerance; }

}  // namespace

Drawn Drawn::Alpha(float a) const {
  Drawn d = *this;
  d.alpha = a;
  return d;
}

Drawn Drawn::Rotated(float degrees) const {
  Drawn d = *this;
  d.rotation = degrees;
  return d;
}

Drawn Drawn::Scaled(float sx, float sy) const {
  Drawn d = *this;
  d.scale_x = sx;
  d.scale_y = sy;
  return d;
}

bool Drawn::operator==(const Drawn& other) const {
  return what == other.what && colour == other.colour && Near(x, other.x, 0.01f) &&
         Near(y, other.y, 0.01f) && Near(alpha, other.alpha, 0.001f) &&
         Near(rotation, other.rotation, 0.01f) && Near(scale_x, other.scale_x, 0.001f) &&
         Near(scale_y, other.scale_y, 0.001f);
}

void PrintTo(const Drawn& d, std::ostream* os) {
  char colour[8];
  std::snprintf(colour, sizeof colour, "%06X", d.colour);
  *os << d.what << " at (" << Number(d.x) << ", " << Number(d.y) << ") colour " << colour;
  if (d.alpha != 1) *os << " alpha " << Number(d.alpha);
  if (d.rotation != 0) *os << " rotation " << Number(d.rotation);
  if (d.scale_x != 1 || d.scale_y != 1) {
    *os << " scale (" << Number(d.scale_x) << ", " << Number(d.scale_y) << ")";
  }
}

Drawn Sprite(const std::string& sheet, int frame, float x, float y, int colour) {
  Drawn d;
  d.what = sheet + " " + std::to_string(frame);
  d.x = x;
  d.y = y;
  d.colour = colour;
  return d;
}

Drawn Text(const std::string& text, int x, int y, XAlign align, int colour) {
  // The first cell starts xo left of x; right-aligned text ends with its last cell's advance
  // less the spacing; centred text moves left by half its measured width, truncated.
  int widths = 0;
  for (unsigned char c : text) widths += font->ws[c];
  const int gaps = text.empty() ? 0 : static_cast<int>(text.size()) - 1;
  const int measured = widths + gaps * font->sp - font->xo;
  int left = x - font->xo;
  if (align == kRightEnd) left = x - widths - gaps * font->sp;
  if (align == kCentred) left -= measured / 2;
  Drawn d;
  d.what = TextName(text);
  d.x = static_cast<float>(left);
  d.y = static_cast<float>(y - font->yc);
  d.colour = colour;
  return d;
}

Drawn Rect(float x, float y, float width, float height, int colour) {
  Drawn d;
  d.what = "rect " + Number(width) + "x" + Number(height);
  d.x = x;
  d.y = y;
  d.colour = colour;
  return d;
}

std::vector<Drawn> SeenBy(const RecordingDriver& rec) {
  const std::vector<NamedSheet> sheets = Sheets();
  const TImage* glyphs = font ? font->img.get() : nullptr;
  std::vector<Drawn> seen;
  std::string text;        // the text of the last item while it is a line being read
  float next_glyph_x = 0;  // where that line's next glyph would start
  for (const RecordedQuad& q : rec.quads) {
    if (q.texture == 0) {
      seen.push_back(FromQuad(q, Rect(0, 0, q.x1 - q.x0, q.y1 - q.y0, 0).what));
      text.clear();
      continue;
    }
    if (const int c = q.FrameOf(glyphs); c >= 0) {
      Drawn glyph = FromQuad(q, "");
      const bool continues = !text.empty() && seen.back().colour == glyph.colour &&
                             seen.back().y == glyph.y && Near(q.tx, next_glyph_x, 0.001f);
      if (continues) {
        text += static_cast<char>(c);
      } else {
        text = std::string(1, static_cast<char>(c));
        seen.push_back(glyph);
      }
      seen.back().what = TextName(text);
      next_glyph_x = q.tx + static_cast<float>(font->ws[c] + font->sp);
      continue;
    }
    text.clear();
    std::string what = "unknown";
    for (const NamedSheet& sheet : sheets) {
      if (const int f = q.FrameOf(sheet.image); f >= 0) {
        what = std::string(sheet.name) + " " + std::to_string(f);
        break;
      }
    }
    seen.push_back(FromQuad(q, what));
  }
  return seen;
}

Drawn StateLeft() {
  const TDraw2DGraphics& g = *TDraw2DGraphics::Current();
  Drawn d = RestoredState();
  d.alpha = g.color_alpha;
  d.rotation = g.tform_rot;
  d.scale_x = g.tform_scale_x;
  d.scale_y = g.tform_scale_y;
  return d;
}

Drawn RestoredState() {
  Drawn d;
  d.what = "drawing state";
  d.colour = 0;
  return d;
}
