#include "vexal/graphics/font_pending.h"

#include "vexal/graphics/graph_table.h"
#include "vexal/graphics/graphics_seam.h"

namespace vexal {

// Remaking the font handles waits for the fonts; the graphs are marked and reloaded now.
int RefreshAllFontHandle() {
  for (int i = 0; i < GraphTable.EndIndex; ++i) {
    if (GraphTable.Slots[i] != nullptr) GraphTable.Slots[i]->NeedsRestore = 1;
  }
  if (GraphTable.RestoreHandler != nullptr) GraphTable.RestoreHandler();
  return SeamTraced("RefreshAllFontHandle");
}

int GetDefaultFontHandle() { return -1; }
int CheckFontHandle(int) { return -1; }
int GetFontStateToHandle(int, std::string*, int*, int*) { return -1; }
int CreateDefaultFont(const std::string&, int, int) { return SeamTraced("CreateDefaultFont"); }

int ScreenLogDraw() { return SeamTraced("ScreenLogDraw"); }

}  // namespace vexal
