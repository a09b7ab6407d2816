#include "vexal/graphics/drawing/graphics_seam.h"

#include "vexal/graphics/graphs/graph_table.h"

namespace vexal {
namespace {

struct SeamState {
  std::function<void(std::string_view)> Trace;  // test observer, or empty
};

SeamState Seam;  // the stand-in parts of the graphics core

}  // namespace

int SeamTraced(std::string_view call, int result) {
  if (Seam.Trace) Seam.Trace(call);
  return result;
}

int GetBmpDataEnd() { return BmpDataTable.EndIndex; }

void SeamClearGraphRestoreHandler() { GraphTable.RestoreHandler = nullptr; }

void SeamSetBmpDataTable(std::span<BmpDataRecord*> records) { SetBmpDataTableForTests(records); }

void SeamSetTraceHook(std::function<void(std::string_view)> hook) { Seam.Trace = std::move(hook); }

void ResetGraphicsSeam() { Seam = SeamState{}; }

}  // namespace vexal
