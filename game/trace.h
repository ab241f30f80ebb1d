// One JSON object per frame with the game's state, for stomp-headless --trace.
#pragma once

#include <string>

std::string TraceLine(int frame);
