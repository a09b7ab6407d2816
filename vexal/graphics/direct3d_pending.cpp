#include "vexal/graphics/direct3d_pending.h"

#include "vexal/graphics/graphics_seam.h"

namespace vexal {

int InitDirect3D() { return SeamTraced("InitDirect3D"); }
int EndDirect3D() { return SeamTraced("EndDirect3D", -1); }
int ReleaseDirect3D() { return SeamTraced("ReleaseDirect3D", -1); }
int RestoreDirect3D() { return SeamTraced("RestoreDirect3D"); }
int EndPending3DScene() { return SeamTraced("EndPending3DScene"); }
int SetTextureBitDepth(int) { return SeamTraced("SetTextureBitDepth", -1); }

}  // namespace vexal
