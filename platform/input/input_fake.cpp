// Fake devices for tests: a keyboard whose keys a test sets, and joypads it attaches,
// moves, presses and unplugs.
#include <algorithm>
#include <vector>

#include "platform/input/input_internal.h"

namespace plat::input {
namespace {

struct FakePad {
  DeviceGuid guid = 0;
  std::string name;
  internal::RawPad state;
  bool attached = true;
};

bool g_fake_mode = false;                 // SDL is replaced by the fakes
std::array<uint8_t, kKeyCount> g_keys{};  // fake key states, kDown or 0
bool g_scroll_lock = false;               // the fake keyboard's Scroll Lock
std::vector<FakePad> g_pads;              // attached (and detached) fakes, in attach order
uint32_t g_next_number = 1;               // number of the next fake's guid

FakePad* Find(DeviceGuid guid) {
  auto it = std::find_if(g_pads.begin(), g_pads.end(), [&](const FakePad& p) { return p.guid == guid; });
  return it == g_pads.end() ? nullptr : &*it;
}

}  // namespace

void UseFakeDevices(bool on) { g_fake_mode = on; }

void SetFakeKey(uint8_t code, bool down) { g_keys[code] = down ? kDown : 0; }

void SetFakeScrollLock(bool on) { g_scroll_lock = on; }

DeviceGuid AttachFakeJoypad(std::string_view name) {
  FakePad p;
  p.guid = internal::MakeGuid(internal::kSourceFake, g_next_number++);
  p.name = std::string(name);
  g_pads.push_back(p);
  return p.guid;
}

void SetFakeJoypadAxes(DeviceGuid pad, int32_t x, int32_t y) {
  if (FakePad* p = Find(pad)) {
    p->state.x = std::clamp(x, -32768, 32767);
    p->state.y = std::clamp(y, -32768, 32767);
  }
}

void SetFakeJoypadButton(DeviceGuid pad, int button, bool down) {
  FakePad* p = Find(pad);
  if (p == nullptr || button < 0 || button >= kPadButtons) return;
  p->state.buttons[static_cast<size_t>(button)] = down ? kDown : 0;
}

void DetachFakeJoypad(DeviceGuid pad) {
  if (FakePad* p = Find(pad)) p->attached = false;
}

namespace internal {

bool FakeMode() { return g_fake_mode; }

void FakeReadKeys(std::span<uint8_t, kKeyCount> keys) {
  for (int k = 0; k < kKeyCount; ++k) keys[k] |= g_keys[k];
}

std::vector<PadEntry> FakePads() {
  std::vector<PadEntry> pads;
  for (const FakePad& p : g_pads) {
    if (p.attached) pads.push_back(PadEntry{p.guid, p.name, p.name});
  }
  return pads;
}

std::optional<RawPad> FakeReadPad(DeviceGuid guid) {
  FakePad* p = Find(guid);
  if (p == nullptr || !p->attached) return std::nullopt;
  return p->state;
}

bool FakeScrollLock() { return g_scroll_lock; }

void ResetFakes() {
  g_fake_mode = false;
  g_keys.fill(0);
  g_scroll_lock = false;
  g_pads.clear();
  g_next_number = 1;
}

}  // namespace internal
}  // namespace plat::input
