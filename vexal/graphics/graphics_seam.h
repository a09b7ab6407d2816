// What the application layer calls in the graphics core before the graphics core is
// built: minimal versions that do nothing and succeed. The graphics core replaces this
// file whole; until then a test can watch the calls and set the few answers the window
// procedure decides on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "vexal/graphics/color_format.h"

namespace vexal {

// Screen width and height, 640 x 480 until a mode is set; either pointer may be null. 0.
int GetScreenSize(int* w, int* h);
// Colour bits of the screen (16 until a mode is set).
int GetScreenColorBits();
// Screen size and colour bits; width and height may be null. 0.
int GetScreenModeInfo(int* w, int* h, int* bits);

// Device start and end. InitDirectDraw: 0, or -1 when the device exists already.
int InitDirectDraw();
int EndDirectDraw();
// The device object; null before InitDirectDraw.
void* GetDirectDrawObject();
// 1 when the library changed the display mode (full screen).
int IsDisplayModeChanged();
// Applies a screen mode; -1 arguments keep a value. 0, -1 kept the old mode, -2 fell back.
int ChangeScreenModeCore(int width, int height, int bits, int force, int refresh_rate);
int SetVSyncWaitFlag(int flag);

// A colour in the screen's pixel format.
uint32_t MakeColorValue(int red, int green, int blue);

// Graph restore handler; null installs the default one. 0.
using GraphRestoreHandler = int (*)();
int SetGraphRestoreHandler(GraphRestoreHandler handler);
int IsGraphRestoreHandlerSet();

// The screen rebuild after the device was lost (re-activation, desktop change). Each 0.
int ReleaseDirect3D();
int DeleteMaskBuffer();
int ReleaseMainSurfaces();
int ReleaseDirectDraw();
int RecreateDirectDraw();
int CreateMainSurfaces();
int RestorePalette();
int DDrawSetDrawTarget(int target);
int RestoreDirect3D();
int ClearDrawTarget();
int PresentScreen();
int RefreshAllFontHandle();
int RestoreMaskBuffer();

// Draw state: the target (-4 front screen, -2 back screen, or a graph), the draw area,
// masked drawing, and the front screen's place on the desktop.
int GetDrawTarget();
int SetDrawClipArea(int x1, int y1, int x2, int y2);
int GetMaskTargetFlag();
int SetMaskTargetFlag(int flag);
int SetFrontScreenRect(int left, int top, int right, int bottom);

// A picture file loaded into a device-independent bitmap; null when it cannot be.
struct DibSection {
  int32_t width = 0, height = 0;  // height > 0: rows bottom-up
  int32_t bits_per_pixel = 0;
  uint8_t* pixels = nullptr;      // rows padded to 4 bytes
};
using DibHandle = const DibSection*;
DibHandle CreateDIBGraph(const char* file, const void* memory, int memory_size, int source_is_memory,
                         int mirror, ColorFormatRecord* format);
// Width, height, bits and pixels of a bitmap. 0, or -1 for null.
int GetDibSectionInfo(DibHandle dib, DibSection* out);
int DeleteDibSection(DibHandle dib);

// ---- Tests ----

// Stands in for the screen-mode change's effect on the screen size.
void SeamSetScreenSize(int w, int h);
void SeamSetScreenColorBits(int bits);
void SeamSetDisplayModeChanged(int changed);
void SeamClearGraphRestoreHandler();
void SeamSetScreenModeResult(int result);
// CreateDIBGraph hands out this bitmap (for any file) from now on; nullopt: none.
void SeamSetDibImage(std::optional<DibSection> dib);
// The front screen's place as SetFrontScreenRect left it.
std::array<int, 4> SeamFrontScreenRect();
// Receives the name of every call above that the library makes; null stops it.
void SeamSetTraceHook(std::function<void(std::string_view)> hook);

}  // namespace vexal
