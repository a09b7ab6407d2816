// The draw-target code until it is built: the front (-4) or back (-2) surface only.
#pragma once

namespace vexal {

// Points the draw surface at the front (-4) or back (-2) surface. 0.
int DDrawSetDrawTarget(int target);
// Fills the draw surface with colour 0. 0.
int ClearDrawTarget();

}  // namespace vexal
