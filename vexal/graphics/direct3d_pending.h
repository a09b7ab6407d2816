// The Direct3D row until it is built: no Direct3D object ever exists.
#pragma once

namespace vexal {

int InitDirect3D();
int EndDirect3D();
int ReleaseDirect3D();
int RestoreDirect3D();
int EndPending3DScene();
int SetTextureBitDepth(int bits);

}  // namespace vexal
