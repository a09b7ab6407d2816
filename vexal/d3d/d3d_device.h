// The Direct3D row's device: the Direct3D object taken from the DirectDraw device, the
// chosen hardware device and its record of the states last sent (the render-state cache),
// the depth-buffer format, the texture limits, and the device's life with the screen:
// started with each screen mode, given up and taken back with the window's surfaces, and
// shut down. While D3DObject is null Direct3D is not in use and the library draws through
// row 0.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d/d3d.h"
#include "platform/surface/surface.h"

namespace vexal {

struct DrawStateBlock;

inline constexpr int kD3DDeviceMax = 10;
inline constexpr int kMinTextureFloor = 32;  // no texture side below this
inline constexpr int kMaxTextureWhenUnreported = 256;
inline constexpr uint32_t kTextureAddressClamp = 3;  // the address mode a device starts with

// One device with the states last sent to it.
struct D3DDeviceRecord {
  uint32_t Used = 0;                                  // holds a device (or held one before a release)
  plat::d3d::Device* Device = nullptr;                // owned
  plat::surface::Surface* CreationSurface = nullptr;  // the primary it was made on
  plat::surface::Surface* RenderTarget = nullptr;     // last bound; null while the creation surface is
  int32_t BlendMode = 0;                              // last applied
  int32_t BlendParam = 0;                             // -1 after blend mode 0
  uint32_t SceneOpen = 0;
  uint32_t TextureFilter = 0;                 // 0 point, 1 linear
  plat::surface::Surface* Texture = nullptr;  // bound to stage 0
  uint32_t TextureAlpha = 0;                  // stage 0 takes alpha from the texture
  uint32_t ZEnable = 0;
  uint32_t TextureAddress = 0;
  uint32_t Force = 0;  // the caches send every state while 1
};

extern std::array<D3DDeviceRecord, kD3DDeviceMax> D3DDeviceTable;

extern plat::d3d::Direct3D* D3DObject;  // null: Direct3D not in use
extern int D3DCurrentDevice;            // handle of the record every draw uses
extern int D3DMainDevice;               // the record InitDirect3D made, or -1
extern int D3DInitialised;
extern plat::d3d::DeviceDesc D3DDeviceCaps;  // the chosen device
extern int MinTextureSize;
extern int MaxTextureSize;
extern int ZBufferRequested;  // survives InitDirect3D's reset
extern plat::d3d::PixelFormatDesc ZBufferFormat;
extern plat::surface::Surface* ZBufferSurface;  // owned; attached to the back surface
extern int D3DTargetIsFront;                    // the front screen is the draw target
extern int D3DTargetUnusable;                   // the draw target is a surface Direct3D cannot draw on
extern DrawStateBlock* D3DDrawState;            // the graphics core's draw state, bound by slot 0
// The two work textures the string drawing keeps between calls (owned).
extern std::array<plat::surface::Surface*, 2> D3DStringTextures;
// The colour-key render state the row-1 draws keep; re-sent when a device is re-made.
extern uint32_t D3DColorKeySwitch;

int InitDirect3D();
int EndDirect3D();
int ReleaseDirect3D();
int RestoreDirect3D();
int CreateZBuffer();
// Has no effect; the application layer calls it at its landmarks.
int CountFilledSlots();

// The record of a handle (low 16 bits), or null outside the table.
D3DDeviceRecord* D3DDeviceRecordOf(int handle);
// The record when Direct3D is held and the record has a device; null otherwise (also in
// the half-restored state, whose record is used without a device).
D3DDeviceRecord* UsableD3DDevice(int handle);
// Releases the string drawing's work textures.
void ReleaseStringTextures();

// Tests: every global of the Direct3D row back to its state at load; frees nothing.
void ResetDirect3DState();

}  // namespace vexal
