#include "game/font.h"

#include "engine/numbers.h"
#include "engine/stream.h"

namespace {

constexpr int kGlyphs = 256;

// Token n of the metrics file: widths of codes 0..255, then sp, yb, yc, yt, xo; the rest is
// ignored.
void StoreToken(TFo& font, int n, int value) {
  if (n < kGlyphs) {
    font.ws[n] = value;
    return;
  }
  switch (n - kGlyphs) {
    case 0: font.sp = value; break;
    case 1: font.yb = value; break;
    case 2: font.yc = value; break;
    case 3: font.yt = value; break;
    case 4: font.xo = value; break;
    default: break;
  }
}

bool IsTokenByte(int byte) { return (byte >= '0' && byte <= '9') || byte == '-'; }

}  // namespace

// Called once at start-up, before the window opens. The game cannot run without its font, so a
// missing or unusable file stops it here with a message naming the file.
std::unique_ptr<TFo> TFo::Load(const std::string& path, int size) {
  auto font = std::make_unique<TFo>();
  font->sz = size;
  font->ws.fill(0);

  const std::string metrics = path + ".dat";
  TStreamPtr stream = ReadStream(metrics);
  if (!stream) throw TRuntimeError(metrics + ": cannot be opened");
  std::string token;
  int count = 0;
  while (!stream->Eof()) {
    const int byte = stream->ReadByte();
    if (IsTokenByte(byte)) {
      token += static_cast<char>(byte);
    } else if (!token.empty()) {
      StoreToken(*font, count, TextToInt(token));
      token.clear();
      ++count;
    }
  }
  // A number still being gathered at the end of the file has no separator after it: dropped.
  stream->Close();

  const std::string sheet = path + ".png";
  font->img = LoadAnimImage(sheet, size, size, 0, kGlyphs, -1);
  if (!font->img) {
    throw TRuntimeError(sheet + ": not a readable PNG holding 256 cells of " + IntToText(size) +
                        "x" + IntToText(size) + " pixels");
  }
  return font;
}

// Called by Dr for right and centred text.
int TFo::GW(const std::string& text) const {
  // Every term is an integer, so the int sum equals the float sum the result is truncated from.
  int width = -sp - xo;
  for (unsigned char c : text) width += ws[c] + sp;
  return width;
}

// Called by the HUD, the menu, the shop, the pause screen and the game-over overlay.
void TFo::Dr(const std::string& text, int x, int y, int xalign, int yalign) const {
  double px = x - xo;
  double py = y;
  if (xalign == 1) {
    px -= GW(text);
  } else if (xalign == 2) {
    // NOLINTNEXTLINE(bugprone-integer-division): the game halves in ints
    px -= GW(text) / 2;  // integer halving, toward zero
  }
  if (yalign == 1) {
    py -= yb;
  } else if (yalign == 2) {
    py -= yc;
  } else {
    py -= yt;
  }
  for (unsigned char c : text) {
    DrawImage(*img, static_cast<float>(px), static_cast<float>(py), c);
    px += ws[c] + sp;
  }
}
