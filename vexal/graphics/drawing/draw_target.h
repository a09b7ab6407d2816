// The draw target of the DirectDraw row: which surface row-0 drawing writes to (the front
// screen, the back screen or a graph's first piece), whether that target can be drawn on
// at all, and the public clear of it. The surface itself is DDrawState.DrawSurface
// (GetDrawSurface); the origin drawers add to their coordinates is the target rectangle's
// top-left corner in the draw state.
//
// Slot 23 (copy of the target into a graph) and slot 26 (clear) are declared with the
// rest of row 0 in ddraw_row.h.
#pragma once

#include <cstdint>

namespace vexal {

struct GraphRecord;

// 1 while the chosen target is a Direct3D-row graph: every row-0 drawing slot then
// returns -1 at once. Written only by DDrawSetDrawTarget.
extern int32_t DDrawTargetUnusable;

// Slot 24 of row 0: -4 front, -2 back, or a graph of row 0. Points the draw surface at
// it, sets the draw state's video-memory field from the surface, and in window mode
// attaches the window's clipper to the front screen only while the back screen is the
// target. -1 without the device, for a bad handle, a graph without a surface, or a
// Direct3D graph (which also sets DDrawTargetUnusable).
int DDrawSetDrawTarget(int target);

// Fills the draw target with colour 0 on row 1 (while Direct3D is available) and row 0.
// 0, also while drawing is suspended (nothing is done then).
int ClearDrawTarget();

// The draw target's origin inside the draw surface: the client area's place on the
// desktop while the front screen is drawn in window mode, else (0, 0). Either pointer
// may be null. 0.
int GetDrawTargetOrigin(int* x, int* y);

// After a copy of the screen into a graph that came from no file: the same pixels, read
// from the draw surface as slot 23 reads them (zero where it reaches past the source),
// kept with the graph so that they come back after a device loss. Nothing is kept on an
// 8-bit screen or when the surface cannot be read; then an older copy is dropped.
void KeepScreenCopy(int x1, int y1, int flag, GraphRecord* graph);

// Before a graph is deleted: when it is the draw target, the back screen becomes the
// target, so the rows never point at its freed surface. Where it cannot be chosen (drawing
// suspended) it is stored as the target without the rows being asked.
void LeaveDrawTargetGraph(int graph);

// Back to the state at load, for tests.
void ResetDDrawTarget();

}  // namespace vexal
