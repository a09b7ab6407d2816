#include "vexal/raster/warp_frame.h"

#include <algorithm>
#include <cstring>

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_present.h"

namespace vexal::warp {
namespace {

constexpr int kPaletteColorBits = 8;

bool Inside(ps::Surface* s, const ps::Rect& r) {
  const ps::SurfaceInfo info = ps::GetSurfaceInfo(s);
  return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= info.width &&
         r.bottom <= info.height;
}

}  // namespace

ps::Surface* Destination(bool* is_mask) {
  ps::Surface* mask = GetMaskSurface();
  *is_mask = DrawState.MaskedDrawing != 0 && mask != nullptr;
  return *is_mask ? mask : GetDrawSurface();
}

bool FirstPiece(const GraphRecord* graph, GraphPiece* out) {
  if (graph == nullptr || graph->PieceCount == 0) return false;
  const BmpDataRecord* piece = GetBmpData(static_cast<int>(graph->Pieces[0]));
  if (piece == nullptr || piece->Surface == nullptr) return false;
  out->Piece = piece;
  out->Width = std::min<int>(graph->Width, piece->Width);
  out->Height = std::min<int>(graph->Height, piece->Height);
  return out->Width > 0 && out->Height > 0;
}

bool HasAlphaPlane(const BmpDataRecord& piece) { return piece.MaskFlag != 0 && piece.AlphaPlane != nullptr; }

const uint8_t* PieceAlpha(const BmpDataRecord& piece) {
  if (!HasAlphaPlane(piece)) return nullptr;
  return piece.AlphaPlane.get() + static_cast<ptrdiff_t>(piece.Y) * piece.AlphaPitch + piece.X;
}

uint32_t PieceKeyValue(const BmpDataRecord& piece) {
  const uint32_t key = static_cast<uint32_t>(piece.ColorKey);
  return MakeColorValue(static_cast<int>((key >> 16) & 0xFF), static_cast<int>((key >> 8) & 0xFF),
                        static_cast<int>(key & 0xFF));
}

bool ReadBackWanted(bool alpha_plane, bool dest_is_mask) {
  if (DrawState.BlendMode == 0 || GetScreenColorBits() == kPaletteColorBits) return false;
  return DrawState.TargetInVideoMemory != 0 || alpha_plane || (dest_is_mask && DrawState.MaskInVideoMemory != 0);
}

bool CopyToWork(ps::Surface* work, ps::Surface* from, const ps::Rect& rect, int x, int y) {
  if (work == nullptr || from == nullptr || work == from || !Inside(from, rect)) return false;
  const ps::Rect at{x, y, x + rect.right - rect.left, y + rect.bottom - rect.top};
  if (!Inside(work, at)) return false;
  BltToScreenDC(work, from, x, y, &rect);
  return true;
}

void WarpLocks::Lock(ps::Surface* dest, ps::Surface* source, const ps::Rect& source_rect, ps::Surface* work1,
                     const Messages& messages) {
  ps::LockedRect d, s, w;
  if (ps::Lock(dest, nullptr, ps::kLockWait | ps::kLockWriteOnly, &d) != ps::Result::kOk) FatalErrorExit(messages.Dest);
  dest_ = dest;
  DestBits = d.bits;
  DestPitch = d.pitch;
  const int bytes = d.format.bit_count / 8;
  if (source == dest) {
    // Drawn onto its own surface: the piece is read as it was before the call.
    const int w_bytes = (source_rect.right - source_rect.left) * bytes;
    const int rows = source_rect.bottom - source_rect.top;
    own_copy_.resize(static_cast<size_t>(std::max(w_bytes, 0)) * std::max(rows, 0) + 1);
    for (int y = 0; y < rows; ++y)
      std::memcpy(own_copy_.data() + static_cast<size_t>(y) * w_bytes,
                  d.bits + static_cast<ptrdiff_t>(source_rect.top + y) * d.pitch + source_rect.left * bytes,
                  static_cast<size_t>(w_bytes));
    SourceBits = own_copy_.data();
    SourcePitch = w_bytes;
  } else if (source != nullptr) {
    if (ps::Lock(source, nullptr, ps::kLockWait | ps::kLockReadOnly, &s) != ps::Result::kOk) {
      ps::Unlock(dest);
      FatalErrorExit(messages.Source);
    }
    source_ = source;
    SourceBits = s.bits + static_cast<ptrdiff_t>(source_rect.top) * s.pitch + source_rect.left * bytes;
    SourcePitch = s.pitch;
  }
  if (work1 != nullptr) {
    if (ps::Lock(work1, nullptr, ps::kLockWait | ps::kLockReadOnly, &w) != ps::Result::kOk) {
      if (source_ != nullptr) ps::Unlock(source_);
      ps::Unlock(dest);
      FatalErrorExit(messages.Work);
    }
    work_ = work1;
    WorkBits = w.bits;
    WorkPitch = w.pitch;
  }
}

void WarpLocks::Unlock() {
  if (work_ != nullptr) ps::Unlock(work_);
  if (source_ != nullptr) ps::Unlock(source_);
  if (dest_ != nullptr) ps::Unlock(dest_);
  work_ = source_ = dest_ = nullptr;
}

void LockForTriangles(ps::Surface* dest, bool dest_is_mask, const Rect& box, const GraphPiece* piece,
                      const WarpLocks::Messages& messages, WarpLocks* locks, TriangleTarget* out) {
  const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;
  ps::Surface* work1 = nullptr;
  const bool alpha = piece != nullptr && HasAlphaPlane(*piece->Piece);
  if (ReadBackWanted(alpha, dest_is_mask)) {
    const ps::Rect from{box.left + ox, box.top + oy, box.right + ox, box.bottom + oy};
    if (CopyToWork(DDrawState.Work1, dest, from, box.left, box.top)) work1 = DDrawState.Work1;
  }
  ps::Surface* source = nullptr;
  ps::Rect source_rect{0, 0, 0, 0};
  if (piece != nullptr) {
    const BmpDataRecord& p = *piece->Piece;
    source = p.Surface;
    source_rect = {p.X, p.Y, p.X + piece->Width, p.Y + piece->Height};
    int screen_w = 0, screen_h = 0;
    GetScreenSize(&screen_w, &screen_h);
    if (p.InVideoMemory != 0 && piece->Width <= screen_w && piece->Height <= screen_h &&
        CopyToWork(DDrawState.Work2, source, source_rect, 0, 0)) {
      source = DDrawState.Work2;
      source_rect = {0, 0, piece->Width, piece->Height};
    }
  }
  locks->Lock(dest, source, source_rect, work1, messages);
  const int bytes = GetScreenColorBits() / 8;
  out->Dest = locks->DestBits + static_cast<ptrdiff_t>(oy) * locks->DestPitch + static_cast<ptrdiff_t>(ox) * bytes;
  out->DestPitch = locks->DestPitch;
  out->Src1 = locks->SourceBits;
  out->Src1Pitch = locks->SourcePitch;
  if (work1 != nullptr) {
    out->Src2 = locks->WorkBits;
    out->Src2Pitch = locks->WorkPitch;
  } else {
    out->Src2 = out->Dest;
    out->Src2Pitch = out->DestPitch;
  }
}

WarpRequest RequestFromDrawState(bool alpha_plane, bool flat, bool keyed, uint32_t key) {
  WarpRequest rq;
  rq.Format = GetPixelFormatPtr();
  rq.BlendMode = DrawState.BlendMode;
  rq.BlendParam = DrawState.BlendParam;
  rq.Bright = DrawState.Bright;
  rq.Coarse = DDrawState.CoarseBlendFlag != 0;
  rq.Alpha = alpha_plane;
  rq.Flat = flat;
  rq.Keyed = keyed;
  rq.Key = key;
  return rq;
}

}  // namespace vexal::warp
