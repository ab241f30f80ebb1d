#include "tools/generate_all.h"

#include <fstream>

#include "tools/contact_sheet.h"
#include "tools/font_sheet.h"
#include "tools/level_file.h"
#include "tools/level_picture.h"
#include "tools/sprites.h"

namespace {

std::optional<std::string> ReadText(const std::string& path, std::string* error) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes) {
    *error = "cannot read " + path;
    return std::nullopt;
  }
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace

std::optional<std::vector<GeneratedFile>> GenerateAll(const std::string& repo_root,
                                                      std::string* error) {
  const auto level_text = ReadText(repo_root + "/assets/level.txt", error);
  if (!level_text) return std::nullopt;
  std::string why;
  const auto level = ParseLevelText(*level_text, &why);
  if (!level) {
    *error = "assets/level.txt: " + why;
    return std::nullopt;
  }
  const auto font_text = ReadText(repo_root + "/assets/font.txt", error);
  if (!font_text) return std::nullopt;
  const auto settings = ParseFontSettings(*font_text, &why);
  if (!settings) {
    *error = "assets/font.txt: " + why;
    return std::nullopt;
  }
  const auto font = RenderFont(*settings, &why);
  if (!font) {
    *error = why;
    return std::nullopt;
  }
  const auto licence = ReadFileBytes(settings->licence);
  if (!licence) {
    *error = "cannot read the font licence " + settings->licence;
    return std::nullopt;
  }
  const std::vector<NamedSheet> sheets = {
      {"fig.png", DrawFigureSheet(), 32},
      {"crea.png", DrawCreatureSheet(), 64},
      {"symbols.png", DrawSymbolSheet(), 16},
      {"symbols_big.png", DrawBigSymbolSheet(), 32},
      {"weapons.png", DrawWeaponSheet(16), 16},
      {"weapons_big.png", DrawWeaponSheet(32), 32},
      {"glow.png", DrawGlow(), 64},
  };
  std::vector<GeneratedFile> files;
  files.push_back({"gfx/map.dat", EncodeMapDat(*level)});
  const std::string metrics = font->MetricsText();
  files.push_back({"gfx/font.dat", Bytes(metrics.begin(), metrics.end())});
  files.push_back({"gfx/font.png", EncodePng(font->sheet, PngDeflate::kStored)});
  files.push_back({"gfx/font-LICENSE.txt", *licence});
  for (const NamedSheet& sheet : sheets)
    files.push_back({"gfx/" + sheet.name, EncodePng(sheet.image, PngDeflate::kStored)});
  files.push_back({"gfx/icon.png", EncodePng(DrawIcon(64), PngDeflate::kSmallest)});
  for (int size : kIconSizes)
    files.push_back({"gfx/icon-" + std::to_string(size) + ".png",
                     EncodePng(DrawIcon(size), PngDeflate::kSmallest)});
  files.push_back(
      {"docs/sheets.png", EncodePng(DrawContactSheet(sheets, *font), PngDeflate::kSmallest)});
  files.push_back(
      {"docs/level.png", EncodePng(DrawLevelPicture(*level, *font), PngDeflate::kSmallest)});
  return files;
}
