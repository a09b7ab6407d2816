// Reading a loaded graph back on a 32-bit screen: the pixel and alpha byte at (x, y) of
// its first piece, and the picture the loading tests cut their sheets from.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/surface/surface.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"

namespace graphtest {

// 0x00RRGGBB of sheet pixel (x, y): every pixel of a sheet up to 1024 wide differs.
inline uint32_t SheetColor(int x, int y) {
  return (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y & 0xFF) << 8) |
         static_cast<uint32_t>(0x10 | (x >> 8));
}

inline const vexal::BmpDataRecord* FirstPiece(int graph) {
  const vexal::GraphRecord* r = vexal::GetGraphRecord(graph);
  if (r == nullptr || r->PieceCount == 0) return nullptr;
  return vexal::GetBmpData(static_cast<int>(r->Pieces[0]));
}

// The graph's pixel as the 32-bit surface holds it, without its top byte.
inline uint32_t GraphPixel(int graph, int x, int y) {
  const vexal::BmpDataRecord* p = FirstPiece(graph);
  if (p == nullptr) {
    ADD_FAILURE() << "no piece";
    return 0xDEADBEEF;
  }
  namespace ps = plat::surface;
  ps::LockedRect l;
  if (ps::Lock(p->Surface, nullptr, ps::kLockWait | ps::kLockReadOnly, &l) != ps::Result::kOk) {
    ADD_FAILURE() << "lock";
    return 0xDEADBEEF;
  }
  uint32_t v;
  std::memcpy(&v, l.bits + static_cast<ptrdiff_t>(p->Y + y) * l.pitch + (p->X + x) * 4, 4);
  ps::Unlock(p->Surface);
  return v & 0xFFFFFF;
}

inline int GraphAlpha(int graph, int x, int y) {
  const vexal::BmpDataRecord* p = FirstPiece(graph);
  if (p == nullptr || p->AlphaPlane == nullptr) return -1;
  return p->AlphaPlane[static_cast<size_t>(p->Y + y) * p->AlphaPitch + p->X + x];
}

}  // namespace graphtest
