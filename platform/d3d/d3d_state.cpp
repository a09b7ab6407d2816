// The 3-D device module's tables, its profile, the journal and the injected failures.
#include <algorithm>
#include <cstdio>

#include "platform/d3d/d3d_state.h"

namespace plat::d3d {

std::vector<std::unique_ptr<Direct3D>> g_objects;
std::vector<std::unique_ptr<Device>> g_devices;
Profile g_profile = DefaultProfile();

namespace {

struct FailureRule {
  Call call = Call::kCount;
  Result result = Result::kOk;
  int times = 0;  // -1: every matching call
  int64_t match = -1;
  int skip = 0;
};

bool g_recording = false;             // the journal is on
std::vector<JournalEntry> g_journal;  // calls recorded since it was started or cleared
std::vector<FailureRule> g_failures;  // injected failures, in order of injection

constexpr const char* kCallNames[] = {
    "QueryDirect3D", "ReleaseDirect3D",     "EnumDevices",   "EnumZBufferFormats", "CreateDevice",
    "ReleaseDevice", "EnumTextureFormats",  "CreateTexture", "SetRenderState",     "SetTextureStageState",
    "SetTexture",    "BeginScene",          "EndScene",      "SetViewport",        "SetRenderTarget",
    "Load",          "SetTransform",        "SetLight",      "LightEnable",        "SetMaterial",
    "DrawPrimitive", "DrawIndexedPrimitive"};
static_assert(std::size(kCallNames) == static_cast<size_t>(Call::kCount));

constexpr const char* kRenderStateNames[] = {"kZEnable",          "kShadeMode", "kLighting",
                                             "kAlphaBlendEnable", "kSrcBlend",  "kDestBlend",
                                             "kColorKeyEnable",   "kCullMode",  "kAmbient"};
static_assert(std::size(kRenderStateNames) == static_cast<size_t>(RenderState::kCount));
constexpr const char* kStageStateNames[] = {"kColorOp",   "kColorArg1", "kColorArg2", "kAlphaOp",  "kAlphaArg1",
                                            "kAlphaArg2", "kAddress",   "kMagFilter", "kMinFilter"};
static_assert(std::size(kStageStateNames) == static_cast<size_t>(StageState::kCount));

}  // namespace

Profile DefaultProfile() {
  Profile p;
  DeviceDesc software;
  software.guid = kSoftwareDevice;
  software.name = "Software Rasterizer";
  software.description = "Software device";
  software.render_depths = kRenderDepth16 | kRenderDepth32;
  software.texture_caps = kTexturePow2;
  software.max_texture_width = software.max_texture_height = 2048;
  DeviceDesc hardware = software;
  hardware.guid = kHardwareDevice;
  hardware.name = "Vexal HAL";
  hardware.description = "Hardware-accelerated device stand-in";
  hardware.min_texture_width = hardware.min_texture_height = 1;
  p.devices = {software, hardware};
  p.depth_formats = {kDepth32, kDepth24Stencil8, kDepth16};
  p.texture_formats = {kTexR5G6B5,   kTexX1R5G5B5, kTexA1R5G5B5, kTexA4R4G4B4, kTexX8R8G8B8,
                       kTexA8R8G8B8, kTexL8,       kTexA8,       kTexV8U8,     kTexDxt1};
  return p;
}

PixelFormat ToSurfaceFormat(const PixelFormatDesc& format) {
  PixelFormat out;
  out.bit_count = static_cast<uint8_t>(format.bit_count);
  out.fourcc = (format.flags & kPfFourCC) != 0 ? format.fourcc : 0;
  if ((format.flags & kPfZBuffer) != 0) return out;  // depth values carry no colour
  out.palettised = false;
  out.red_mask = format.red_mask;
  out.green_mask = format.green_mask;
  out.blue_mask = format.blue_mask;
  out.alpha_mask = (format.flags & kPfAlphaPixels) != 0 ? format.alpha_mask : 0;
  return out;
}

Result Note(Call call, Result result, const void* object, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  if (g_recording) g_journal.push_back({call, a, b, c, d, object, result});
  return result;
}

bool TakeInjectedFailure(Call call, int64_t arg, Result* result) {
  for (auto it = g_failures.begin(); it != g_failures.end(); ++it) {
    if (it->call != call || (it->match != -1 && it->match != arg)) continue;
    if (it->skip > 0) {
      --it->skip;
      return false;
    }
    *result = it->result;
    if (it->times > 0 && --it->times == 0) g_failures.erase(it);
    return true;
  }
  return false;
}

void SetProfile(const Profile& profile) { g_profile = profile; }
const Profile& CurrentProfile() { return g_profile; }

void RecordJournal(bool on) {
  g_recording = on;
  g_journal.clear();
}
const std::vector<JournalEntry>& Journal() { return g_journal; }
void ClearJournal() { g_journal.clear(); }

std::string Describe(const JournalEntry& e) {
  const auto i = static_cast<size_t>(e.call);
  std::string out = i < std::size(kCallNames) ? kCallNames[i] : "?";
  char args[96];
  if (e.call == Call::kSetRenderState && e.a < std::size(kRenderStateNames)) {
    std::snprintf(args, sizeof args, "(%s, %u)", kRenderStateNames[e.a], e.b);
  } else if (e.call == Call::kSetTextureStageState && e.b < std::size(kStageStateNames)) {
    std::snprintf(args, sizeof args, "(%u, %s, %u)", e.a, kStageStateNames[e.b], e.c);
  } else {
    std::snprintf(args, sizeof args, "(%u, %u, %u, %u)", e.a, e.b, e.c, e.d);
  }
  out += args;
  if (e.result != Result::kOk) out += " -> " + std::to_string(static_cast<int32_t>(e.result));
  return out;
}

void InjectFailure(Call call, Result result, int times, int64_t match, int skip) {
  if (times == 0) return;
  g_failures.push_back({call, result, times, match, skip});
}
void ClearInjectedFailures() { g_failures.clear(); }

int LiveObjectCount() { return static_cast<int>(g_objects.size()); }
int LiveDeviceCount() { return static_cast<int>(g_devices.size()); }

void ResetD3D() {
  g_objects.clear();
  g_devices.clear();
  g_profile = DefaultProfile();
  g_recording = false;
  g_journal.clear();
  g_failures.clear();
}

}  // namespace plat::d3d
