#include "engine/platform/sdl2_gamepad.h"

#include <cstdlib>

#include "engine/system.h"

namespace platform {

namespace {

// The key a button stands for; 0 for none.
int ButtonKey(int button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return kKeyLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return kKeyUp;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return kKeyRight;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return kKeyDown;
    case SDL_CONTROLLER_BUTTON_A:
    case SDL_CONTROLLER_BUTTON_START: return kKeySpace;
    case SDL_CONTROLLER_BUTTON_BACK: return kKeyEscape;
    default: return 0;
  }
}

}  // namespace

void GamepadKeys::Handle(const SDL_Event& event, std::vector<Event>& out) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      // Announced once more for a pad opened already (SDL reports attached pads at start-up).
      SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
      if (!controller) return;
      const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
      if (pads_.contains(id)) {
        SDL_GameControllerClose(controller);  // drops the extra reference just taken
        return;
      }
      pads_[id].controller = controller;
      return;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
      // SDL has let go of the pad's buttons and centred its stick before it reports the removal,
      // so the keys it held are released already.
      auto pad = pads_.find(event.cdevice.which);
      if (pad == pads_.end()) return;
      SDL_GameControllerClose(pad->second.controller);
      pads_.erase(pad);
      return;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      auto pad = pads_.find(event.cbutton.which);
      if (pad != pads_.end())
        Button(pad->second, event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN, out);
      return;
    }
    case SDL_CONTROLLERAXISMOTION: {
      auto pad = pads_.find(event.caxis.which);
      if (pad == pads_.end()) return;
      if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
        Stick(pad->second.stick_x, event.caxis.value, kKeyLeft, kKeyRight, out);
      else if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
        Stick(pad->second.stick_y, event.caxis.value, kKeyUp, kKeyDown, out);
      return;
    }
    default: return;
  }
}

void GamepadKeys::CloseAll() {
  for (auto& [id, pad] : pads_) SDL_GameControllerClose(pad.controller);
  pads_.clear();
  holders_.fill(0);
}

void GamepadKeys::Press(int key, std::vector<Event>& out) {
  if (holders_[key]++ == 0) out.push_back({kEventKeyDown, key});
}

void GamepadKeys::Release(int key, std::vector<Event>& out) {
  if (holders_[key] > 0 && --holders_[key] == 0) out.push_back({kEventKeyUp, key});
}

void GamepadKeys::Button(Pad& pad, int button, bool down, std::vector<Event>& out) {
  const int key = ButtonKey(button);
  if (key == 0 || pad.buttons[button] == down) return;
  pad.buttons[button] = down;
  if (down)
    Press(key, out);
  else
    Release(key, out);
}

void GamepadKeys::Stick(int& direction, int value, int negative_key, int positive_key,
                        std::vector<Event>& out) {
  int wanted = direction;
  if (value <= -kStickPress)
    wanted = -1;
  else if (value >= kStickPress)
    wanted = 1;
  else if (std::abs(value) < kStickRelease)
    wanted = 0;
  if (wanted == direction) return;
  if (direction != 0) Release(direction < 0 ? negative_key : positive_key, out);
  if (wanted != 0) Press(wanted < 0 ? negative_key : positive_key, out);
  direction = wanted;
}

}  // namespace platform
