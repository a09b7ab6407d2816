#include "vexal/graphics/graphics_seam.h"

#include "vexal/graphics/graph_table.h"

namespace vexal {
namespace {

struct SeamState {
  std::array<int, 4> FrontScreenRect{};
  std::function<void(std::string_view)> Trace;  // test observer, or empty
};

SeamState Seam;  // the stand-in parts of the graphics core

}  // namespace

int SeamTraced(std::string_view call, int result) {
  if (Seam.Trace) Seam.Trace(call);
  return result;
}

int SetFrontScreenRect(int left, int top, int right, int bottom) {
  Seam.FrontScreenRect = {left, top, right, bottom};
  return SeamTraced("SetFrontScreenRect");
}

int GetBmpDataEnd() { return SeamTraced("GetBmpDataEnd", BmpDataTable.EndIndex); }

void SeamClearGraphRestoreHandler() { GraphTable.RestoreHandler = nullptr; }

std::array<int, 4> SeamFrontScreenRect() { return Seam.FrontScreenRect; }

void SeamSetBmpDataTable(std::span<BmpDataRecord*> records) { SetBmpDataTableForTests(records); }

void SeamSetTraceHook(std::function<void(std::string_view)> hook) { Seam.Trace = std::move(hook); }

void ResetGraphicsSeam() { Seam = SeamState{}; }

}  // namespace vexal
