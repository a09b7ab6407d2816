// What the files of the input stand-in share among themselves; not for callers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/input/input.h"

namespace plat::input::internal {

// Guids of joypads: the source in the high word, its own number in the low one.
inline constexpr uint64_t kSourceSdl = 1;   // low word: SDL's joystick instance id
inline constexpr uint64_t kSourceFake = 2;  // low word: the fake's number, from 1
constexpr DeviceGuid MakeGuid(uint64_t source, uint32_t number) { return source << 32 | number; }
constexpr uint64_t SourceOf(DeviceGuid guid) { return guid >> 32; }
constexpr uint32_t NumberOf(DeviceGuid guid) { return static_cast<uint32_t>(guid); }

// A joypad as its source gives it: raw axes (-32768 to 32767) and button bytes.
struct RawPad {
  int32_t x = 0, y = 0;
  std::array<uint8_t, kPadButtons> buttons{};
};

struct PadEntry {
  DeviceGuid guid = 0;
  std::string name;     // CP932
  std::string product;  // CP932
};

// Sets kDown for the key of every scancode that is down in SDL's state (input_keys.cpp).
void KeysFromScancodes(std::span<const uint8_t> scancode_states, std::span<uint8_t, kKeyCount> keys);

// SDL (input_sdl.cpp). Start / Stop are counted; the joypad calls need a start.
void SdlStart();
void SdlStop();
void SdlReadKeys(std::span<uint8_t, kKeyCount> keys);
bool SdlScrollLock();
std::vector<PadEntry> SdlPads();
bool SdlOpenPad(DeviceGuid guid);  // false: not attached
void SdlClosePad(DeviceGuid guid);
void SdlUpdatePads();
std::optional<RawPad> SdlReadPad(DeviceGuid guid);  // nullopt: unplugged

// Fakes (input_fake.cpp).
bool FakeMode();
void FakeReadKeys(std::span<uint8_t, kKeyCount> keys);
bool FakeScrollLock();
std::vector<PadEntry> FakePads();
std::optional<RawPad> FakeReadPad(DeviceGuid guid);  // nullopt: detached or unknown
void ResetFakes();

// Script (input_script.cpp).
void EnsureScriptLoaded();
bool ScriptHasPad();
void ScriptOrKeys(std::span<uint8_t, kKeyCount> keys);  // ORs the script's keys in
RawPad ScriptReadPad();
bool ScriptScrollLockSwitched();  // an odd number of scripted Scroll Lock presses so far
void ResetScript();

}  // namespace plat::input::internal
