// Writing small PNG fixtures at test time, in any layout libpng can write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh empty directory under the system's temp dir, unique to this process and `name`.
std::string FixtureDir(const std::string& name);

// Writes `samples` (rows packed tightly, each sample one byte, or two big-endian bytes at depth
// 16; below 8 bits the row bytes as libpng packs them) as a PNG of that colour type and bit depth.
// `palette` (RGB triples) and `trns` (palette alphas) are for palette images; without a palette,
// a non-empty `trns` makes the colour whose samples all equal trns[0] transparent. `interlace` is
// libpng's PNG_INTERLACE_NONE (0) or PNG_INTERLACE_ADAM7 (1). Returns `path`.
std::string WritePng(const std::string& path, int width, int height, int color_type, int bit_depth,
                     const std::vector<uint8_t>& samples, const std::vector<uint8_t>& palette = {},
                     const std::vector<uint8_t>& trns = {}, int interlace = 0);

// Writes bytes as they are (for files that are not PNGs, or damaged ones).
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);
