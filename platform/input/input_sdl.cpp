// The real devices: SDL's keyboard state, and joypads through SDL's game controller
// interface (devices it has a mapping for) or its joystick interface (the rest).
#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <vector>

#include "platform/input/input_internal.h"
#include "platform/text/text_encoding.h"

namespace plat::input::internal {
namespace {

constexpr int32_t kAxisLow = -32768;  // SDL's axis travel
constexpr int32_t kAxisHigh = 32767;

struct OpenPad {
  DeviceGuid guid = 0;
  SDL_GameController* controller = nullptr;  // set for a game controller
  SDL_Joystick* joystick = nullptr;          // set for any other joystick
  int users = 0;                             // devices made on it
};

int g_starts = 0;             // SdlStart calls not yet matched by SdlStop
bool g_subsystem_up = false;  // SDL's game controller subsystem started here
std::vector<OpenPad> g_open;  // the joypads devices are made on
// Scancodes held according to the key events in SDL's queue. SDL's own keyboard state
// only follows the keyboard SDL reads itself; a key event pushed into the queue reaches
// the window but not that state. Written by the event watch, on whichever thread pushed.
std::array<std::atomic<uint8_t>, SDL_NUM_SCANCODES> g_event_keys{};

// SDL's device index of a joystick instance, or -1 when it is no longer attached.
int DeviceIndexOf(DeviceGuid guid) {
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (static_cast<uint32_t>(SDL_JoystickGetDeviceInstanceID(i)) == NumberOf(guid)) return i;
  }
  return -1;
}

OpenPad* Find(DeviceGuid guid) {
  for (OpenPad& p : g_open) {
    if (p.guid == guid) return &p;
  }
  return nullptr;
}

void Close(OpenPad& p) {
  if (p.controller != nullptr) SDL_GameControllerClose(p.controller);
  if (p.joystick != nullptr) SDL_JoystickClose(p.joystick);
  p.controller = nullptr;
  p.joystick = nullptr;
}

std::string Cp932Name(const char* utf8) { return utf8 != nullptr ? Utf8ToCp932(utf8) : std::string(); }

RawPad ReadController(SDL_GameController* c) {
  RawPad pad;
  pad.x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
  pad.y = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
  for (int b = 0; b < std::min<int>(SDL_CONTROLLER_BUTTON_MAX, kPadButtons); ++b) {
    if (SDL_GameControllerGetButton(c, static_cast<SDL_GameControllerButton>(b)) != 0) pad.buttons[b] = kDown;
  }
  if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT) != 0) pad.x = kAxisLow;
  if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) != 0) pad.x = kAxisHigh;
  if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP) != 0) pad.y = kAxisLow;
  if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN) != 0) pad.y = kAxisHigh;
  return pad;
}

RawPad ReadJoystick(SDL_Joystick* j) {
  RawPad pad;
  if (SDL_JoystickNumAxes(j) > 0) pad.x = SDL_JoystickGetAxis(j, 0);
  if (SDL_JoystickNumAxes(j) > 1) pad.y = SDL_JoystickGetAxis(j, 1);
  for (int b = 0; b < std::min(SDL_JoystickNumButtons(j), kPadButtons); ++b) {
    if (SDL_JoystickGetButton(j, b) != 0) pad.buttons[b] = kDown;
  }
  if (SDL_JoystickNumHats(j) > 0) {
    Uint8 hat = SDL_JoystickGetHat(j, 0);
    if (hat & SDL_HAT_LEFT) pad.x = kAxisLow;
    if (hat & SDL_HAT_RIGHT) pad.x = kAxisHigh;
    if (hat & SDL_HAT_UP) pad.y = kAxisLow;
    if (hat & SDL_HAT_DOWN) pad.y = kAxisHigh;
  }
  return pad;
}

int WatchKeyEvents(void*, SDL_Event* e) {
  if (e->type != SDL_KEYDOWN && e->type != SDL_KEYUP) return 1;
  const int code = e->key.keysym.scancode;
  if (code > SDL_SCANCODE_UNKNOWN && code < SDL_NUM_SCANCODES) g_event_keys[code] = e->type == SDL_KEYDOWN ? 1 : 0;
  return 1;
}

}  // namespace

void SdlStart() {
  if (g_starts++ > 0) return;
  // Joypads are read while the window is in the background too, as the library asks.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  g_subsystem_up = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  for (std::atomic<uint8_t>& k : g_event_keys) k = 0;
  SDL_AddEventWatch(WatchKeyEvents, nullptr);
}

void SdlStop() {
  if (g_starts == 0 || --g_starts > 0) return;
  SDL_DelEventWatch(WatchKeyEvents, nullptr);
  for (OpenPad& p : g_open) Close(p);
  g_open.clear();
  if (g_subsystem_up) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  g_subsystem_up = false;
}

void SdlReadKeys(std::span<uint8_t, kKeyCount> keys) {
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  if (state != nullptr && count > 0) {
    KeysFromScancodes(std::span<const uint8_t>(state, static_cast<size_t>(count)), keys);
  }
  std::array<uint8_t, SDL_NUM_SCANCODES> from_events;
  for (size_t i = 0; i < from_events.size(); ++i) from_events[i] = g_event_keys[i].load();
  KeysFromScancodes(from_events, keys);
}

bool SdlScrollLock() { return (SDL_GetModState() & KMOD_SCROLL) != 0; }

std::vector<PadEntry> SdlPads() {
  std::vector<PadEntry> pads;
  if (!g_subsystem_up) return pads;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    PadEntry e;
    e.guid = MakeGuid(kSourceSdl, static_cast<uint32_t>(SDL_JoystickGetDeviceInstanceID(i)));
    e.product = Cp932Name(SDL_JoystickNameForIndex(i));
    e.name = SDL_IsGameController(i) ? Cp932Name(SDL_GameControllerNameForIndex(i)) : e.product;
    pads.push_back(std::move(e));
  }
  return pads;
}

bool SdlOpenPad(DeviceGuid guid) {
  if (!g_subsystem_up) return false;
  if (OpenPad* p = Find(guid)) {
    ++p->users;
    return true;
  }
  int index = DeviceIndexOf(guid);
  if (index < 0) return false;
  OpenPad p;
  p.guid = guid;
  if (SDL_IsGameController(index)) {
    p.controller = SDL_GameControllerOpen(index);
  } else {
    p.joystick = SDL_JoystickOpen(index);
  }
  if (p.controller == nullptr && p.joystick == nullptr) return false;
  p.users = 1;
  g_open.push_back(p);
  return true;
}

void SdlClosePad(DeviceGuid guid) {
  OpenPad* p = Find(guid);
  if (p == nullptr || --p->users > 0) return;
  Close(*p);
  g_open.erase(g_open.begin() + (p - g_open.data()));
}

void SdlUpdatePads() {
  if (!g_open.empty()) SDL_GameControllerUpdate();
}

std::optional<RawPad> SdlReadPad(DeviceGuid guid) {
  OpenPad* p = Find(guid);
  if (p == nullptr) return std::nullopt;
  if (p->controller != nullptr) {
    if (!SDL_GameControllerGetAttached(p->controller)) return std::nullopt;
    return ReadController(p->controller);
  }
  if (!SDL_JoystickGetAttached(p->joystick)) return std::nullopt;
  return ReadJoystick(p->joystick);
}

}  // namespace plat::input::internal
