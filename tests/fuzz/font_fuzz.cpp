// The font metrics "gfx/font.dat": any bytes load; plain numbers land in the widths and the five
// metrics in file order, and whatever the file does not supply stays 0.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/pixmap.h"
#include "engine/stream.h"
#include "fuzz_support.h"
#include "game/font.h"

namespace {

constexpr int kCell = 2;  // the smallest glyph sheet keeps every run cheap

bool IsTokenByte(uint8_t byte) { return (byte >= '0' && byte <= '9') || byte == '-'; }

// The tokens the file supplies: runs of digits and minus signs closed by any other byte.
std::vector<std::string> ClosedTokens(const uint8_t* data, size_t size) {
  std::vector<std::string> tokens;
  std::string token;
  for (size_t i = 0; i < size; ++i) {
    if (IsTokenByte(data[i])) {
      token += static_cast<char>(data[i]);
    } else if (!token.empty()) {
      tokens.push_back(token);
      token.clear();
    }
  }
  return tokens;
}

int Field(const TFo& font, size_t n) {
  if (n < 256) return font.ws[n];
  const int metrics[] = {font.sp, font.yb, font.yc, font.yt, font.xo};
  return metrics[n - 256];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::EnterScratchDir(argc, argv);
  TPixmapPtr sheet = TPixmap::Create(16 * kCell, 16 * kCell, PF_RGBA8888);
  std::memset(sheet->pixels, 0xff, static_cast<size_t>(sheet->capacity));
  if (!SavePixmapPNG(*sheet, "gfx/font.png")) fuzz_support::Fail("cannot write gfx/font.png");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::WriteWholeFile("gfx/font.dat", data, size);
  std::unique_ptr<TFo> font = TFo::Load("gfx/font", kCell);
  const std::vector<std::string> tokens = ClosedTokens(data, size);
  for (size_t n = 0; n < 261; ++n) {
    const bool supplied = n < tokens.size();
    const std::string& token = supplied ? tokens[n] : std::string();
    const bool plain = supplied && token.size() <= 9 && token.find('-') == std::string::npos;
    if (!supplied && Field(*font, n) != 0) fuzz_support::Fail("a value the file lacks is not 0");
    if (plain && Field(*font, n) != std::stoi(token))
      fuzz_support::Fail("number " + token + " misread");
  }
  // Widths can be anything the file says; measuring must still be defined for every code.
  std::string all(256, '\0');
  for (int c = 0; c < 256; ++c) all[c] = static_cast<char>(c);
  volatile int width = font->GW(all);
  (void)width;
  return 0;
}
