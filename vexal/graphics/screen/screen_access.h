// What the rest of the library reads of the device and the screen, and the device's
// option flags (each stored before or after start-up).
#pragma once

#include <cstdint>

#include "platform/surface/surface.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// The draw targets (graph handles) that name the screens.
inline constexpr int kFrontScreen = -4;  // the primary surface
inline constexpr int kBackScreen = -2;   // the back surface

// Screen width and height, 640 and 480 where not chosen; either pointer may be null. 0.
int GetScreenSize(int* w, int* h);
// Colour bits of the screen, 16 where not chosen.
int GetScreenColorBits();
plat::surface::Surface* GetDrawSurface();
plat::surface::Surface* GetPrimarySurface();
plat::surface::Surface* GetBackSurface();
// The device object; null before InitDirectDraw.
plat::surface::Device* GetDirectDrawObject();
// 1 in window mode while the draw surface is the primary surface.
int IsDrawingToFront();
// 1 while the library has changed the display mode.
int IsDisplayModeChanged();
// The screen's colour format.
ColorFormatRecord* GetPixelFormatPtr();

// Presentation waits for the vertical blank. 0.
int SetVSyncWaitFlag(int flag);
// Graphs may lie in video memory. 0.
int SetUseVideoMemory(int use);
int GetUseVideoMemory();
// No Direct3D device at mode changes (set before the device exists). 0.
int SetNoDirect3DFlag(int flag);
int GetNoDirect3DFlag();
// The software drawers blend in sixteenths. 0.
int SetDrawOptionFlag(int flag);
// Main surfaces with 3-D caps and a flip chain in full screen; with the device running
// the screen is built again (every graph is deleted), keeping a front or back draw
// target. 0.
int SetUse3DSurfaces(int use);
int GetNo3DSurfaceFlag();
// Always 0: nothing sets this flag.
int GetSkipActiveWaitFlag();

}  // namespace vexal
