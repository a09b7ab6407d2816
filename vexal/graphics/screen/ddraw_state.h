// The library's DirectDraw device and the screen it shows: one process-wide record that
// the device, main-surface, palette, colour-value, presentation and screen-mode files
// share, so a reader finds all of that state in one place. ResetDDrawState brings it back
// to its state at load, for tests.
#pragma once

#include <array>
#include <cstdint>

#include "platform/surface/pixel_format.h"
#include "platform/surface/surface.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// The mode InitDirectDraw gives any of width, height and colour bits still unchosen (0).
inline constexpr int32_t kDefaultScreenWidth = 640;
inline constexpr int32_t kDefaultScreenHeight = 480;
inline constexpr int32_t kDefaultScreenColorBits = 16;

// Cooperative levels as the device state stores them.
inline constexpr uint32_t kCooperativeNormal = plat::surface::kCooperativeNormal;  // 0x08
inline constexpr uint32_t kCooperativeFullScreenExclusive =
    plat::surface::kCooperativeFullScreen | plat::surface::kCooperativeExclusive;  // 0x11

// The screen's pixels as the library describes them: its colour format, the pixel format
// the display reported, and the 8-bit palette (used only on 8-bit screens).
struct ScreenDescriptionRecord {
  ColorFormatRecord Format{};
  plat::PixelFormat PixelFormat{};
  std::array<plat::PaletteEntry, plat::kPaletteSize> Palette{};
};

struct DDrawStateRecord {
  plat::surface::Device* Object = nullptr;          // null until InitDirectDraw; every call checks it first
  plat::surface::Clipper* Clipper = nullptr;        // bound to the main window; for the draw-target code
  plat::surface::Surface* Primary = nullptr;        // the visible screen
  plat::surface::Surface* Back = nullptr;           // the screen that is drawn on and presented
  plat::surface::Surface* Work1 = nullptr;          // screen-sized system-memory scratch, source key 0
  plat::surface::Surface* Work2 = nullptr;          // a second one
  plat::surface::Palette* PaletteObject = nullptr;  // only on 8-bit screens
  plat::surface::Surface* DrawSurface = nullptr;    // the current draw surface (set by the draw-target code)

  int32_t ScreenWidth = 0;  // 0: not chosen yet
  int32_t ScreenHeight = 0;
  int32_t ScreenColorBits = 0;
  int32_t RefreshRate = 0;         // 0: the driver's default
  uint32_t CooperativeLevel = 0;   // kCooperativeNormal or kCooperativeFullScreenExclusive
  int32_t DisplayModeChanged = 0;  // this library changed the display mode and has not restored it

  int32_t VSyncWait = 0;        // presentation waits for the vertical blank
  int32_t No3DSurfaces = 0;     // main surfaces without 3-D caps; full screen without a flip chain
  int32_t NoVideoMemory = 0;    // graph surfaces in system memory
  int32_t NoDirect3D = 0;       // no Direct3D device at a mode change
  int32_t CoarseBlendFlag = 0;  // the software drawers blend in sixteenths
  bool Initialised = false;     // InitDirectDraw finished, EndDirectDraw not yet

  // Flags of the software drawers, set by InitDirectDraw.
  int32_t EndSceneBeforeDraw = 0;  // end a pending Direct3D scene before touching a surface
  int32_t ScreenClearOption = 0;   // read by the screen clear
  int32_t DrawerMmx = 0;           // copy of the window layer's MMX answer

  int32_t UseGdiScreenCopy = 0;  // BltToScreenDC copies through device contexts (speed test)

  // Lock marks of the main surfaces and the count of open locks (the lock steps of the
  // BMP data code read them; CreateMainSurfaces clears them).
  uint8_t PrimaryLocked = 0;
  uint8_t BackLocked = 0;
  uint8_t Work1Locked = 0;
  int32_t OpenLocks = 0;

  ScreenDescriptionRecord Screen;  // refilled at every screen-mode change
};

extern DDrawStateRecord DDrawState;

void ResetDDrawState();

}  // namespace vexal
