// Bringing graphs back after the device lost their surfaces: the surfaces of one graph
// or of all of them, and the default restore handler, which loads every graph made from
// a file again (a file shared by the pieces of a divided graph is loaded once).
#pragma once

namespace vexal {

// Gives a lost graph its surfaces back (cleared; the restore handler puts its picture
// in again). 0; -1 for a bad handle; 0 while drawing is suspended.
int RestoreGraph(int graph);
// The main surfaces, then every graph in index order. 0; nothing before graph management
// has started or while suspended.
int RestoreAllGraph();
// The restore handler installed by default: every graph marked for restore that came
// from a file is loaded again from its file and directory, into its place in the
// picture. A file that no longer loads, or no longer covers a graph, is logged and that
// graph skipped. The current directory is the same afterwards. 0.
int RestoreGraphFromFiles();

}  // namespace vexal
