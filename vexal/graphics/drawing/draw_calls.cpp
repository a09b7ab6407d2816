#include "vexal/graphics/drawing/draw_calls.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/window/window_access.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/wait_active.h"

namespace vexal {
namespace {

bool Direct3DAvailable() { return GraphTable.Direct3DAvailable != 0; }

int ShapeRow() {
  return GraphTable.Direct3DForbidden == 0 && Direct3DAvailable() && GetNo3DSurfaceFlag() == 0 ? kD3DRow : kDDrawRow;
}

int StringRow() { return GraphTable.Direct3DForbidden == 0 && Direct3DAvailable() ? kD3DRow : kDDrawRow; }

bool DrawsNothing() { return DrawState.Suspended != 0 || DrawState.EmptyDrawArea != 0; }

// Rows of a string's mask rectangle: the default font's size, whatever font draws; the
// drawing font's once the default font has been deleted.
int StringMaskHeight(int font) {
  const FontRecord* sized = FindFontRecord(GetDefaultFontHandle());
  if (sized == nullptr) sized = FindFontRecord(font);
  return (sized != nullptr ? sized->Size : 0) + kStringMaskMargin;
}

// Subtracting on Direct3D: the area is turned into white minus itself, the draw adds
// onto it, and the area is turned back.
template <class Draw>
int DrawSubtracted(const Rect& mask, Draw&& draw) {
  const DrawBackendRow& row = GetDrawBackendRow(kD3DRow);
  const int param = DrawState.BlendParam;
  const uint32_t bright = DrawState.Bright;
  auto invert = [&] {
    DrawState.Bright = kBrightNone;
    row.DrawFillBox(mask.left, mask.top, mask.right, mask.bottom, MakeColorValue(255, 255, 255));
    DrawState.Bright = bright;
  };
  invert();
  SetBlendModeParam(kBlendSubtractStep, param);
  const int result = draw(row);
  SetBlendModeParam(kBlendSubtract, param);
  invert();
  return result;
}

// One draw on a row, inside the mask steps while masked drawing is on.
template <class Draw>
int RunDraw(int row, const Rect& mask, Draw&& draw) {
  const DrawBackendRow& ddraw = GetDrawBackendRow(kDDrawRow);
  if (DrawState.MaskedDrawing != 0) ddraw.MaskPreDraw(mask);
  const int result = row == kD3DRow && DrawState.BlendMode == kBlendSubtract ? DrawSubtracted(mask, draw)
                                                                             : draw(GetDrawBackendRow(row));
  if (DrawState.MaskedDrawing != 0) ddraw.MaskPostDraw(mask);
  return result;
}

Rect ClientRect() {
  int32_t c[4] = {};
  GetClientRectCopy(c);
  return {c[0], c[1], c[2], c[3]};
}

int SetDrawTargetCore(int screen, bool may_fall_back) {
  if (GraphTable.Initialised == 0) return -1;
  if (DrawState.Suspended != 0) return 0;
  WaitActiveAndRestore();
  // Masked drawing is off while the target changes and comes back whichever way the call ends.
  MaskedDrawingPause unmasked;
  if (screen >= 0 && screen < kGraphMax && GraphTable.Slots[screen] == nullptr) return -1;
  const int old = DrawState.DrawScreen;
  DrawState.DrawScreen = screen;
  DrawState.TargetRect = IsWindowMode() != 0 && screen == kFrontScreen ? ClientRect() : Rect{};
  int d3d_result = -1;
  if (Direct3DAvailable()) d3d_result = GetDrawBackendRow(kD3DRow).SetDrawTarget(screen);
  const int ddraw_result = GetDrawBackendRow(kDDrawRow).SetDrawTarget(screen);
  if (ddraw_result == -1 && d3d_result == -1) {
    unmasked.Resume();
    // The old target again; if that is refused too, it stays stored without another try.
    if (may_fall_back) SetDrawTargetCore(old, false);
    return 0;
  }
  // Drawn on from now, a graph no longer holds the screen copy it kept.
  if (GraphRecord* target = GetGraphRecord(screen); target != nullptr) target->ScreenCopy = KeptScreenCopy{};
  int w = 0, h = 0;
  GetGraphDimensions(screen, &w, &h);
  const bool same_size = w == DrawState.TargetWidth && h == DrawState.TargetHeight;
  DrawState.TargetWidth = w;
  DrawState.TargetHeight = h;
  if (same_size) {
    const Rect a = DrawState.DrawArea;
    SetDrawClipArea(a.left, a.top, a.right, a.bottom);
  } else {
    SetDrawClipArea(0, 0, w, h);
  }
  return 0;
}

}  // namespace

int SetBlendModeParam(int mode, int param) {
  if (DrawState.Suspended != 0) return 0;
  if (mode == DrawState.BlendMode && param == DrawState.BlendParam) return 0;
  WaitActiveAndRestore();
  int passed = param;
  if (mode != kBlendPassOnly) {
    passed = std::clamp(param, 0, kBlendParamMax);
    DrawState.BlendMode = mode;
    DrawState.BlendParam = passed;
  }
  CallOnBothRows([&](const DrawBackendRow& row) { row.SetBlendMode(mode, passed); });
  return 0;
}

int SetDrawBrightness(int red, int green, int blue) {
  if (DrawState.Suspended != 0) return 0;
  const uint32_t b = DrawState.Bright;
  if (static_cast<int>((b >> 8) & 0xFF) == red && static_cast<int>((b >> 16) & 0xFF) == green &&
      static_cast<int>(b >> 24) == blue) {
    return 0;
  }
  red = std::clamp(red, 0, 255);
  green = std::clamp(green, 0, 255);
  blue = std::clamp(blue, 0, 255);
  DrawState.Bright = MakeBrightValue(red, green, blue);
  CallOnBothRows([&](const DrawBackendRow& row) { row.SetDrawBright(red, green, blue); });
  return 0;
}

int SetDrawTarget(int screen) { return SetDrawTargetCore(screen, true); }

int SetDrawClipArea(int x1, int y1, int x2, int y2) {
  if (DrawState.Suspended != 0) return 0;
  WaitActiveAndRestore();
  const int32_t given[4] = {x1, y1, x2, y2};
  SetWindowDrawRect(given);
  int w = 0, h = 0;
  const int screen = DrawState.DrawScreen;
  if (screen == kBackScreen) {
    GetScreenSize(&w, &h);
  } else if (screen == kFrontScreen) {
    GetScreenSize(&w, &h);
    const Rect client = ClientRect();
    int32_t desktop_w = 0, desktop_h = 0;
    GetDesktopMode(&desktop_w, &desktop_h, nullptr);
    if (client.left < 0) x1 = -client.left;
    if (client.top < 0) y1 = -client.top;
    if (client.left + w >= desktop_w) w = desktop_w - client.left;
    if (client.top + h >= desktop_h) h = desktop_h - client.top;
  } else if (GetGraphDimensions(screen, &w, &h) == -1) {
    return 0;
  }
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = std::clamp(x1, 0, std::max(w, 0));
  x2 = std::clamp(x2, 0, std::max(w, 0));
  y1 = std::clamp(y1, 0, std::max(h, 0));
  y2 = std::clamp(y2, 0, std::max(h, 0));
  DrawState.DrawArea = {x1, y1, x2, y2};
  if (x1 == x2 || y1 == y2) {
    DrawState.EmptyDrawArea = 1;
    return 0;
  }
  DrawState.EmptyDrawArea = 0;
  const Rect area = DrawState.DrawArea;
  CallOnBothRows([&](const DrawBackendRow& row) { row.SetDrawArea(&area); });
  return 0;
}

int CopyScreenToGraph(int x1, int y1, int x2, int y2, int graph, int flag) {
  if (DrawState.Suspended != 0) return 0;
  GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr) return -1;
  WaitActiveAndRestore();
  EndPending3DScene();
  const int row = record->Row == kD3DRow && Direct3DAvailable() ? kD3DRow : kDDrawRow;
  const int result = GetDrawBackendRow(row).CopyScreenToGraph(x1, y1, x2, y2, record, flag);
  // No file can give this picture back after a device loss: the graph keeps it.
  if (result == 0 && record->FileName.empty()) KeepScreenCopy(x1, y1, flag, record);
  return result;
}

int SetGraphSuspend(int flag) {
  DrawState.Suspended = static_cast<uint32_t>(flag);
  return 0;
}

int GetDrawTarget() { return DrawState.DrawScreen; }

DrawStateBlock* GetDrawTargetPtr() { return &DrawState; }

int GetScreenModeInfo(int* width, int* height, int* bits) {
  GetScreenSize(width, height);
  *bits = GetScreenColorBits();
  return 0;
}

int DrawGraph(int x, int y, int graph, int trans) {
  if (DrawsNothing()) return 0;
  GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr) return -1;
  WaitActiveAndRestore();
  const Rect mask = SaturatedRect(x, y, int64_t{x} + record->Width, int64_t{y} + record->Height);
  return RunDraw(record->Row, mask, [&](const DrawBackendRow& row) { return row.DrawGraph(x, y, record, trans); });
}

int DrawExtendGraph(int x1, int y1, int x2, int y2, int graph, int trans) {
  if (DrawsNothing()) return 0;
  GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr) return -1;
  WaitActiveAndRestore();
  return RunDraw(record->Row, Rect{x1, y1, x2, y2},
                 [&](const DrawBackendRow& row) { return row.DrawExtendGraph(x1, y1, x2, y2, record, trans); });
}

int DrawGraphPart(int x, int y, int src_x, int src_y, int w, int h, int graph, int trans, int turn) {
  Rect part = SaturatedRect(x, y, int64_t{x} + w, int64_t{y} + h);
  ClipRect(&part, &DrawState.DrawArea);
  const ScopedDrawArea part_area(part);
  int result = -1;
  const int64_t left = int64_t{x} - src_x, top = int64_t{y} - src_y;
  if (turn == 0) {
    result = DrawGraph(SaturatedCoordinate(left), SaturatedCoordinate(top), graph, trans);
  } else {
    int gw = 0, gh = 0;
    if (GetGraphRecord(graph) != nullptr && GetGraphDimensions(graph, &gw, &gh) == 0) {
      const int64_t right = int64_t{x} + src_x + w;
      result = DrawExtendGraph(SaturatedCoordinate(right), SaturatedCoordinate(top), SaturatedCoordinate(right - gw),
                               SaturatedCoordinate(top + gh), graph, trans);
    }
  }
  return result;
}

int DrawBox(int x1, int y1, int x2, int y2, ColorValue color, int fill) {
  if (DrawsNothing()) return 0;
  WaitActiveAndRestore();
  return fill != 0 ? DrawFillBox(x1, y1, x2, y2, color) : DrawBoxOutline(x1, y1, x2, y2, color);
}

int DrawFillBox(int x1, int y1, int x2, int y2, ColorValue color) {
  if (DrawsNothing()) return 0;
  WaitActiveAndRestore();
  return RunDraw(ShapeRow(), Rect{x1, y1, x2, y2},
                 [&](const DrawBackendRow& row) { return row.DrawFillBox(x1, y1, x2, y2, color); });
}

int DrawBoxOutline(int x1, int y1, int x2, int y2, ColorValue color) {
  if (DrawsNothing()) return 0;
  WaitActiveAndRestore();
  return RunDraw(ShapeRow(), Rect{x1, y1, x2, y2},
                 [&](const DrawBackendRow& row) { return row.DrawBoxOutline(x1, y1, x2, y2, color); });
}

int DrawCircle(int x, int y, int r, ColorValue color, int fill) {
  if (DrawsNothing() || r < 0) return 0;
  WaitActiveAndRestore();
  const int64_t reach = int64_t{r} + 1;
  return RunDraw(ShapeRow(), SaturatedRect(x - reach, y - reach, x + reach, y + reach),
                 [&](const DrawBackendRow& row) { return row.DrawCircle(x, y, r, color, fill); });
}

int DrawPixel(int x, int y, ColorValue color) {
  if (DrawsNothing()) return 0;
  WaitActiveAndRestore();
  return RunDraw(ShapeRow(), SaturatedRect(x, y, int64_t{x} + 1, int64_t{y} + 1),
                 [&](const DrawBackendRow& row) { return row.DestPixel(x, y, color); });
}

int DrawStringToHandle(int x, int y, const char* text, ColorValue color, int font, ColorValue edge_color, int flag) {
  if (DrawsNothing()) return 0;
  if (font < 0 || font >= kFontHandleMax || CheckFontHandle(font) == 0) {
    LogWrite("フォントハンドル値が異常です終了します\n");
    LogWriteFmt("\tin DrawStringToHandle  x = %d, y = %d, String = %s  Color = %d, FontHandle = %d  ", x, y,
                text != nullptr ? text : "", static_cast<int>(color), font);
    FatalErrorExit("");
  }
  WaitActiveAndRestore();
  const Rect mask = SaturatedRect(x, y, DrawState.DrawArea.right, int64_t{y} + StringMaskHeight(font));
  return RunDraw(StringRow(), mask,
                 [&](const DrawBackendRow& row) { return row.DrawString(x, y, text, color, font, edge_color, flag); });
}

}  // namespace vexal
