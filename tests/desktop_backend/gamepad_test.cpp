// Gamepads through the desktop backend: SDL's virtual joystick stands in for a pad, attached after
// the window opened, and its buttons and stick reach the engine's key table and the game's own
// menu, play and pause code.
#include <SDL.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "desktop_backend/session.h"
#include "engine/system.h"
#include "game/globals.h"

namespace {

// A virtual pad whose buttons and axes are numbered as SDL's game controller numbers them.
class Pad {
 public:
  Pad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index >= 0) joystick_ = SDL_JoystickOpen(index);
    if (joystick_) id_ = SDL_JoystickInstanceID(joystick_);
  }
  ~Pad() { Unplug(); }

  // Attached, and opened as a game controller by the backend.
  bool Ready() const { return joystick_ && SDL_GameControllerFromInstanceID(id_); }
  void Button(int button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? SDL_PRESSED : SDL_RELEASED);
  }
  void Axis(int axis, int value) { SDL_JoystickSetVirtualAxis(joystick_, axis, Sint16(value)); }
  void Unplug() {
    if (!joystick_) return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id_) SDL_JoystickDetachVirtual(i);
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
  }

 private:
  SDL_Joystick* joystick_ = nullptr;
  SDL_JoystickID id_ = -1;
};

class GamepadTest : public DesktopBackendTest {
 protected:
  void SetUp() override {
    DesktopBackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(FramesUntil([&] { return pad_.Ready(); })) << "the pad was not opened";
  }

  // The keys hit since the last call.
  static std::set<int> Hits() {
    std::set<int> keys;
    for (int key = 1; key < 256; ++key)
      if (KeyHit(key)) keys.insert(key);
    return keys;
  }
  // Pressed and let go within one frame.
  void Tap(int button) {
    pad_.Button(button, true);
    Frame();
    pad_.Button(button, false);
    Frame();
  }

  Pad pad_;
};

TEST_F(GamepadTest, ButtonsGiveTheKeysOfTheMappingAndOnlyBackGivesEscape) {
  const std::map<int, int> mapped = {
      {SDL_CONTROLLER_BUTTON_A, kKeySpace},         {SDL_CONTROLLER_BUTTON_START, kKeySpace},
      {SDL_CONTROLLER_BUTTON_BACK, kKeyEscape},     {SDL_CONTROLLER_BUTTON_DPAD_UP, kKeyUp},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, kKeyDown},  {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kKeyLeft},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kKeyRight}};
  // Events are read without drawing a frame: escape would quit from the menu.
  for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button) {
    Hits();
    pad_.Button(button, true);
    PollSystem();
    pad_.Button(button, false);
    PollSystem();
    const auto key = mapped.find(button);
    EXPECT_EQ(Hits(), key == mapped.end() ? std::set<int>{} : std::set<int>{key->second})
        << SDL_GameControllerGetStringForButton(SDL_GameControllerButton(button));
  }
}

TEST_F(GamepadTest, AHeldDirectionMovesTheMenuSelectionOnce) {
  pad_.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  for (int frame = 0; frame < 75; ++frame) Frame();  // 1.5 s, longer than any key repeat delay
  pad_.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
  Frame();
  EXPECT_EQ(menusel, 1);

  // The stick, each position held for a few frames: a push past half way moves the selection once,
  // wherever the stick goes while it is held; it must come back near the centre to push again.
  struct Position {
    int value;
    int selected;
  };
  for (const Position& p : {Position{6000, 1},
                            {20000, 2},
                            {32767, 2},
                            {12000, 2},
                            {30000, 2},
                            {4000, 2},
                            {-20000, 1},
                            {-32768, 1},
                            {-9000, 1},
                            {-17000, 1},
                            {0, 1}}) {
    pad_.Axis(SDL_CONTROLLER_AXIS_LEFTY, p.value);
    for (int frame = 0; frame < 5; ++frame) Frame();
    EXPECT_EQ(menusel, p.selected) << "stick at " << p.value;
  }
}

TEST_F(GamepadTest, StartStartsAGameAndBackPausesAndContinues) {
  ASSERT_EQ(gamestate, kMenu);
  Tap(SDL_CONTROLLER_BUTTON_START);
  ASSERT_TRUE(FramesUntil([] { return gamestate == kPlaying; })) << "no game started";
  struct Step {
    int button;
    int state;
  };
  for (const Step& step : {Step{SDL_CONTROLLER_BUTTON_BACK, kPaused},
                           {SDL_CONTROLLER_BUTTON_BACK, kPlaying},
                           {SDL_CONTROLLER_BUTTON_BACK, kPaused},
                           {SDL_CONTROLLER_BUTTON_START, kPlaying}}) {
    Tap(step.button);
    EXPECT_TRUE(FramesUntil([&] { return gamestate == step.state; }))
        << "after " << SDL_GameControllerGetStringForButton(SDL_GameControllerButton(step.button))
        << " the state is " << gamestate;
  }
}

TEST_F(GamepadTest, UnpluggingWhileHeldReleasesItsKeys) {
  Pad second;
  ASSERT_TRUE(FramesUntil([&] { return second.Ready(); }));
  pad_.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  pad_.Button(SDL_CONTROLLER_BUTTON_A, true);
  pad_.Axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
  second.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  PollSystem();
  for (int key : {kKeyLeft, kKeySpace, kKeyDown}) EXPECT_EQ(KeyDown(key), 1) << key;

  pad_.Unplug();
  ASSERT_TRUE(FramesUntil([] { return KeyDown(kKeySpace) == 0; })) << "space is still held";
  EXPECT_EQ(KeyDown(kKeyDown), 0);
  EXPECT_EQ(KeyDown(kKeyLeft), 1) << "the other pad still holds left";
  second.Unplug();
  EXPECT_TRUE(FramesUntil([] { return KeyDown(kKeyLeft) == 0; })) << "left is still held";
}

}  // namespace
