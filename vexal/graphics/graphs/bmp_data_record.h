// BmpDataRecord: where one piece of a DirectDraw-row graph keeps its pixels — a surface,
// or a rectangle of a surface shared with a parent record, with its size, its alpha plane
// (the mask buffer) and its colour key. The BMP data table owns the records; the surface
// set-up (bmp_data_surface.h) fills them, and the device's release and re-creation drop
// and re-make their surfaces.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/surface/surface.h"

namespace vexal {

struct BmpDataRecord {
  plat::surface::Surface* Surface = nullptr;  // own, or the parent's when shared; null while the device is away
  uint16_t GraphX = 0;                        // the piece's place inside its graph, stored unchanged
  uint16_t GraphY = 0;
  uint16_t X = 0;  // top-left of this record's rectangle inside the surface
  uint16_t Y = 0;
  uint16_t Width = 0;  // size of the rectangle
  uint16_t Height = 0;
  uint16_t SurfaceWidth = 0;  // size of the whole surface
  uint16_t SurfaceHeight = 0;
  uint8_t InVideoMemory = 0;              // the surface lies in video memory
  uint8_t Locked = 0;                     // lock mark; nothing sets it
  uint8_t MaskFlag = 0;                   // the record has an alpha plane
  std::shared_ptr<uint8_t[]> AlphaPlane;  // one byte per surface pixel, 0xFF at creation; shared with shares
  int32_t AlphaPitch = 0;                 // bytes from one row of the alpha plane to the next
  uint8_t OwnsAlphaPlane = 0;             // this record allocated the alpha plane
  int32_t SurfaceEntry = -1;              // the surface-table record that owns the surface
  int32_t ColorKey = -1;                  // 0x00RRGGBB transparent colour, -1 for none
  int32_t OwnerGraph = 0;                 // handle of the graph whose piece this is, stored unchanged
};

}  // namespace vexal
