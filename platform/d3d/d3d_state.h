// Inside the 3-D device module: the records behind the opaque handles of d3d.h, the tables
// that own them, and the journal and failure rules the module's files share. Not for callers.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "platform/d3d/d3d.h"

namespace plat::d3d {

struct Direct3D {
  surface::Device* device = nullptr;  // the surface device it was asked of
};

struct LightSlot {
  Light light{};
  bool enabled = false;
};

struct Device {
  DeviceDesc desc{};                   // the profile's entry it was made from
  surface::Surface* target = nullptr;  // current render target
  std::array<uint32_t, static_cast<size_t>(RenderState::kCount)> render{};
  std::array<uint32_t, static_cast<size_t>(StageState::kCount)> stage0{};
  std::array<surface::Surface*, kStageCount> textures{};
  Viewport viewport{};
  bool in_scene = false;
  std::array<Matrix, static_cast<size_t>(TransformState::kCount)> transforms{};
  std::map<uint32_t, LightSlot> lights;
  Material material{};
};

extern std::vector<std::unique_ptr<Direct3D>> g_objects;  // every object not yet released
extern std::vector<std::unique_ptr<Device>> g_devices;    // every device not yet released, oldest first
extern Profile g_profile;                                 // what the objects enumerate

// Records the call when the journal is on; gives back result.
Result Note(Call call, Result result, const void* object = nullptr, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0,
            uint32_t d = 0);
// True (and the failure taken) when a failure of call with first argument `arg` was injected.
bool TakeInjectedFailure(Call call, int64_t arg, Result* result);

}  // namespace plat::d3d
