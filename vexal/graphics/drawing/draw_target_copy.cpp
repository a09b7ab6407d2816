// Slot 23 of row 0: part of the draw target copied into a graph's pieces; and the copy a
// blank graph keeps of it for after a device loss.
//
// Only (x1, y1) places the copy: each piece receives the screen pixels at its own place
// in the graph moved by (x1, y1), as far as the source reaches; x2 and y2 serve the
// validation alone.
#include <algorithm>
#include <cstring>

#include "platform/surface/display.h"
#include "platform/surface/surface.h"
#include "vexal/app/window/window_access.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_present.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

// What the copy may read: w x h pixels from (x, y) of the draw surface on.
struct SourceArea {
  int x = 0, y = 0, w = 0, h = 0;
};

// Flag 0 with the front screen drawn in window mode reads the whole desktop in desktop
// coordinates; otherwise the draw target through its origin.
bool Source(int flag, SourceArea* out) {
  if (flag == 0 && IsWindowMode() != 0 && DrawState.DrawScreen == kFrontScreen) {
    const plat::display::CurrentMode screen = plat::display::Current();
    *out = {0, 0, screen.width, screen.height};
    return true;
  }
  int w = 0, h = 0;
  if (GetGraphDimensions(DrawState.DrawScreen, &w, &h) == -1) return false;
  int x = 0, y = 0;
  GetDrawTargetOrigin(&x, &y);
  *out = {x, y, w, h};
  return true;
}

bool Refused(int x1, int y1, int x2, int y2, const SourceArea& area, const GraphRecord& graph) {
  return x1 < 0 || x1 >= x2 || y1 < 0 || y1 >= y2 || x1 > area.w || y1 > area.h || x2 - x1 > graph.Width ||
         y2 - y1 > graph.Height;
}

void CopyPiece(const BmpDataRecord& piece, int x1, int y1, const SourceArea& area) {
  const int px = piece.GraphX + x1;
  const int py = piece.GraphY + y1;
  if (px > area.w || py > area.h) return;
  const int pw = px + piece.Width > area.w ? area.w - px : piece.Width;
  const int ph = py + piece.Height > area.h ? area.h - py : piece.Height;
  if (pw <= 0 || ph <= 0 || piece.Surface == nullptr) return;
  const ps::Rect src{area.x + px, area.y + py, area.x + px + pw, area.y + py + ph};
  // Video memory is never read through a device context; system memory may be, when
  // that measured faster at start-up.
  if (piece.InVideoMemory != 0) {
    ps::BltFast(piece.Surface, piece.X, piece.Y, DDrawState.DrawSurface, &src, ps::kFastNoColorKey);
  } else {
    BltToScreenDC(piece.Surface, DDrawState.DrawSurface, piece.X, piece.Y, &src);
  }
}

}  // namespace

int DDrawCopyScreenToGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int flag) {
  if (DDrawState.Object == nullptr || DDrawState.DrawSurface == nullptr || graph == nullptr) return -1;
  EndPending3DScene();
  SourceArea area;
  if (!Source(flag, &area) || Refused(x1, y1, x2, y2, area, *graph)) return -1;
  for (int i = 0; i < graph->PieceCount; ++i) {
    const BmpDataRecord* piece = GetBmpData(static_cast<int>(graph->Pieces[i]));
    if (piece != nullptr) CopyPiece(*piece, x1, y1, area);
  }
  return 0;
}

void KeepScreenCopy(int x1, int y1, int flag, GraphRecord* graph) {
  if (graph == nullptr) return;
  KeptScreenCopy& kept = graph->ScreenCopy;
  kept = KeptScreenCopy{};
  SourceArea area;
  ps::Surface* const surface = DDrawState.DrawSurface;
  if (surface == nullptr || DDrawState.ScreenColorBits == 8 || !Source(flag, &area)) return;
  const ColorFormatRecord& format = DDrawState.Screen.Format;
  const int bytes = format.BytesPerPixel;
  if (bytes < 1 || graph->Width == 0 || graph->Height == 0) return;
  ps::LockedRect locked;
  if (ps::Lock(surface, nullptr, ps::kLockWait | ps::kLockReadOnly, &locked) != ps::Result::kOk) return;
  kept.Width = graph->Width;
  kept.Height = graph->Height;
  kept.Pitch = kept.Width * bytes;
  kept.Format = format;
  kept.Pixels.assign(static_cast<size_t>(kept.Pitch) * static_cast<size_t>(kept.Height), 0);
  // Graph pixel (x, y) holds the source's (x1 + x, y1 + y), as far as the source reaches.
  const int w = std::min(kept.Width, area.w - x1), h = std::min(kept.Height, area.h - y1);
  for (int y = 0; y < h; ++y) {
    const uint8_t* from = locked.bits + static_cast<ptrdiff_t>(area.y + y1 + y) * locked.pitch +
                          static_cast<ptrdiff_t>(area.x + x1) * bytes;
    std::memcpy(kept.Pixels.data() + static_cast<size_t>(y) * kept.Pitch, from, static_cast<size_t>(w) * bytes);
  }
  ps::Unlock(surface);
}

}  // namespace vexal
