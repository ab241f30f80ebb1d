#include "tools/data_checks.h"

#include "tools/font_sheet.h"
#include "tools/generate_all.h"
#include "tools/level_rules.h"

const std::vector<SheetRequirement>& SheetRequirements() {
  static const std::vector<SheetRequirement> sheets = {
      {"weapons.png", 16, 16, 32, {{0, 31}}},
      {"weapons_big.png", 32, 32, 32, {{0, 31}}},
      {"crea.png", 64, 64, 32, {{0, 31}}},
      {"fig.png", 32, 32, 16, {{0, 13}}},
      {"symbols.png", 16, 16, 64, {{0, 1}, {8, 39}, {48, 63}}},
      {"symbols_big.png", 32, 32, 32, {{0, 31}}},
  };
  return sheets;
}

namespace {

std::optional<RgbaImage> Decode(const std::string& name, const Bytes& png,
                                std::vector<std::string>& out) {
  std::string why;
  auto image = DecodePng(png, &why);
  if (!image) out.push_back(name + ": " + why);
  return image;
}

bool CellShowsSomething(const RgbaImage& image, int x0, int y0, int w, int h) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const std::uint8_t* px = image.At(x, y);
      // Fully transparent, or black that the mask makes transparent, shows nothing.
      if (px[3] > 0 && (px[0] | px[1] | px[2]) != 0) return true;
    }
  return false;
}

}  // namespace

std::vector<std::string> CheckSheet(const SheetRequirement& sheet, const Bytes& png) {
  std::vector<std::string> out;
  const std::string name = sheet.file;
  const auto header = ReadPngHeader(png);
  if (!header) return {name + ": not a PNG file"};
  if (header->bit_depth != 8)
    out.push_back(name + ": bit depth " + std::to_string(header->bit_depth) + ", the game needs 8");
  const int across = header->width / sheet.cell_width, down = header->height / sheet.cell_height;
  if (across * down < sheet.frames) {
    out.push_back(name + ": " + std::to_string(header->width) + "x" +
                  std::to_string(header->height) + " holds " + std::to_string(across * down) +
                  " cells of " + std::to_string(sheet.cell_width) + "x" +
                  std::to_string(sheet.cell_height) + ", the game needs " +
                  std::to_string(sheet.frames));
    return out;
  }
  const auto image = Decode(name, png, out);
  if (!image) return out;
  for (const FrameRange& range : sheet.drawn)
    for (int f = range.first; f <= range.last; ++f)
      if (!CellShowsSomething(*image, (f % across) * sheet.cell_width,
                              (f / across) * sheet.cell_height, sheet.cell_width,
                              sheet.cell_height))
        out.push_back(name + ": frame " + std::to_string(f) + " is drawn by the game but empty");
  return out;
}

std::vector<std::string> CheckGlow(const Bytes& png) {
  std::vector<std::string> out;
  const auto header = ReadPngHeader(png);
  if (!header) return {"glow.png: not a PNG file"};
  if (header->colour_type != 4 && header->colour_type != 6)
    out.push_back("glow.png: needs an alpha channel");
  const auto image = Decode("glow.png", png, out);
  if (!image) return out;
  const std::uint8_t* corner = image->At(0, 0);
  const std::uint8_t* centre = image->At(image->width / 2, image->height / 2);
  if (corner[3] != 0)
    out.push_back("glow.png: the corners must be fully transparent so the glow has no edge");
  if (centre[3] < 128 || centre[0] < 200)
    out.push_back("glow.png: the centre must be bright and mostly opaque");
  return out;
}

std::vector<int> FontNumbers(const Bytes& metrics) {
  std::vector<int> numbers;
  std::string token;
  for (std::uint8_t byte : metrics) {
    if ((byte >= '0' && byte <= '9') || byte == '-') {
      token += static_cast<char>(byte);
    } else if (!token.empty()) {
      // A leading minus, then digits up to the first non-digit, as the game converts.
      const bool negative = token[0] == '-';
      int value = 0;
      for (std::size_t i = negative ? 1 : 0; i < token.size() && token[i] != '-'; ++i)
        value = value * 10 + (token[i] - '0');
      numbers.push_back(negative ? -value : value);
      token.clear();
    }
  }
  return numbers;  // a token still pending at the end is dropped, as the game drops it
}

std::vector<std::string> CheckFont(const Bytes& metrics, const Bytes& png) {
  std::vector<std::string> out;
  const std::vector<int> n = FontNumbers(metrics);
  if (n.size() < 261) {
    return {"font.dat: " + std::to_string(n.size()) +
            " numbers, the game needs 261 (256 widths, sp, yb, yc, yt, xo; the last must be "
            "followed by a separator)"};
  }
  const int sp = n[256], yb = n[257], yc = n[258], yt = n[259], xo = n[260];
  for (int c = 0; c < 256; ++c)
    if (n[c] < 0 || n[c] > kGlyphCell)
      out.push_back("font.dat: width of character " + std::to_string(c) + " is " +
                    std::to_string(n[c]));
  for (int c = 33; c < 127; ++c)
    if (n[c] == 0)
      out.push_back("font.dat: printable character " + std::to_string(c) + " has width 0");
  if (n[' '] + sp <= 0) out.push_back("font.dat: a space does not advance");
  if (sp < 0 || sp > 8)
    out.push_back("font.dat: spacing " + std::to_string(sp) + " is outside 0..8");
  if (xo < 0 || xo >= kGlyphCell)
    out.push_back("font.dat: xo " + std::to_string(xo) + " lies outside the cell");
  if (!(0 <= yt && yt <= yc && yc <= yb && yb < kGlyphCell))
    out.push_back("font.dat: yt, yc, yb must be cell rows in that order, are " +
                  std::to_string(yt) + ", " + std::to_string(yc) + ", " + std::to_string(yb));
  const auto header = ReadPngHeader(png);
  if (!header) return {"font.png: not a PNG file"};
  const int across = header->width / kGlyphCell;
  if (across * (header->height / kGlyphCell) < 256)
    out.push_back("font.png: holds fewer than 256 cells of 32x32");
  const auto image = Decode("font.png", png, out);
  if (!image || !out.empty()) return out;
  // Menu lines have bars 22 px above and below the y they centre on: glyphs must stay between.
  for (int c = 33; c < 127; ++c) {
    const int x0 = (c % across) * kGlyphCell, y0 = (c / across) * kGlyphCell;
    int top = kGlyphCell, bottom = -1;
    for (int y = 0; y < kGlyphCell; ++y)
      for (int x = 0; x < kGlyphCell; ++x)
        if (image->At(x0 + x, y0 + y)[3] > 0) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    if (bottom < 0)
      out.push_back("font.png: printable character " + std::to_string(c) + " has an empty glyph");
    else if (top < yc - 21 || bottom > yc + 21)
      out.push_back("font.png: character " + std::to_string(c) + " spans rows " +
                    std::to_string(top) + ".." + std::to_string(bottom) + ", beyond yc " +
                    std::to_string(yc) + " +-21 where the menu bars are");
  }
  return out;
}

std::vector<std::string> CheckMap(const Bytes& map) {
  std::string why;
  const auto level = DecodeMapDat(map, &why);
  if (!level) return {why};
  return CheckLevel(*level);
}

std::vector<std::string> CheckRegenerated(const std::string& repo_root) {
  std::string why;
  const auto files = GenerateAll(repo_root, &why);
  if (!files) return {why};
  std::vector<std::string> out;
  for (const GeneratedFile& file : *files) {
    const auto committed = ReadFileBytes(repo_root + "/" + file.path);
    if (!committed)
      out.push_back(file.path + " is missing; run the gfx target");
    else if (*committed != file.bytes)
      out.push_back(file.path + " differs from what assets/ give; run the gfx target");
  }
  return out;
}
