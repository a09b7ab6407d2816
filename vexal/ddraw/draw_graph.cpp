// The graph blitter's call: clipping, the choice between the surface stand-in's fast blit
// and the per-pixel loops, the work-surface copies and the locks. Nothing here allocates:
// 8 x 8 glyphs and 16 x 16 tiles are most of the calls.
//
// The work surfaces are screen-sized. A rectangle larger than them (a graph target larger
// than the screen) is read in place instead of through them, which gives the same pixels.
#include "vexal/ddraw/draw_graph.h"

#include <algorithm>
#include <cstdint>

#include "platform/surface/surface.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/ddraw/blit_kernels.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_present.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr int kPaletteColorBits = 8;  // 8-bit screens always take the plain path

// The three fatal lock failures; each message ends in one blank.
constexpr const char* kDestLockFailed = "転送先サーフェスのロックに失敗しました in G_DDraw_DrawGraph ";
constexpr const char* kSourceLockFailed = "転送元１サーフェスのロックに失敗しました in G_DDraw_DrawGraph ";
constexpr const char* kWorkLockFailed = "転送元２サーフェスのロックに失敗しました in G_DDraw_DrawGraph ";

// One clipped draw: w x h pixels from (sx, sy) of the piece's surface to (dx, dy) of the
// destination surface (the target origin already added).
struct Placement {
  int sx, sy;
  int dx, dy;
  int w, h;
};

bool HasAlphaPlane(const BmpDataRecord& piece) { return piece.MaskFlag != 0 && piece.AlphaPlane != nullptr; }

bool FitsWorkSurface(const ps::Surface* work, int w, int h) {
  if (work == nullptr) return false;
  const ps::SurfaceInfo info = ps::GetSurfaceInfo(work);
  return w <= info.width && h <= info.height;
}

ps::Rect SourceRect(const Placement& p) { return {p.sx, p.sy, p.sx + p.w, p.sy + p.h}; }
ps::Rect DestRect(const Placement& p) { return {p.dx, p.dy, p.dx + p.w, p.dy + p.h}; }

// The destination and whether it is the mask surface.
ps::Surface* Destination(bool* is_mask) {
  ps::Surface* mask = GetMaskSurface();
  *is_mask = DrawState.MaskedDrawing != 0 && mask != nullptr;
  return *is_mask ? mask : GetDrawSurface();
}

// The clipped rectangle, or false when nothing is left. Beyond the draw area the
// rectangle is also kept inside both surfaces, so that no lock or blit can reach past
// them whatever the area says.
bool Place(int x, int y, const BmpDataRecord& piece, ps::Surface* dest, Placement* out) {
  // Read first, so that no call falls between the sums below.
  const ps::SurfaceSize di = ps::GetSurfaceSize(dest), si = ps::GetSurfaceSize(piece.Surface);
  // x and y are ints already: only the far edges need holding to the int range.
  Rect r{x, y, SaturatedCoordinate(int64_t{x} + piece.Width), SaturatedCoordinate(int64_t{y} + piece.Height)};
  ClipRect(&r, &DrawState.DrawArea);
  if (r.bottom <= r.top || r.right <= r.left) return false;
  // ClipRect only moves edges inwards, so the cut from the left and top is never negative.
  int cl = r.left - x, ct = r.top - y;
  int w = r.right - r.left, h = r.bottom - r.top;
  int dx = DrawState.TargetRect.left + r.left, dy = DrawState.TargetRect.top + r.top;
  int sx = piece.X + cl, sy = piece.Y + ct;
  auto keep_inside = [&](int* at, int* other, int* size, int limit) {
    if (*at < 0) {
      *other -= *at;
      *size += *at;
      *at = 0;
    }
    *size = std::min(*size, limit - *at);
  };
  keep_inside(&dx, &sx, &w, di.width);
  keep_inside(&dy, &sy, &h, di.height);
  keep_inside(&sx, &dx, &w, si.width);
  keep_inside(&sy, &dy, &h, si.height);
  if (w <= 0 || h <= 0) return false;
  *out = {sx, sy, dx, dy, w, h};
  return true;
}

// The keyed GDI detour: the source goes through work surface 1, which is given the
// piece's key for the copy (its own key, 0, would key out black instead).
void KeyedCopyThroughWork1(ps::Surface* dest, ps::Surface* source, const Placement& p) {
  ps::Surface* work = DDrawState.Work1;
  ps::ColorKey piece_key, work_key;
  const bool keyed = ps::GetColorKey(source, &piece_key) == ps::Result::kOk;
  const ps::Rect src = SourceRect(p);
  if (!keyed || ps::GetColorKey(work, &work_key) != ps::Result::kOk) {
    ps::BltFast(dest, p.dx, p.dy, source, &src, ps::kFastSourceColorKey);
    return;
  }
  BltToScreenDC(work, source, 0, 0, &src);
  ps::SetColorKey(work, &piece_key);
  const ps::Rect from{0, 0, p.w, p.h};
  ps::BltFast(dest, p.dx, p.dy, work, &from, ps::kFastSourceColorKey);
  ps::SetColorKey(work, &work_key);
}

int PlainCopy(ps::Surface* dest, bool dest_is_mask, const BmpDataRecord& piece, const Placement& p, bool trans) {
  const ps::Rect src = SourceRect(p);
  const bool gdi = !(dest_is_mask && DrawState.MaskInVideoMemory != 0) && DrawState.TargetInVideoMemory == 0 &&
                   piece.InVideoMemory != 0 && DDrawState.UseGdiScreenCopy == 1;
  if (gdi && !trans) {
    BltToScreenDC(dest, piece.Surface, p.dx, p.dy, &src);
    return 0;
  }
  if (gdi) {
    int screen_w = 0, screen_h = 0;
    GetScreenSize(&screen_w, &screen_h);
    if (p.w >= screen_w && p.h >= screen_h && FitsWorkSurface(DDrawState.Work1, p.w, p.h)) {
      KeyedCopyThroughWork1(dest, piece.Surface, p);
      return 0;
    }
  }
  // Place kept both rectangles inside their surfaces, non-empty, and G_DDraw_DrawGraph
  // turned away null surfaces.
  ps::BltFastInside(dest, p.dx, p.dy, piece.Surface, src, trans ? ps::kFastSourceColorKey : ps::kFastNoColorKey);
  return 0;
}

// The kernels' brightness word: red, green, blue in the three upper bytes, high to low.
// The draw state keeps them from the low end after a byte of 0xFF.
uint32_t KernelBrightness(uint32_t bright) {
  const uint32_t red = (bright >> 8) & 0xFF, green = (bright >> 16) & 0xFF, blue = bright >> 24;
  return red << 24 | green << 16 | blue << 8 | 0xFF;
}

int SoftwareDraw(ps::Surface* dest, bool dest_is_mask, const BmpDataRecord& piece, const Placement& p, bool trans) {
  const bool alpha = HasAlphaPlane(piece);
  const bool dest_in_video = DrawState.TargetInVideoMemory != 0 || (dest_is_mask && DrawState.MaskInVideoMemory != 0);
  ps::Surface* work1 = nullptr;
  if (((dest_in_video && DrawState.BlendMode != 0) || alpha) && FitsWorkSurface(DDrawState.Work1, p.w, p.h)) {
    work1 = DDrawState.Work1;
    const ps::Rect area = DestRect(p);
    BltToScreenDC(work1, dest, 0, 0, &area);
  }
  ps::Surface* source = piece.Surface;
  ps::Rect source_rect = SourceRect(p);
  if (piece.InVideoMemory != 0 && FitsWorkSurface(DDrawState.Work2, p.w, p.h)) {
    source = DDrawState.Work2;
    BltToScreenDC(source, piece.Surface, 0, 0, &source_rect);
    source_rect = {0, 0, p.w, p.h};
  }

  const ps::Rect dest_rect = DestRect(p);
  ps::LockedRect d, s, w;
  if (ps::Lock(dest, &dest_rect, ps::kLockWait, &d) != ps::Result::kOk) FatalErrorExit(kDestLockFailed);
  // A graph drawn onto itself is read through the lock it is written through.
  const bool own_surface = source == dest;
  if (own_surface) {
    const int bytes = ps::GetSurfaceInfo(dest).format.bit_count / 8;
    s = d;
    s.bits = d.bits + (source_rect.top - dest_rect.top) * d.pitch + (source_rect.left - dest_rect.left) * bytes;
  } else if (ps::Lock(source, &source_rect, ps::kLockWait | ps::kLockReadOnly, &s) != ps::Result::kOk) {
    ps::Unlock(dest);
    FatalErrorExit(kSourceLockFailed);
  }
  if (work1 != nullptr) {
    const ps::Rect work_rect{0, 0, p.w, p.h};
    if (ps::Lock(work1, &work_rect, ps::kLockWait | ps::kLockReadOnly, &w) != ps::Result::kOk) {
      if (!own_surface) ps::Unlock(source);
      ps::Unlock(dest);
      FatalErrorExit(kWorkLockFailed);
    }
  } else {
    w = d;
  }

  BlitSettings settings;
  settings.Format = GetPixelFormatPtr();
  settings.BlendMode = DrawState.BlendMode;
  settings.BlendParam = DrawState.BlendParam;
  settings.Brightness = KernelBrightness(DrawState.Bright);
  settings.Coarse = DDrawState.CoarseBlendFlag != 0;
  settings.Keyed = trans;
  const uint32_t key = static_cast<uint32_t>(piece.ColorKey);
  settings.KeyValue = MakeColorValue(static_cast<int>((key >> 16) & 0xFF), static_cast<int>((key >> 8) & 0xFF),
                                     static_cast<int>(key & 0xFF));
  BlitPixels pixels;
  pixels.Source = s.bits;
  pixels.SourcePitch = s.pitch;
  if (alpha) pixels.Alpha = piece.AlphaPlane.get() + static_cast<ptrdiff_t>(p.sy) * piece.AlphaPitch + p.sx;
  pixels.AlphaPitch = piece.AlphaPitch;
  pixels.DestRead = w.bits;
  pixels.DestReadPitch = w.pitch;
  pixels.Dest = d.bits;
  pixels.DestPitch = d.pitch;
  pixels.Width = p.w;
  pixels.Height = p.h;
  BlitPiecePixels(settings, pixels);

  if (work1 != nullptr) ps::Unlock(work1);
  if (!own_surface) ps::Unlock(source);
  ps::Unlock(dest);
  return 0;
}

}  // namespace

int G_DDraw_DrawGraph(int x, int y, int bmp_data_index, int trans) {
  if (DDrawTargetUnusable != 0) return -1;
  bool dest_is_mask = false;
  ps::Surface* dest = Destination(&dest_is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  const BmpDataRecord* piece = GetBmpData(bmp_data_index);
  if (piece == nullptr || piece->Surface == nullptr || dest == nullptr) return -1;
  Placement p;
  if (!Place(x, y, *piece, dest, &p)) return 0;
  const bool plain = (DrawState.BlendMode == 0 && DrawState.Bright == kBrightNone && !HasAlphaPlane(*piece)) ||
                     GetScreenColorBits() == kPaletteColorBits;
  if (plain) return PlainCopy(dest, dest_is_mask, *piece, p, trans != 0);
  return SoftwareDraw(dest, dest_is_mask, *piece, p, trans != 0);
}

int DDrawDrawGraph(int x, int y, GraphRecord* graph, int trans) {
  if (graph == nullptr || graph->PieceCount == 0) return -1;
  return G_DDraw_DrawGraph(x, y, static_cast<int>(graph->Pieces[0]), trans);
}

}  // namespace vexal
