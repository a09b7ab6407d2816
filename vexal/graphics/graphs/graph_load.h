// Picture files into graphs: one graph per picture, or a picture cut into equal pieces
// (a divided graph), new pictures into the pieces of an existing divided graph, and the
// steps they share. Every graph made here remembers its file, the current directory and
// its place in the picture, so that the restore handler (graph_restore.h) can load it
// again after the device lost it.
//
// A picture may come with a companion alpha picture of the same size, named by
// AlphaCompanionName, which gives the graph its alpha.
//
// File names are the game's ('\' between folders, any letter case; see platform/fs.h)
// and are stored as given.
#pragma once

#include <string>
#include <string_view>

#include "vexal/graphics/pictures/graph_image.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// The companion alpha picture's name: "_a" before the first '.' of the name, or at its
// end when it has none ("img\a.png" -> "img\a_a.png"; "a.b.png" -> "a_a.b.png").
std::string AlphaCompanionName(std::string_view file);

// The picture of a file (reversed left to right with mirror 1) and its companion alpha
// picture when that exists and loads. alpha may be null (no companion is looked for).
// 0 both loaded, 1 the picture only, -1 the picture cannot be loaded. The caller frees
// the pixels of what loaded (std::free).
int LoadGraphImageFiles(std::string_view file, GraphImage* picture, GraphImage* alpha, int mirror);

// A graph of a whole picture file. Handle, or -1 when it cannot be loaded (logged) or the
// companion's size differs; -1 also while drawing is suspended.
int LoadGraph(std::string_view file);
// As LoadGraph; want3D 0 keeps the graph off the Direct3D row, mirror 1 reverses it.
int LoadGraphCore(std::string_view file, int want3D, int mirror);

// A picture cut into allNum pieces of w x h, xNum to a row and yNum rows (pieces counted
// row by row), their handles into handles[0..allNum-1]. 0, or -1 when the file cannot
// be loaded, the division is impossible (any count or size below 1, allNum above
// xNum x yNum, a picture smaller than xNum x w by yNum x h; logged) or the companion's
// size differs. 0 while suspended, making nothing.
int LoadDivGraph(std::string_view file, int allNum, int xNum, int yNum, int w, int h, int* handles);
// As LoadDivGraph; notUse3D non-zero keeps the pieces off the Direct3D row.
int LoadDivGraphFlag(std::string_view file, int allNum, int xNum, int yNum, int w, int h, int* handles, int notUse3D);
int LoadDivGraphCore(std::string_view file, int allNum, int xNum, int yNum, int w, int h, int* handles, int want3D,
                     int mirror);

// New pictures from a file into the pieces of a divided graph made before, cut the same
// way. 0, or -1 when handles[0] is not a graph, the file cannot be loaded or is too small
// for the division (logged). 0 while suspended.
int ReloadDivGraph(std::string_view file, int allNum, int xNum, int yNum, int w, int h, const int* handles, int mirror);

// Makes the graphs and storage of a division of picture (see LoadDivGraph) into handles.
// 0, or -1 as LoadDivGraph says; a row that cannot make the storage ends the program.
int CreateDXDivGraph(const GraphImage* picture, const GraphImage* alpha, int allNum, int xNum, int yNum, int w, int h,
                     int* handles, int want3D);

// Puts a picture (kind 0) or a pair of bitmaps in `format` (kind 1: bitmap, alphaBitmap;
// format null means the 24-bit format) into a graph from (x, y) of the picture, and
// records the file, directory, place and mirror flag for reloading. The row's result;
// -1 for a bad handle; 0 while suspended.
int SetGraphImage(const ColorFormatRecord* format, const void* bitmap, const void* alphaBitmap, std::string_view file,
                  int kind, const GraphImage* picture, const GraphImage* alpha, int x, int y, int handle, int mirror);

// The same for the pieces of a division: piece i takes its cell (mirrored: the cells of a
// row counted from the right). The row's result; -1 for a bad handle or division; 0
// while suspended.
int BltBmpToDivGraph(const ColorFormatRecord* format, const void* bitmap, const void* alphaBitmap,
                     std::string_view file, int kind, const GraphImage* picture, const GraphImage* alpha, int allNum,
                     int xNum, int yNum, int w, int h, const int* handles, int mirror);

}  // namespace vexal
