// The surface behind one BMP data record: made in the screen's format with the record's
// colour key, or shared with a parent record.
#pragma once

#include <cstdint>

#include "platform/surface/surface.h"
#include "vexal/graphics/graphs/bmp_data_record.h"

namespace vexal {

// Share flag set: the record becomes a width x height view at (x, y) of the parent's
// surface. Otherwise a width x height surface is made for it (system memory when graphs
// may not use video memory, when it is wider than the screen or without 3-D surfaces)
// with its colour key, and with the mask flag an alpha plane of 0xFF bytes. The piece's
// place and the owner graph are stored unchanged; color_bits is not read. 0, or -1 for a
// missing record, parent or device; a surface or colour key that cannot be set is fatal.
int CreateBmpDataSurface(int width, int height, uint16_t graph_x, uint16_t graph_y, uint32_t owner_graph,
                         uint32_t color_key, int color_bits, uint8_t mask_flag, BmpDataRecord* record,
                         plat::surface::Device* device, int share, const BmpDataRecord* parent, int x, int y);

// A width x height surface for graph pixels with a source colour key of key (0x00RRGGBB;
// index 0 on an 8-bit screen), by the memory rule above. 0; failures are fatal.
int CreateKeyedGraphSurface(plat::surface::Device* device, int width, int height, uint32_t key,
                            plat::surface::Surface** out, uint8_t* in_video_memory);

}  // namespace vexal
