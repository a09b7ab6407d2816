// What the textured draws of the Direct3D row share: the texture state a graph asks of
// the device (colour key, blend, texture alpha), the diffuse colour a draw carries, and
// binding a texture to stage 0.
#pragma once

#include <cstdint>

#include "platform/surface/surface.h"

namespace vexal {

struct GraphRecord;
struct D3DDeviceRecord;

// Sends the colour key, blend and texture-alpha states the graph needs with this trans
// flag; the graph's first piece decides the texture alpha.
void ApplyGraphTextureState(const GraphRecord* graph, int trans);
// Alpha (the blend parameter while a blend mode is set, else 255) over the brightness.
uint32_t GraphDiffuse();
// The draw state's brightness as 0x00RRGGBB (white when none is set). The block keeps
// red, green and blue from its second byte up, above a constant 0xFF.
uint32_t BrightColor();
// Binds texture (may be null) to stage 0 unless the record already holds it.
void BindStageTexture(D3DDeviceRecord* rec, plat::surface::Surface* texture);

}  // namespace vexal
