#include "tools/sprites.h"

RgbaImage JoinFrames(const std::vector<RgbaImage>& frames, int across) {
  const int w = frames.front().width, h = frames.front().height;
  const int down = (static_cast<int>(frames.size()) + across - 1) / across;
  RgbaImage sheet(w * across, h * down);
  for (int i = 0; i < static_cast<int>(frames.size()); ++i)
    sheet.Blit(frames[i], (i % across) * w, (i / across) * h);
  return sheet;
}
