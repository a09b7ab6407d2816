// The frame the image warps share around their pixel work: the destination, the piece a
// graph is drawn from, the work-surface copies and the locks.
//
// The surface stand-in refuses a second lock of a surface, so a graph drawn onto its own
// surface is read through a private copy of its piece taken under the destination's lock.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface/surface.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/raster/warp_kernels.h"

namespace vexal::warp {

namespace ps = plat::surface;

// The mask surface while masked drawing is on and it exists, else the draw surface.
ps::Surface* Destination(bool* is_mask);

// The first piece of a row-0 graph and the size drawn from it: the graph's, cut to the
// piece's own where a graph stored in several pieces has a smaller first one.
struct GraphPiece {
  const BmpDataRecord* Piece = nullptr;
  int Width = 0;
  int Height = 0;
};
bool FirstPiece(const GraphRecord* graph, GraphPiece* out);

bool HasAlphaPlane(const BmpDataRecord& piece);
// The alpha byte of the piece's texel (0, 0): the plane covers the whole surface, so the
// piece's place in it is added. Null without a plane.
const uint8_t* PieceAlpha(const BmpDataRecord& piece);
// The piece's colour key in the screen's format (a piece without key gives white).
uint32_t PieceKeyValue(const BmpDataRecord& piece);

// Whether the blend source is a read-back copy: a blend mode, a screen above 8 bits, and a
// destination in video memory or a piece with an alpha plane.
bool ReadBackWanted(bool alpha_plane, bool dest_is_mask);

// Copies `rect` (destination-surface coordinates) of `from` to (x, y) of `work`; false,
// copying nothing, when it does not fit either surface.
bool CopyToWork(ps::Surface* work, ps::Surface* from, const ps::Rect& rect, int x, int y);

// The pixels a warp reads and writes, locked for one call. Bits point at pixel (0, 0) of
// each surface; Source at the piece's texel (0, 0).
class WarpLocks {
 public:
  struct Messages {
    const char* Dest;
    const char* Source;
    const char* Work;
  };
  // Locks dest for writing, source (null: none) and work1 (null: none) for reading. A
  // source on the destination's surface is read from a copy of `source_rect`. A failed
  // lock ends the program with the message of that lock.
  void Lock(ps::Surface* dest, ps::Surface* source, const ps::Rect& source_rect, ps::Surface* work1,
            const Messages& messages);
  void Unlock();

  uint8_t* DestBits = nullptr;
  int32_t DestPitch = 0;
  const uint8_t* SourceBits = nullptr;  // texel (0, 0) of source_rect
  int32_t SourcePitch = 0;
  const uint8_t* WorkBits = nullptr;  // pixel (0, 0) of work1; null when not locked
  int32_t WorkPitch = 0;

 private:
  ps::Surface* dest_ = nullptr;
  ps::Surface* source_ = nullptr;
  ps::Surface* work_ = nullptr;
  std::vector<uint8_t> own_copy_;
};

// The pointers the triangle rasteriser takes: pixel (0, 0) of the draw target, texel
// (0, 0) of the piece, and the blend source laid out like the draw target.
struct TriangleTarget {
  uint8_t* Dest = nullptr;
  int DestPitch = 0;
  const uint8_t* Src1 = nullptr;
  int Src1Pitch = 0;
  const uint8_t* Src2 = nullptr;
  int Src2Pitch = 0;
};

// Copies and locks for triangles drawn inside `box` (draw coordinates, clipped to the
// draw area) of dest: the box read back into work surface 1 at its own draw coordinates
// when a blend asks for it, a piece in video memory (piece may be null) copied to work
// surface 2.
void LockForTriangles(ps::Surface* dest, bool dest_is_mask, const Rect& box, const GraphPiece* piece,
                      const WarpLocks::Messages& messages, WarpLocks* locks, TriangleTarget* out);

// A kernel request from the draw state, the screen's format and the coarse flag.
WarpRequest RequestFromDrawState(bool alpha_plane, bool flat, bool keyed, uint32_t key);

}  // namespace vexal::warp
