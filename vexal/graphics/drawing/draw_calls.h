// The public drawing calls: each checks its arguments and the draw state, waits while the
// application is inactive, and calls the right slot of the backend table. Graph draws go
// to the graph's row, shapes and strings to a row chosen from the Direct3D state, state
// setters to both rows. While masked drawing is on every draw is bracketed by the mask
// steps of row 0.
#pragma once

#include <cstdint>

#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_value.h"

namespace vexal {

inline constexpr int kFontHandleMax = 20;    // font handles are 0..19
inline constexpr int kStringMaskMargin = 3;  // rows below the font height the mask covers

// ---- State ----

// 0. Equal mode and param: nothing. Mode 6 reaches the rows but is not stored.
int SetBlendModeParam(int mode, int param);
// 0. Each channel clamped to 0..255; an unchanged triple makes no backend call.
int SetDrawBrightness(int red, int green, int blue);
// -4 front, -2 back, or a graph. -1 before graph management starts or for an empty
// slot; a target both rows refuse leaves the old one in place (0).
int SetDrawTarget(int screen);
// Clip area of every draw, sorted and clamped to the draw screen. An area without pixels
// makes every draw return 0 until a later call gives one. 0.
int SetDrawClipArea(int x1, int y1, int x2, int y2);
// Copies part of the screen into a graph. -1 for a bad handle.
int CopyScreenToGraph(int x1, int y1, int x2, int y2, int graph, int flag);
int SetGraphSuspend(int flag);
int GetDrawTarget();
DrawStateBlock* GetDrawTargetPtr();
// Screen size and colour bits; width and height may be null. 0.
int GetScreenModeInfo(int* width, int* height, int* bits);

// ---- Drawing ----
// Each returns 0 while suspended or with an empty draw area, else the slot's result.

int DrawGraph(int x, int y, int graph, int trans);
int DrawExtendGraph(int x1, int y1, int x2, int y2, int graph, int trans);
// Draws (src_x, src_y, w, h) of a graph at (x, y); turn mirrors it left-right. The draw
// area is the same afterwards on every exit.
int DrawGraphPart(int x, int y, int src_x, int src_y, int w, int h, int graph, int trans, int turn);
int DrawBox(int x1, int y1, int x2, int y2, ColorValue color, int fill);
int DrawFillBox(int x1, int y1, int x2, int y2, ColorValue color);
int DrawBoxOutline(int x1, int y1, int x2, int y2, ColorValue color);
// r below 0 draws nothing (0).
int DrawCircle(int x, int y, int r, ColorValue color, int fill);
int DrawPixel(int x, int y, ColorValue color);
// A bad font handle ends the program.
int DrawStringToHandle(int x, int y, const char* text, ColorValue color, int font, ColorValue edge_color, int flag);

}  // namespace vexal
