// The state-changing slots of the Direct3D row and the rules every row-1 draw shares: the
// scene (opened by the first draw, left open across draws to the back screen, closed by
// 2-D work, target changes and presentation), the render target and viewport following
// the library's draw target and draw area, the two draw-target flags, and the stored
// fixed-function setters.
#pragma once

#include <cstdint>

#include "platform/d3d/d3d.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// Closes the current record's scene if one is open.
int EndPending3DScene();
// Opens a scene on the current record if none is open, re-sending the cached states. 0,
// or -1 when there is no usable device.
int BeginPending3DScene();
// Closes the scene after a draw while the front screen is the target.
void EndSceneAfterDraw();
void D3DReapplyDeviceState(int handle);
int D3DSetStageDefaults(int handle);
int D3DSetZEnable(int flag, int handle);
int D3DSetTextureAddress(int mode, int handle);

int D3DSetDrawMode(int mode);                                 // 9
int D3DSetBlendMode(int mode, int param);                     // 10
int D3DSetDrawArea(const Rect* area);                         // 12
int D3DSetDrawTarget(int screen);                             // 24
int D3DGetGraphColorDesc(ColorFormatRecord* out, int alpha);  // 25
int D3DClearDrawTarget();                                     // 26
int D3DSyncDrawTarget(int masked);                            // 37

// The blocks the opaque fixed-function slots take.
struct D3DLightArgs {
  uint32_t index;
  const plat::d3d::Light* light;
};
struct D3DLightEnableArgs {
  uint32_t index;
  int enable;
};
struct D3DCullModeArgs {
  int flag;
};
struct D3DAmbientArgs {
  uint32_t color;
};

int D3DSetWorldTransform(const void* matrix);       // 40: const plat::d3d::Matrix*
int D3DSetViewTransform(const void* matrix);        // 41
int D3DSetProjectionTransform(const void* matrix);  // 42
int D3DSetLight(const void* args);                  // 43: const D3DLightArgs*
int D3DEnableLight(const void* args);               // 44: const D3DLightEnableArgs*
int D3DSetMaterial(const void* material);           // 45: const plat::d3d::Material*
int D3DSetCullMode(const void* args);               // 46: const D3DCullModeArgs*
int D3DSetAmbientLight(const void* args);           // 47: const D3DAmbientArgs*

}  // namespace vexal
