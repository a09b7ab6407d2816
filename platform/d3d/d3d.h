// The 3-D device interface the library's second drawing backend runs on: a software
// device over the surface stand-in's memory (surface.h).
//
// The Direct3D object is asked of a surface device (QueryDirect3D). It enumerates the
// devices, depth-buffer formats and texture formats of a profile that tests choose
// (SetProfile); the default profile is one hardware device that renders at 16 and 32 bits
// with power-of-two textures of 1 to 2048 pixels a side. A device is made on a surface
// with 3-D capability and keeps its render states, the states of texture stage 0, the
// bound texture, the viewport, the render target, transforms, lights and material, and
// whether a scene is open. Texture surfaces are surfaces of the surface module; they are
// made here (CreateTexture) so that the texture limits of the device in use are enforced,
// and everything else about them (lock, device context, colour key, loss and restore)
// is the surface module's.
//
// Primitives are drawn in software into the render target (16- or 32-bit surfaces):
// pixel centres at integer coordinates with the top-left fill rule, culling of clockwise
// or counter-clockwise triangles (as seen on the screen, y down), flat or Gouraud colour,
// stage 0 over TEXTURE and DIFFUSE, point or linear sampling clamped to the texture, the
// texture's colour key, alpha blending, and every primitive clipped to the viewport.
//
// Rules every operation keeps:
// - Nothing holds a reference on a surface given to it: the caller keeps surfaces alive
//   while they are bound as render target or texture.
// - BeginScene inside a scene and EndScene outside one are refused (kInvalidState);
//   setting a viewport that does not lie inside the render target is refused.
// - Releasing an object leaves devices made from it usable until they are released.
//
// Main thread only. Test hooks at the end: the profile, failure injection, a journal of
// every call, live counts, reset.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/surface/pixel_format.h"
#include "platform/surface/surface.h"

namespace plat::d3d {

enum class Result : int32_t {
  kOk = 0,
  kSurfaceLost = static_cast<int32_t>(0x887601C2),
  kInvalidParams = -200,
  kInvalidState,  // scene nesting
  kNotFound,      // no such device in the profile
  kNoDevice,      // the surface device behind it is gone
  kNo3DSurface,   // the surface was made without 3-D capability
  kUnsupportedFormat,
  kTextureSize,  // a side breaks the device's texture limits
  kOutOfMemory,
};

// A device identity.
struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};
  friend bool operator==(const Guid&, const Guid&) = default;
};

// The two kinds of device the profile can describe; the library asks for the hardware one.
inline constexpr Guid kHardwareDevice{0x4E4C3344, 0x4857, 0x0001, {0x76, 0x65, 0x78, 0x61, 0x6C, 0x33, 0x64, 0x01}};
inline constexpr Guid kSoftwareDevice{0x4E4C3344, 0x5357, 0x0001, {0x76, 0x65, 0x78, 0x61, 0x6C, 0x33, 0x64, 0x02}};

// Render depths a device accepts.
inline constexpr uint32_t kRenderDepth8 = 0x0800;
inline constexpr uint32_t kRenderDepth16 = 0x0400;
inline constexpr uint32_t kRenderDepth24 = 0x0200;
inline constexpr uint32_t kRenderDepth32 = 0x0100;

// Texture capabilities.
inline constexpr uint32_t kTexturePow2 = 0x02;        // sides must be powers of two
inline constexpr uint32_t kTextureSquareOnly = 0x20;  // width must equal height

struct DeviceDesc {
  Guid guid{};
  std::string name;
  std::string description;
  uint32_t render_depths = 0;
  uint32_t texture_caps = 0;
  uint32_t min_texture_width = 0;  // 0: no lower limit
  uint32_t min_texture_height = 0;
  uint32_t max_texture_width = 0;  // 0: the device reports none (no upper limit is enforced)
  uint32_t max_texture_height = 0;
};

// Kinds of pixel format a device offers.
inline constexpr uint32_t kPfAlphaPixels = 0x00001;  // alpha_mask is part of the pixel
inline constexpr uint32_t kPfAlpha = 0x00002;        // alpha only
inline constexpr uint32_t kPfFourCC = 0x00004;       // a packed format named by fourcc
inline constexpr uint32_t kPfRgb = 0x00040;
inline constexpr uint32_t kPfZBuffer = 0x00400;
inline constexpr uint32_t kPfStencil = 0x04000;
inline constexpr uint32_t kPfLuminance = 0x20000;
inline constexpr uint32_t kPfBumpLuminance = 0x40000;
inline constexpr uint32_t kPfBumpDuDv = 0x80000;

struct PixelFormatDesc {
  uint32_t flags = 0;
  uint32_t fourcc = 0;
  uint32_t bit_count = 0;  // bits of a pixel; of a depth format, its depth bits
  uint32_t red_mask = 0;   // of a depth format: the depth mask
  uint32_t green_mask = 0;
  uint32_t blue_mask = 0;
  uint32_t alpha_mask = 0;
  friend bool operator==(const PixelFormatDesc&, const PixelFormatDesc&) = default;
};

// The surface format of a texture or depth format (alpha only with kPfAlphaPixels).
PixelFormat ToSurfaceFormat(const PixelFormatDesc& format);

// Formats of the default profile and of tests.
inline constexpr PixelFormatDesc kTexR5G6B5{kPfRgb, 0, 16, 0xF800, 0x07E0, 0x001F, 0};
inline constexpr PixelFormatDesc kTexX1R5G5B5{kPfRgb, 0, 16, 0x7C00, 0x03E0, 0x001F, 0};
inline constexpr PixelFormatDesc kTexA1R5G5B5{kPfRgb | kPfAlphaPixels, 0, 16, 0x7C00, 0x03E0, 0x001F, 0x8000};
inline constexpr PixelFormatDesc kTexA4R4G4B4{kPfRgb | kPfAlphaPixels, 0, 16, 0x0F00, 0x00F0, 0x000F, 0xF000};
inline constexpr PixelFormatDesc kTexX8R8G8B8{kPfRgb, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0};
inline constexpr PixelFormatDesc kTexA8R8G8B8{kPfRgb | kPfAlphaPixels, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};
inline constexpr PixelFormatDesc kTexL8{kPfLuminance, 0, 8, 0xFF, 0, 0, 0};
inline constexpr PixelFormatDesc kTexA8{kPfAlpha, 0, 8, 0, 0, 0, 0xFF};
inline constexpr PixelFormatDesc kTexV8U8{kPfBumpDuDv, 0, 16, 0x00FF, 0xFF00, 0, 0};
inline constexpr PixelFormatDesc kTexDxt1{kPfFourCC, 0x31545844, 0, 0, 0, 0, 0};
inline constexpr PixelFormatDesc kDepth16{kPfZBuffer, 0, 16, 0xFFFF, 0, 0, 0};
inline constexpr PixelFormatDesc kDepth24Stencil8{kPfZBuffer | kPfStencil, 0, 32, 0xFFFFFF00, 0xFF, 0, 0};
inline constexpr PixelFormatDesc kDepth32{kPfZBuffer, 0, 32, 0xFFFFFFFF, 0, 0, 0};

// What the Direct3D object enumerates.
struct Profile {
  std::vector<DeviceDesc> devices;
  std::vector<PixelFormatDesc> depth_formats;    // the same for every device
  std::vector<PixelFormatDesc> texture_formats;  // in the order they are offered
};

Profile DefaultProfile();

struct Direct3D;  // opaque
struct Device;    // opaque

// ---- The object ----
// The Direct3D object of a surface device (one reference).
Result QueryDirect3D(surface::Device* device, Direct3D** out);
void ReleaseDirect3D(Direct3D* object);  // null is ignored
// Each device of the profile until the callback returns false.
Result EnumDevices(Direct3D* object, const std::function<bool(const DeviceDesc&)>& callback);
// Each depth format of the profile for that device until the callback returns false;
// kNotFound for a device the profile lacks.
Result EnumZBufferFormats(Direct3D* object, const Guid& device,
                          const std::function<bool(const PixelFormatDesc&)>& callback);
// A device of the profile rendering to target (which needs kCaps3DDevice).
Result CreateDevice(Direct3D* object, const Guid& device, surface::Surface* target, Device** out);

// ---- Textures ----
struct TextureDesc {
  int width = 0;
  int height = 0;
  PixelFormatDesc format{};
  bool system_memory = false;  // a work texture the program fills; otherwise a managed one
};
// A texture surface (kCapsTexture), within the limits of the device in use: the device
// made last that still exists, else the profile's first. Managed textures live in
// system memory here too, so a display change does not lose them.
Result CreateTexture(surface::Device* device, const TextureDesc& desc, surface::Surface** out);

// ---- The device ----
void ReleaseDevice(Device* device);  // null is ignored
// Each texture format of the profile until the callback returns false.
Result EnumTextureFormats(Device* device, const std::function<bool(const PixelFormatDesc&)>& callback);

enum class RenderState : uint32_t {
  kZEnable,
  kShadeMode,
  kLighting,
  kAlphaBlendEnable,
  kSrcBlend,
  kDestBlend,
  kColorKeyEnable,
  kCullMode,
  kAmbient,
  kCount
};
inline constexpr uint32_t kShadeFlat = 1;
inline constexpr uint32_t kShadeGouraud = 2;
inline constexpr uint32_t kBlendZero = 1;
inline constexpr uint32_t kBlendOne = 2;
inline constexpr uint32_t kBlendSrcAlpha = 5;
inline constexpr uint32_t kBlendInvSrcAlpha = 6;
inline constexpr uint32_t kBlendInvDestColor = 10;
inline constexpr uint32_t kCullNone = 1;
inline constexpr uint32_t kCullCw = 2;
inline constexpr uint32_t kCullCcw = 3;

enum class StageState : uint32_t {
  kColorOp,
  kColorArg1,
  kColorArg2,
  kAlphaOp,
  kAlphaArg1,
  kAlphaArg2,
  kAddress,
  kMagFilter,
  kMinFilter,
  kCount
};
inline constexpr uint32_t kOpDisable = 1;
inline constexpr uint32_t kOpSelectArg1 = 2;
inline constexpr uint32_t kOpSelectArg2 = 3;
inline constexpr uint32_t kOpModulate = 4;
inline constexpr uint32_t kArgDiffuse = 0;
inline constexpr uint32_t kArgTexture = 2;
inline constexpr uint32_t kAddressWrap = 1;
inline constexpr uint32_t kAddressMirror = 2;
inline constexpr uint32_t kAddressClamp = 3;
inline constexpr uint32_t kFilterPoint = 1;
inline constexpr uint32_t kFilterLinear = 2;

inline constexpr int kStageCount = 8;  // stages a texture may be bound to; states exist for stage 0

Result SetRenderState(Device* device, RenderState state, uint32_t value);
uint32_t GetRenderState(const Device* device, RenderState state);
// Only stage 0 keeps states; other stages are refused.
Result SetTextureStageState(Device* device, int stage, StageState state, uint32_t value);
uint32_t GetTextureStageState(const Device* device, StageState state);
// A texture surface (kCapsTexture) or null.
Result SetTexture(Device* device, int stage, surface::Surface* texture);
surface::Surface* GetTexture(const Device* device, int stage);

Result BeginScene(Device* device);
Result EndScene(Device* device);
bool InScene(const Device* device);

struct Viewport {
  uint32_t x = 0;
  uint32_t y = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  float min_z = 0.0f;
  float max_z = 1.0f;
  friend bool operator==(const Viewport&, const Viewport&) = default;
};
Result SetViewport(Device* device, const Viewport& viewport);
Viewport GetViewport(const Device* device);

// A surface with kCaps3DDevice, or one in video memory; the viewport becomes the whole of it.
Result SetRenderTarget(Device* device, surface::Surface* target, uint32_t flags);
surface::Surface* GetRenderTarget(const Device* device);

// Copies src_rect (null: all of src) of one texture to (x, y) of another of the same
// format, as the device loads a system-memory texture into a managed one.
Result Load(Device* device, surface::Surface* dst, int x, int y, surface::Surface* src, const surface::Rect* src_rect,
            uint32_t flags);

// Vertex layouts: x, y, z, rhw (floats, already on the screen), then the diffuse colour
// 0xAARRGGBB with kFvfDiffuse, then u and v with kFvfTex1.
inline constexpr uint32_t kFvfXyzRhw = 0x004;
inline constexpr uint32_t kFvfXyz = 0x002;     // untransformed: x, y, z, no rhw
inline constexpr uint32_t kFvfNormal = 0x010;  // nx, ny, nz after the position
inline constexpr uint32_t kFvfDiffuse = 0x040;
inline constexpr uint32_t kFvfTex1 = 0x100;

enum class PrimitiveType : uint32_t {
  kPointList = 1,
  kLineList = 2,
  kLineStrip = 3,
  kTriangleList = 4,
  kTriangleStrip = 5,
  kTriangleFan = 6,
};

// Draws inside a scene (kInvalidState outside one); kSurfaceLost when the render target is
// lost. Rules:
// - A triangle covers the pixels whose centre (x, y) lies inside it; a centre on an edge
//   counts only for a top edge (horizontal, the triangle below it) or a left edge.
//   Strips alternate the winding of every second triangle, so that a strip keeps one
//   facing. kCullCcw drops triangles counter-clockwise on the screen, kCullCw clockwise ones.
// - A line covers the pixels a Bresenham walk from its rounded first end visits, without
//   its last pixel; a point the pixel its position rounds to.
// - Colour: flat shading takes the first vertex's diffuse colour for the whole primitive,
//   Gouraud interpolates it; without kFvfDiffuse it is opaque white.
// - Stage 0: colour and alpha each by their operation (kOpModulate, kOpSelectArg1,
//   kOpSelectArg2; kOpDisable gives the diffuse value) over kArgTexture and kArgDiffuse.
//   With no texture bound, TEXTURE is opaque white. Point sampling takes texel
//   (floor(u x width), floor(v x height)); linear sampling blends the four texels around
//   (u x width - 0.5, v x height - 0.5); both clamp to the texture's edge. A texel is
//   read as 8-bit channels (v x 255 / max of its width); a format without alpha reads 255.
// - Colour key: with kColorKeyEnable not 0 and a key on the texture, a pixel whose
//   nearest texel equals the key in its colour bits (alpha bits left out) is not drawn.
//   The key is the only transparency of a texture whose alpha is all opaque.
// - Blending (kAlphaBlendEnable not 0): each channel is (src x srcFactor + dst x
//   destFactor) / 255, truncated and held to 255; factors kBlendZero, kBlendOne,
//   kBlendSrcAlpha, kBlendInvSrcAlpha (255 - alpha), kBlendInvDestColor (255 - the
//   destination's channel). The destination is read as 8-bit channels like a texel and
//   written back keeping each channel's high bits.
// - Z values are not tested.
// - Untransformed vertices (kFvfXyz, with or without kFvfNormal) are taken through the
//   world, view and projection transforms (row vectors: v x W x V x P), divided by w and
//   mapped onto the viewport; lights and material are not applied (the diffuse colour
//   is used as given) and nothing is clipped against the near plane: a vertex with
//   w <= 0 drops the primitive that uses it.
Result DrawPrimitive(Device* device, PrimitiveType type, uint32_t fvf, const void* vertices, uint32_t count,
                     uint32_t flags);
// The same over indices into vertices (vertex_count of them); kInvalidParams, drawing
// nothing, when an index is vertex_count or beyond.
Result DrawIndexedPrimitive(Device* device, PrimitiveType type, uint32_t fvf, const void* vertices,
                            uint32_t vertex_count, const uint16_t* indices, uint32_t index_count, uint32_t flags);

// Fixed-function state, stored and never used by the device.
enum class TransformState : uint32_t { kWorld, kView, kProjection, kCount };
struct Matrix {
  std::array<float, 16> m{};
  friend bool operator==(const Matrix&, const Matrix&) = default;
};
struct Light {
  uint32_t type = 1;
  std::array<float, 4> diffuse{};
  std::array<float, 4> specular{};
  std::array<float, 4> ambient{};
  std::array<float, 3> position{};
  std::array<float, 3> direction{};
  float range = 0.0f;
  friend bool operator==(const Light&, const Light&) = default;
};
struct Material {
  std::array<float, 4> diffuse{};
  std::array<float, 4> ambient{};
  std::array<float, 4> specular{};
  std::array<float, 4> emissive{};
  float power = 0.0f;
  friend bool operator==(const Material&, const Material&) = default;
};
Result SetTransform(Device* device, TransformState state, const Matrix& matrix);
Matrix GetTransform(const Device* device, TransformState state);
Result SetLight(Device* device, uint32_t index, const Light& light);
// kInvalidParams for an index no light was set at.
Result LightEnable(Device* device, uint32_t index, bool enable);
bool GetLight(const Device* device, uint32_t index, Light* light, bool* enabled);
Result SetMaterial(Device* device, const Material& material);
Material GetMaterial(const Device* device);

// ---- Test hooks ----
// The profile from now on (devices made before keep theirs).
void SetProfile(const Profile& profile);
const Profile& CurrentProfile();

// Every call the module takes, for the journal and for failure injection.
enum class Call {
  kQueryDirect3D,
  kReleaseDirect3D,
  kEnumDevices,
  kEnumZBufferFormats,
  kCreateDevice,
  kReleaseDevice,
  kEnumTextureFormats,
  kCreateTexture,
  kSetRenderState,
  kSetTextureStageState,
  kSetTexture,
  kBeginScene,
  kEndScene,
  kSetViewport,
  kSetRenderTarget,
  kLoad,
  kSetTransform,
  kSetLight,
  kLightEnable,
  kSetMaterial,
  kDrawPrimitive,
  kDrawIndexedPrimitive,
  kCount
};

// One journal line: the call, its first arguments (the state and value for the state
// calls; x, y, width, height of a viewport; width and height of a texture; the stage of
// SetTexture), the surface or object it names, and what it returned.
struct JournalEntry {
  Call call = Call::kCount;
  uint32_t a = 0;
  uint32_t b = 0;
  uint32_t c = 0;
  uint32_t d = 0;
  const void* object = nullptr;
  Result result = Result::kOk;
};
// Starts (true) or stops recording; starting clears what was recorded.
void RecordJournal(bool on);
const std::vector<JournalEntry>& Journal();
void ClearJournal();
// "SetRenderState(kAlphaBlendEnable, 1)"-style text of one line, for test messages.
std::string Describe(const JournalEntry& entry);

// The next `times` calls (-1: every call) of `call` whose first argument is `match` (-1:
// any) fail with result and change nothing, after `skip` such calls succeeded.
void InjectFailure(Call call, Result result, int times = 1, int64_t match = -1, int skip = 0);
void ClearInjectedFailures();

int LiveObjectCount();
int LiveDeviceCount();

// Frees every object and device, restores the default profile, clears the journal and
// the injected failures. Pointers handed out before are invalid afterwards.
void ResetD3D();

}  // namespace plat::d3d
