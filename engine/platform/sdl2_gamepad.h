// Gamepads as the game's keys: SDL game controller events become the presses and releases of the
// keyboard keys they stand for (Windows virtual-key codes), so the engine's hit counting, key flush
// and focus rules treat them like typed keys.
//
// The mapping:
//   D-pad and left stick   arrow keys (one press per push: a held direction never repeats)
//   A (bottom face button) space: choose on the menu and the pause screen, use the item in play,
//                          leave the game-over screen
//   Start                  space as well: starts a game from the menu (its first line is chosen
//                          there after every game), continues from the pause screen
//   Back                   escape: pauses in play, continues from the pause screen, leaves the
//                          game-over screen, quits from the menu
//   anything else          nothing
// Escape quits from the menu at once, so no button a player presses while playing or by reflex on
// a title screen gives it: not a face button, not a shoulder, not Start. Back is the one button
// that does, the same as the Escape key.
#pragma once

#include <SDL.h>

#include <array>
#include <map>
#include <vector>

#include "engine/platform.h"

namespace platform {

class GamepadKeys {
 public:
  // Opens a game controller that was attached, closes one that was removed, and turns button and
  // left-stick changes into key events appended to `out`. Other events are left alone.
  void Handle(const SDL_Event& event, std::vector<Event>& out);
  // Closes every controller; what they held is forgotten (the window is gone).
  void CloseAll();

  // How far the stick must be pushed from the centre to press its direction, and how far back it
  // must come to release it; between the two nothing changes, so a stick held near the edge does
  // not chatter.
  static constexpr int kStickPress = 16384;
  static constexpr int kStickRelease = 8192;

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    std::array<bool, SDL_CONTROLLER_BUTTON_MAX> buttons{};
    int stick_x = 0;  // -1 left, 0 centre, 1 right
    int stick_y = 0;  // -1 up, 0 centre, 1 down
  };

  void Press(int key, std::vector<Event>& out);
  void Release(int key, std::vector<Event>& out);
  void Button(Pad& pad, int button, bool down, std::vector<Event>& out);
  void Stick(int& direction, int value, int negative_key, int positive_key,
             std::vector<Event>& out);

  std::map<SDL_JoystickID, Pad> pads_;
  // How many held buttons and stick directions, on every pad, hold each key: two pads (or the
  // D-pad and the stick) holding one key give one press and one release.
  std::array<int, 256> holders_{};
};

}  // namespace platform
