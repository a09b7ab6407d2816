#include "vexal/graphics/picture_pending.h"

#include "vexal/graphics/graphics_seam.h"

namespace vexal {
namespace {

std::optional<DibSection> Dib;  // what CreateDIBGraph hands out

}  // namespace

DibHandle CreateDIBGraph(const char*, const void*, int, int, int, ColorFormatRecord*) {
  SeamTraced("CreateDIBGraph");
  return Dib ? &*Dib : nullptr;
}

int GetDibSectionInfo(DibHandle dib, DibSection* out) {
  if (dib == nullptr) return -1;
  *out = *dib;
  return 0;
}

int DeleteDibSection(DibHandle dib) { return SeamTraced("DeleteDibSection", dib != nullptr ? 0 : -1); }

void SeamSetDibImage(std::optional<DibSection> dib) { Dib = dib; }

}  // namespace vexal
