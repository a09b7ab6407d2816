// Drawing one piece of a graph (one BMP data record) onto the DirectDraw row's current
// destination: the mask surface while masked drawing is on and it exists, else the draw
// surface. A straight copy goes to the surface stand-in's fast blit (the plain path);
// anything else locks the surfaces and computes every pixel (blit_kernels.h).
#pragma once

namespace vexal {

// Draws piece bmp_data_index with its top-left corner at (x, y) of the draw target,
// clipped to the draw area; trans non-zero leaves out the pixels equal to the piece's
// colour key. 0 when drawn or when nothing was to be drawn; -1 while the draw target is
// unusable, without the device, for an index that holds no piece or a piece without its
// surface. A failed lock ends the program.
int G_DDraw_DrawGraph(int x, int y, int bmp_data_index, int trans);

}  // namespace vexal
