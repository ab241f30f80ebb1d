#include "tools/level_rules.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <set>
#include <utility>

SpawnCell SpawnPixel(int group, SpawnCell cell) {
  return {cell.column * kCellSize + spawnofs[group][0], cell.row * kCellSize + spawnofs[group][1]};
}

BoxList SpawnBoxes(int group) {
  return group == kFigureGroup ? BoxList(figboxes) : CreatureBoxes(group, kTerrainBoxes);
}

bool CoversSolid(const Level& level, BoxList boxes, int x, int y) {
  for (const Box& b : boxes) {
    const int c0 = (x + b[0]) / kCellSize, r0 = (y + b[1]) / kCellSize;
    const int c1 = (x + b[0] + b[2] - 1) / kCellSize, r1 = (y + b[1] + b[3] - 1) / kCellSize;
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c)
        if (Level::InGrid(c, r) && level.Cell(c, r) == kSolidCell) return true;
  }
  return false;
}

namespace {

constexpr int kCrawlerSteps = 4000;                        // several laps round the largest block
constexpr int kWalkerSteps = 2 * kMapColumns * kCellSize;  // more than one pacing period

struct Problems {
  std::vector<std::string> list;
  void Add(std::string text) { list.push_back(std::move(text)); }
};

std::string PointName(int group, int index, SpawnCell cell) {
  return "group " + std::to_string(group) + " point " + std::to_string(index) + " (cell " +
         std::to_string(cell.column) + "," + std::to_string(cell.row) + ")";
}

// Everything the figure could reach if it could pass through every non-solid cell must stay
// off the grid's edge, since cells beyond the grid are not solid.
void CheckEnclosure(const Level& level, Problems& out) {
  std::vector<bool> seen(level.cells.size(), false);
  std::vector<SpawnCell> todo;
  for (const SpawnCell& c : level.spawns[0]) {
    if (Level::InGrid(c.column, c.row) && level.Cell(c.column, c.row) != kSolidCell)
      todo.push_back(c);
  }
  while (!todo.empty()) {
    const SpawnCell c = todo.back();
    todo.pop_back();
    if (seen[c.row * kMapColumns + c.column]) continue;
    seen[c.row * kMapColumns + c.column] = true;
    if (c.column == 0 || c.row == 0 || c.column == kMapColumns - 1 || c.row == kMapRows - 1) {
      out.Add("the border does not enclose the figure: open cell " + std::to_string(c.column) +
              "," + std::to_string(c.row) +
              " on the grid's edge is reachable from a figure spawn point");
      return;
    }
    const SpawnCell next[4] = {
        {c.column + 1, c.row}, {c.column - 1, c.row}, {c.column, c.row + 1}, {c.column, c.row - 1}};
    for (const SpawnCell& n : next)
      if (level.Cell(n.column, n.row) != kSolidCell && !seen[n.row * kMapColumns + n.column])
        todo.push_back(n);
  }
}

void CheckHudBand(const Level& level, Problems& out) {
  for (int r = 0; r < kHudRows; ++r)
    for (int c = 0; c < kMapColumns; ++c)
      if (level.Cell(c, r) == kOpenCell) {
        out.Add("the HUD band (rows 0-" + std::to_string(kHudRows - 1) +
                ") is painted at open cell " + std::to_string(c) + "," + std::to_string(r));
        return;
      }
}

void CheckFigure(const Level& level, const std::string& name, SpawnCell p, Problems& out) {
  if (!CoversSolid(level, figboxes, p.column, p.row + 1))
    out.Add(name + ": the figure does not stand on a floor");
}

// Replays the walker's own rule from both starting directions. Its look-ups must stay in the
// grid, it must keep floor under its centre, and its body must not cut through solid cells; the
// body may poke one pixel into the next cell just before it turns, so it is tested 1 pixel
// narrower.
void CheckWalker(const Level& level, int kind, const std::string& name, SpawnCell p,
                 Problems& out) {
  const BoxList body = CreatureBoxes(kind, kHitBoxes);
  const int cy = p.row / kCellSize;
  std::vector<Box> narrowed(body.begin(), body.end());
  for (Box& b : narrowed) {
    b[0] += 1;
    b[2] -= 2;
  }
  for (const Box& b : body) {
    for (int c = (p.column + b[0]) / kCellSize; c <= (p.column + b[0] + b[2] - 1) / kCellSize;
         ++c) {
      if (!Level::InGrid(c, cy + 1) || level.Cell(c, cy + 1) == kOpenCell) {
        out.Add(name + ": the walker does not stand on a floor (cell " + std::to_string(c) + "," +
                std::to_string(cy + 1) + " below it is open)");
        return;
      }
    }
  }
  for (int start_dir : {1, -1}) {
    int x = p.column, dir = start_dir;
    for (int step = 0; step < kWalkerSteps; ++step) {
      const int cx = (x + dir * WalkerLookAhead(kind)) / kCellSize;
      if (!Level::InGrid(cx, cy) || !Level::InGrid(cx, cy + 1)) {
        out.Add(name + ": the walker's look-ahead leaves the grid at x " + std::to_string(x) +
                " (cell " + std::to_string(cx) + "," + std::to_string(cy) +
                "); give its row a wall or a gap");
        return;
      }
      if (level.Cell(cx, cy) == kSolidCell || level.Cell(cx, cy + 1) == kOpenCell) dir = -dir;
      x += dir;
      if (CoversSolid(level, narrowed, x, p.row)) {
        out.Add(name + ": the walker runs into a solid cell at x " + std::to_string(x) +
                " (a wall that its look-ahead row does not see)");
        return;
      }
    }
  }
}

int FreeTravel(const Level& level, BoxList boxes, SpawnCell p, int dir) {
  int travel = 0;
  while (!CoversSolid(level, boxes, p.column, p.row + dir * (travel + 1))) {
    ++travel;
    if (travel > kMapRows * kCellSize) return -1;
  }
  return travel;
}

void CheckMover(const Level& level, int kind, const std::string& name, SpawnCell p, Problems& out) {
  const BoxList boxes = CreatureBoxes(kind, kTerrainBoxes);
  const int up = FreeTravel(level, boxes, p, -1), down = FreeTravel(level, boxes, p, 1);
  if (up < 0) out.Add(name + ": the vertical mover's shaft has no ceiling");
  if (down < 0) out.Add(name + ": the vertical mover's shaft has no floor");
  if (up >= 0 && down >= 0 && up + down < kMinShaftTravel)
    out.Add(name + ": the vertical mover's shaft gives only " + std::to_string(up + down) +
            " pixels of travel, " + std::to_string(kMinShaftTravel) + " are needed");
}

constexpr int kStep[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
int Heading(int rot) { return ((rot % 4) + 4) % 4; }

bool Touches(const Level& level, BoxList boxes, int x, int y) {
  return std::any_of(std::begin(kStep), std::end(kStep),
                     [&](const auto& s) { return CoversSolid(level, boxes, x + s[0], y + s[1]); });
}

// Replays the crawler's start and movement rules in both turning senses for several laps.
void CheckCrawler(const Level& level, int kind, const std::string& name, SpawnCell p,
                  Problems& out) {
  const BoxList boxes = CreatureBoxes(kind, kTerrainBoxes);
  if (!Touches(level, boxes, p.column, p.row)) {
    out.Add(name + ": the crawler touches no solid block");
    return;
  }
  for (int dir : {1, -1}) {
    int x = p.column, y = p.row, rot = 0;
    bool blocked_seen = false;
    for (int i = 0; i < 6; ++i) {
      rot -= dir;
      const int h = Heading(rot);
      if (CoversSolid(level, boxes, x + kStep[h][0], y + kStep[h][1]))
        blocked_seen = true;
      else if (blocked_seen)
        break;
    }
    int loose = 0;
    for (int step = 0; step < kCrawlerSteps; ++step) {
      int mask = 0;
      for (int i = 0; i < 4; ++i) {
        const int h = Heading(rot + i * dir);
        if (!CoversSolid(level, boxes, x + kStep[h][0], y + kStep[h][1])) mask |= 1 << i;
      }
      if (mask == 15)
        rot += dir;
      else if ((mask & 1) == 0)
        rot -= dir;
      x += kStep[Heading(rot)][0];
      y += kStep[Heading(rot)][1];
      const std::string at = " at pixel " + std::to_string(x) + "," + std::to_string(y);
      if (!Level::InGrid(x / kCellSize, y / kCellSize) || x < 0 || y < 0) {
        out.Add(name + ": the crawler leaves the grid" + at);
        return;
      }
      if (CoversSolid(level, boxes, x, y)) {
        out.Add(name + ": the crawler crawls into a solid cell" + at);
        return;
      }
      loose = Touches(level, boxes, x, y) ? 0 : loose + 1;
      if (loose > 2) {
        out.Add(name + ": the crawler loses its surface" + at);
        return;
      }
    }
  }
}

// The figure's reach, modelled simply: from a standing place it rises straight up its column by
// whole rows, at most a spin jump's 91 pixels, moves sideways at the top by at most a spin jump's
// flight and drops straight down wherever it is; walking and walking off an edge are the case of
// no rise. It leaves out curved paths and a jump chained into a spin, which rises higher, so it
// errs towards calling a floor out of reach; only under a low ceiling is its sideways flight
// generous.
constexpr int kJumpRows = 91 / kCellSize;
constexpr int kJumpColumns = 6;  // a spin jump's flight time at 3-4 pixels per update

// Whether the figure's boxes are free with its legs in `column` and its top row at pixel y, inside
// the grid.
bool FigureFits(const Level& level, int column, int y) {
  return column >= 0 && column < kMapColumns && y >= kCellSize &&
         y + kCellSize <= kMapRows * kCellSize &&
         !CoversSolid(level, figboxes, column * kCellSize + spawnofs[0][0], y);
}

// The standing place (legs cell) the figure drops onto from (column, y); none when nothing stops
// it.
std::optional<SpawnCell> Landing(const Level& level, int column, int y) {
  while (!CoversSolid(level, figboxes, column * kCellSize + spawnofs[0][0], y + 1))
    if (!FigureFits(level, column, ++y)) return std::nullopt;
  return SpawnCell{column, y / kCellSize};
}

std::optional<SpawnCell> StandingPlace(const Level& level, SpawnCell spawn) {
  const int y = SpawnPixel(0, spawn).row;
  if (!Level::InGrid(spawn.column, spawn.row) || !FigureFits(level, spawn.column, y))
    return std::nullopt;
  return Landing(level, spawn.column, y);
}

// The standing places reachable from `start`, indexed like Level::cells by the legs cell.
std::vector<bool> Reach(const Level& level, std::optional<SpawnCell> start) {
  std::vector<bool> seen(level.cells.size(), false);
  std::vector<SpawnCell> todo;
  const auto visit = [&](std::optional<SpawnCell> p) {
    if (!p || seen[p->row * kMapColumns + p->column]) return;
    seen[p->row * kMapColumns + p->column] = true;
    todo.push_back(*p);
  };
  visit(start);
  while (!todo.empty()) {
    const SpawnCell p = todo.back();
    todo.pop_back();
    const int floor_y = p.row * kCellSize;
    for (int y = floor_y; y >= floor_y - kJumpRows * kCellSize && FigureFits(level, p.column, y);
         --y) {
      if ((floor_y - y) % kCellSize != 0) continue;
      for (int dir : {-1, 1})
        for (int c = p.column + dir;
             std::abs(c - p.column) <= kJumpColumns && FigureFits(level, c, y); c += dir)
          visit(Landing(level, c, y));
    }
  }
  return seen;
}

struct FigureReach {
  std::vector<std::optional<SpawnCell>> start;  // per figure spawn point
  std::vector<std::vector<bool>> from;          // per figure spawn point
  std::vector<bool> any;
};

FigureReach FindFigureReach(const Level& level) {
  FigureReach r;
  r.any.assign(level.cells.size(), false);
  for (const SpawnCell& spawn : level.spawns[0]) {
    r.start.push_back(StandingPlace(level, spawn));
    r.from.push_back(Reach(level, r.start.back()));
    for (std::size_t i = 0; i < r.any.size(); ++i) r.any[i] = r.any[i] || r.from.back()[i];
  }
  return r;
}

void CheckFigureReach(const Level& level, const FigureReach& reach, int index,
                      const std::string& name, Problems& out) {
  for (int j = 0; j < static_cast<int>(reach.start.size()); ++j) {
    const auto& to = reach.start[j];
    if (j != index && to && !reach.from[index][to->row * kMapColumns + to->column])
      out.Add(name +
              ": one jump of at most 91 px at a time does not take the figure from here to the "
              "floor of " +
              PointName(0, j, level.spawns[0][j]));
  }
}

// The walker paces the stretch of its row that has ground below; the figure must stand somewhere on
// it.
void CheckWalkerReached(const Level& level, const FigureReach& reach, const std::string& name,
                        SpawnCell cell, Problems& out) {
  for (int dir : {-1, 1})
    for (int c = cell.column;
         Level::InGrid(c, cell.row + 1) && level.Cell(c, cell.row) != kSolidCell &&
         level.Cell(c, cell.row + 1) == kSolidCell;
         c += dir)
      if (reach.any[cell.row * kMapColumns + c]) return;
  out.Add(
      name +
      ": one jump of at most 91 px at a time does not take the figure to the walker's floor (row " +
      std::to_string(cell.row + 1) + ")");
}

}  // namespace

std::vector<std::string> CheckLevel(const Level& level) {
  Problems out;
  CheckHudBand(level, out);
  const FigureReach reach = FindFigureReach(level);
  for (int group = 0; group < kSpawnGroups; ++group) {
    const auto& points = level.spawns[group];
    if (static_cast<int>(points.size()) < kMinSpawnsPerGroup)
      out.Add("spawn group " + std::to_string(group) +
              " has too few points: " + std::to_string(points.size()) + ", at least " +
              std::to_string(kMinSpawnsPerGroup) + " are needed");
    std::set<std::pair<int, int>> cells;
    for (int i = 0; i < static_cast<int>(points.size()); ++i) {
      const SpawnCell cell = points[i];
      const std::string name = PointName(group, i, cell);
      if (!Level::InGrid(cell.column, cell.row)) {
        out.Add(name + ": outside the 50x36 grid");
        continue;
      }
      if (!cells.insert({cell.column, cell.row}).second)
        out.Add(name + ": the same cell twice in one group");
      const SpawnCell p = SpawnPixel(group, cell);
      if (CoversSolid(level, SpawnBoxes(group), p.column, p.row)) {
        out.Add(name + ": its boxes overlap a solid cell at its spawn position " +
                std::to_string(p.column) + "," + std::to_string(p.row));
        continue;
      }
      switch (group) {
        case 0:
          CheckFigure(level, name, p, out);
          CheckFigureReach(level, reach, i, name, out);
          break;
        case 1:
        case 4:
          CheckWalker(level, group, name, p, out);
          CheckWalkerReached(level, reach, name, cell, out);
          break;
        case 2:
        case 5: CheckMover(level, group, name, p, out); break;
        default: CheckCrawler(level, group, name, p, out); break;
      }
    }
  }
  CheckEnclosure(level, out);
  return out.list;
}
