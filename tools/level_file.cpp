#include "tools/level_file.h"

#include <sstream>

std::optional<Level> ParseLevelText(const std::string& text, std::string* error) {
  Level level;
  std::istringstream in(text);
  std::string line;
  int file_line = 0;
  int row = 0;
  while (std::getline(in, line)) {
    ++file_line;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == ';') continue;
    const std::string where = "line " + std::to_string(file_line) + ": ";
    if (row == kMapRows) {
      *error = where + "more than " + std::to_string(kMapRows) + " picture rows";
      return std::nullopt;
    }
    if (static_cast<int>(line.size()) != kMapColumns) {
      *error = where + "picture row has " + std::to_string(line.size()) + " characters, expected " +
               std::to_string(kMapColumns);
      return std::nullopt;
    }
    for (int column = 0; column < kMapColumns; ++column) {
      const char ch = line[column];
      if (ch == '.') {
        level.SetCell(column, row, kOpenCell);
      } else if (ch == '#') {
        level.SetCell(column, row, kSolidCell);
      } else if (ch == ':') {
        level.SetCell(column, row, 2);
      } else if (ch >= '0' && ch < '0' + kSpawnGroups) {
        level.SetCell(column, row, kOpenCell);
        level.spawns[ch - '0'].push_back({column, row});
      } else if (ch >= 'A' && ch < 'A' + kSpawnGroups) {
        level.SetCell(column, row, kSolidCell);
        level.spawns[ch - 'A'].push_back({column, row});
      } else {
        *error = where + "unknown character '" + std::string(1, ch) + "' in column " +
                 std::to_string(column);
        return std::nullopt;
      }
    }
    ++row;
  }
  if (row != kMapRows) {
    *error =
        "the picture has " + std::to_string(row) + " rows, expected " + std::to_string(kMapRows);
    return std::nullopt;
  }
  return level;
}

Bytes EncodeMapDat(const Level& level) {
  Bytes out(level.cells.begin(), level.cells.end());
  for (const auto& group : level.spawns) {
    const auto count = static_cast<std::uint32_t>(group.size());
    for (int shift = 0; shift < 32; shift += 8)
      out.push_back(static_cast<std::uint8_t>(count >> shift));
    for (const SpawnCell& cell : group) {
      out.push_back(static_cast<std::uint8_t>(cell.column));
      out.push_back(static_cast<std::uint8_t>(cell.row));
    }
  }
  return out;
}

std::optional<Level> DecodeMapDat(const Bytes& data, std::string* error) {
  Level level;
  std::size_t pos = 0;
  auto need = [&](std::size_t n, const std::string& what) {
    if (pos + n <= data.size()) return true;
    *error = "map.dat ends at byte " + std::to_string(data.size()) + " inside " + what;
    return false;
  };
  if (!need(level.cells.size(), "the cell grid")) return std::nullopt;
  std::copy(data.begin(), data.begin() + static_cast<long>(level.cells.size()),
            level.cells.begin());
  pos = level.cells.size();
  for (int group = 0; group < kSpawnGroups; ++group) {
    const std::string name = "spawn group " + std::to_string(group);
    if (!need(4, "the count of " + name)) return std::nullopt;
    const auto count =
        static_cast<std::int32_t>(data[pos] | (data[pos + 1] << 8) | (data[pos + 2] << 16) |
                                  (static_cast<std::uint32_t>(data[pos + 3]) << 24));
    pos += 4;
    if (count < 0) {
      *error = name + " has a negative count " + std::to_string(count);
      return std::nullopt;
    }
    if (!need(2 * static_cast<std::size_t>(count), "the points of " + name)) return std::nullopt;
    for (int i = 0; i < count; ++i, pos += 2)
      level.spawns[group].push_back({data[pos], data[pos + 1]});
  }
  return level;
}
