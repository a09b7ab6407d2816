// Drawing surfaces in plain memory and the device that makes them: the stand-in for the
// display-device interface the library draws through.
//
// A device is created, initialised, given a cooperative level (normal for a window,
// full screen and exclusive for full screen) and, in full screen, a display mode of the
// fake display (display.h). It makes surfaces: the primary (the visible screen: the whole
// desktop in a window, the display mode in full screen), optionally a flip chain of one
// or two back buffers behind it, and off-screen surfaces. "Video" and "system" memory are
// the same memory here; the placement is kept (and video memory is counted against the
// display's) because callers choose their paths by it. The primary is the display's own
// memory and is not counted; back buffers and video-memory surfaces are.
//
// Presentation: the primary is the visible screen. Whatever is written to it (blits,
// fills, locked writes, device-context copies) shows at the next presentation, and only a
// presentation counts a presented frame (presentation.h): a Flip (the whole primary), or
// ShowPrimary, the stand-in's counterpart of the screen refresh that a program in a window
// gets after copying its back screen onto the primary, or after drawing straight onto it.
//
// Rules every operation keeps:
// - Rectangles are left, top, right, bottom with right and bottom exclusive. A rectangle
//   outside its surface, or empty, is refused (kInvalidRect); only Blt onto a surface with
//   a clipper attached clips (the clipper's region is the whole surface: there are no
//   overlapping windows here). BltFast onto a surface with a clipper is refused.
// - Lock gives the address of the rectangle's first pixel and the row pitch in bytes, in
//   constant time and without allocating. The pitch is the row length rounded up to 16
//   bytes, so it may exceed width x bytes per pixel. The address stays valid until Unlock
//   (a Flip is refused while locked; after it the chain's memory has moved).
// - A surface has one lock at a time: a second Lock, or GetDC, of a locked surface fails
//   with kSurfaceBusy and leaves the first lock as it was. While locked (or while its
//   device context is out) a surface also refuses blits, fills, Flip and Restore.
// - Blits copy raw pixels between surfaces of the same format; no format is converted
//   and nothing is stretched. Copies within one surface may overlap, in any direction.
//   A source colour key is compared with the raw source pixel (all of its bytes).
// - A lost surface (after a display-mode change for video-memory surfaces and primaries,
//   or by the test hook) fails Lock, GetDC, blits from or onto it, fills and Flip with
//   kSurfaceLost until Restore, which brings it back cleared to 0. Restoring one surface
//   of a flip chain restores the chain. Colour keys, palettes and clippers stay set.
// - Pointers stay valid until released. Surfaces, palettes and clippers are counted
//   references: a creation gives one, GetAttachedSurface adds one, Release drops one.
//   The back buffers of a chain start with none of their own; the chain goes when every
//   member's count is 0. Releasing a device restores the display mode it set and leaves
//   its remaining surfaces lost for good (Restore gives kNoDevice).
//
// Main thread only. Test hooks at the end: loss, failure injection, counters, reset.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/surface/pixel_format.h"

namespace plat::surface {

enum class Result : int32_t {
  kOk = 0,
  kSurfaceLost = static_cast<int32_t>(0x887601C2),
  kInvalidParams = -100,
  kInvalidRect,
  kUnsupportedFormat,
  kUnsupported,              // stretching, overlays, colour-key ranges
  kNotInitialized,           // the device was created but not initialised
  kNoCooperativeLevel,       // surfaces need a cooperative level first
  kNoExclusiveMode,          // display modes and flip chains need full-screen exclusive
  kExclusiveModeAlreadySet,  // another device holds the display
  kModeRefused,
  kPrimaryExists,
  kOutOfVideoMemory,
  kOutOfMemory,
  kSurfaceBusy,  // locked, or its device context is out
  kNotLocked,
  kNoDc,
  kNoColorKey,
  kNotPalettised,
  kNotFlippable,
  kCantClipFastBlit,
  kNotFound,
  kAlreadyAttached,
  kNoDevice,
};

struct Device;
struct Surface;
struct Palette;
struct Clipper;

// The window a device or clipper is bound to (a window handle or a pointer, 0 for none);
// stored, never looked into.
using WindowRef = uintptr_t;

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Surface capabilities. Created surfaces report kCapsVideoMemory or kCapsSystemMemory as
// placed, and back buffers of a chain kCapsBackBuffer.
constexpr uint32_t kCapsPrimary = 0x0001;
constexpr uint32_t kCapsFlip = 0x0002;  // with kCapsComplex: a flip chain
constexpr uint32_t kCapsComplex = 0x0004;
constexpr uint32_t kCapsBackBuffer = 0x0008;
constexpr uint32_t kCapsOverlay = 0x0020;  // refused: no overlay hardware
constexpr uint32_t kCapsOffscreenPlain = 0x0040;
constexpr uint32_t kCapsSystemMemory = 0x0800;
constexpr uint32_t kCapsTexture = 0x1000;
constexpr uint32_t kCaps3DDevice = 0x2000;
constexpr uint32_t kCapsVideoMemory = 0x4000;
constexpr uint32_t kCapsZBuffer = 0x10000;

// Cooperative levels: normal (a window) or full screen with exclusive use.
constexpr uint32_t kCooperativeFullScreen = 0x01;
constexpr uint32_t kCooperativeNormal = 0x08;
constexpr uint32_t kCooperativeExclusive = 0x10;

constexpr int kMaxBackBuffers = 2;
constexpr int kMaxSurfaceSide = 16384;

// Blt flags.
constexpr uint32_t kBltWait = 0x01;
constexpr uint32_t kBltColorFill = 0x02;  // fill the destination with fill_value
constexpr uint32_t kBltDepthFill = 0x04;  // the same, for depth buffers
constexpr uint32_t kBltSourceKey = 0x08;  // skip source pixels equal to its colour key

// BltFast flags.
constexpr uint32_t kFastNoColorKey = 0x00;
constexpr uint32_t kFastSourceColorKey = 0x01;
constexpr uint32_t kFastWait = 0x10;

// Flip flags (the stand-in has no vertical blank to wait for; they are recorded).
constexpr uint32_t kFlipWait = 0x01;
constexpr uint32_t kFlipNoVSync = 0x08;

// Lock flags (recorded; memory is never busy with a pending blit).
constexpr uint32_t kLockWait = 0x01;
constexpr uint32_t kLockReadOnly = 0x10;
constexpr uint32_t kLockWriteOnly = 0x20;

// What to create. width and height are ignored for a primary (it takes the display's
// size); format 0 (bit_count 0) means the display's current format. Memory: video when
// kCapsVideoMemory, system when kCapsSystemMemory, otherwise video when it fits.
struct SurfaceDesc {
  uint32_t caps = 0;
  int width = 0;
  int height = 0;
  int back_buffer_count = 0;  // flip chains: 1 or 2
  PixelFormat format{};
};

struct SurfaceInfo {
  uint32_t caps = 0;
  int width = 0;
  int height = 0;
  int32_t pitch = 0;
  PixelFormat format{};
};

struct LockedRect {
  uint8_t* bits = nullptr;  // first pixel of the rectangle
  int32_t pitch = 0;        // bytes from one row to the next
  int width = 0;            // of the rectangle
  int height = 0;
  PixelFormat format{};
};

// A source colour key: pixels whose raw value lies from low to high are not copied.
// Only single values (low == high) are supported.
struct ColorKey {
  uint32_t low = 0;
  uint32_t high = 0;
};

// A surface's memory as a device context sees it, for the few copies made the GDI way.
struct SurfaceDc {
  Surface* surface = nullptr;
  uint8_t* bits = nullptr;  // pixel (0, 0)
  int32_t pitch = 0;
  int width = 0;
  int height = 0;
  PixelFormat format{};
  const PaletteEntry* palette = nullptr;  // 8-bit surfaces with a palette
};

struct DeviceIdentifier {
  std::string driver;
  std::string description;
  uint16_t version[4] = {};  // most significant part first
};

struct DeviceCaps {
  uint32_t min_overlay_stretch = 0;  // 0: no overlay hardware
  uint32_t max_overlay_stretch = 0;
};

struct VideoMemory {
  uint64_t total = 0;
  uint64_t free = 0;
};

struct DisplayModeInfo {
  int width = 0;
  int height = 0;
  int refresh = 0;
  PixelFormat format{};
};

// ---- Device ----
Result CreateDevice(Device** out);
Result InitializeDevice(Device* device);
void ReleaseDevice(Device* device);
Result GetDeviceIdentifier(Device* device, DeviceIdentifier* out);
Result GetDeviceCaps(Device* device, DeviceCaps* out);
Result GetAvailableVideoMemory(Device* device, VideoMemory* out);
// level: kCooperativeNormal, or kCooperativeFullScreen | kCooperativeExclusive.
Result SetCooperativeLevel(Device* device, WindowRef window, uint32_t level);
uint32_t GetCooperativeLevel(const Device* device);
Result SetDisplayMode(Device* device, int width, int height, int bits, int refresh);
Result RestoreDisplayMode(Device* device);
Result GetDisplayMode(Device* device, DisplayModeInfo* out);
// Returns at once: there is no beam to wait for.
Result WaitForVerticalBlank(Device* device);

// ---- Surfaces ----
Result CreateSurface(Device* device, const SurfaceDesc& desc, Surface** out);
void AddSurfaceRef(Surface* surface);
void ReleaseSurface(Surface* surface);
SurfaceInfo GetSurfaceInfo(const Surface* surface);
// The width and height of GetSurfaceInfo alone (0 x 0 for a null surface).
struct SurfaceSize {
  int width = 0;
  int height = 0;
};
SurfaceSize GetSurfaceSize(const Surface* surface);

Result Lock(Surface* surface, const Rect* rect, uint32_t flags, LockedRect* out);
Result Unlock(Surface* surface);

// Colour or depth fill (src null), or a copy of src_rect (null: all of src) to dst_rect
// (null: all of dst); the two must be the same size.
Result Blt(Surface* dst, const Rect* dst_rect, Surface* src, const Rect* src_rect, uint32_t flags, uint32_t fill_value);
// A copy of src_rect (null: all of src) to (x, y); no clipping.
Result BltFast(Surface* dst, int x, int y, Surface* src, const Rect* src_rect, uint32_t flags);
// BltFast for a caller that has itself checked that dst and src are not null, that
// src_rect is not empty and lies inside src, and that the rectangle of its size at (x, y)
// lies inside dst: every other check, result and count is BltFast's.
Result BltFastInside(Surface* dst, int x, int y, Surface* src, const Rect& src_rect, uint32_t flags);
// Every back buffer moves one place towards the front; the front goes to the back. Then
// the whole primary is presented.
Result Flip(Surface* primary, uint32_t flags);
// Presents what the primary holds in `view` (in the primary's coordinates: the desktop
// in a window; the part outside the primary shows black). One presented frame.
Result ShowPrimary(Surface* primary, const Rect& view);
// Always kOk: blits finish before they return.
Result GetBltStatus(const Surface* surface);

Result SetColorKey(Surface* surface, const ColorKey* key);  // null removes it
Result GetColorKey(const Surface* surface, ColorKey* out);

// The first surface attached (the next back buffer of a chain, then explicitly attached
// ones) whose caps hold all of caps; adds a reference.
Result GetAttachedSurface(Surface* surface, uint32_t caps, Surface** out);
// Every back buffer of the chain behind this surface, then the explicitly attached ones;
// stops when the callback returns false. Adds no reference.
Result EnumAttachedSurfaces(Surface* surface, const std::function<bool(Surface*)>& callback);
Result AddAttachedSurface(Surface* surface, Surface* attached);
Result DeleteAttachedSurface(Surface* surface, Surface* attached);

Result IsLost(const Surface* surface);
Result Restore(Surface* surface);

// GetDC counts as the surface's lock until ReleaseDC. An 8-bit surface's context carries
// its palette, or the display's (its device's primary's) when it has none.
Result GetDC(Surface* surface, SurfaceDc* out);
Result ReleaseDC(Surface* surface);
// Copies w x h pixels from (sx, sy) of src to (x, y) of dst, clipped to both as a GDI
// copy is. Between two RGB formats each channel is shifted to the destination's width
// (low bits 0) and alpha is left 0. An RGB source onto an 8-bit context takes, per pixel,
// the entry of the context's palette nearest in colour (smallest sum of squared channel
// differences, lowest index on a tie; the grey ramp (i, i, i) without a palette); an
// 8-bit source copies only to its own format. A SurfaceDc without a surface is a memory
// context with a bitmap in it, filled in by the caller (24-bit formats allowed; a
// negative pitch runs the rows upwards).
Result CopyBetweenDcs(const SurfaceDc& dst, int x, int y, int w, int h, const SurfaceDc& src, int sx, int sy);

// ---- Palettes (8-bit surfaces) ----
Result CreatePalette(Device* device, std::span<const PaletteEntry, kPaletteSize> entries, Palette** out);
void ReleasePalette(Palette* palette);
Result SetPaletteEntries(Palette* palette, int start, std::span<const PaletteEntry> entries);
Result GetPaletteEntries(const Palette* palette, int start, std::span<PaletteEntry> out);
Result SetPalette(Surface* surface, Palette* palette);  // null detaches
Palette* GetPalette(const Surface* surface);

// ---- Clippers ----
Result CreateClipper(Device* device, Clipper** out);
void ReleaseClipper(Clipper* clipper);
Result SetClipperWindow(Clipper* clipper, WindowRef window);
WindowRef GetClipperWindow(const Clipper* clipper);
Result SetClipper(Surface* surface, Clipper* clipper);  // null detaches
Clipper* GetClipper(const Surface* surface);

// ---- Test hooks ----
void MarkSurfaceLost(Surface* surface);
void MarkAllSurfacesLost();

enum class Operation {
  kCreateDevice,
  kInitializeDevice,
  kSetCooperativeLevel,
  kSetDisplayMode,
  kCreateSurface,
  kCreatePalette,
  kCreateClipper,
  kLock,
  kGetDC,
  kBlt,
  kBltFast,
  kFlip,
  kSetColorKey,
  kSetPalette,
  kRestore,
  kCount
};
// The next `times` calls of op (-1: every call) fail with result and change nothing.
void InjectFailure(Operation op, Result result, int times = 1);
void ClearInjectedFailures();

struct Counters {
  uint64_t flips = 0;
  uint32_t last_flip_flags = 0;
  uint64_t vertical_blank_waits = 0;
  uint64_t blits = 0;  // Blt copies
  uint64_t fills = 0;  // Blt colour and depth fills
  uint64_t fast_blits = 0;
  uint64_t locks = 0;
  uint64_t dc_copies = 0;
};
Counters GetCounters();

int LiveDeviceCount();
int LiveSurfaceCount();  // every surface, back buffers included

// Frees every device, surface, palette and clipper and clears hooks and counters.
// Pointers handed out before are invalid afterwards.
void ResetSurfaces();

}  // namespace plat::surface
