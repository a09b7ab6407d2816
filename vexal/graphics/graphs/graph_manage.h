// The start and end of graph management as a whole, deleting every graph at once, and the
// handler that brings graphs back after the device has lost them.
#pragma once

namespace vexal {

// Empties the graph table (keeping the restore handler and the game's Direct3D choice),
// binds the draw state to both rows and points drawing at the front screen. 0; nothing
// when already running.
int InitGraphManage();
// Waits until the application is active, drops the mask and every graph. 0; nothing when
// not running.
int EndGraphManage();
// Deletes every graph, in rising index order, logging each when log is set. 0; nothing
// before start or while drawing is suspended.
int DeleteAllGraph(int log);

// Called after the device comes back; null installs the file reloader. 0.
using GraphRestoreHandler = int (*)();
int SetGraphRestoreHandler(GraphRestoreHandler handler);
// 1 when a handler is installed.
int IsGraphRestoreHandlerSet();

}  // namespace vexal
