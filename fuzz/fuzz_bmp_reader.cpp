// The Bmp picture reader on memory bytes, as a picture and as a 24-bit bitmap.
#include "picture_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzPictureReader(vexal::LoadBmpToDib, data, size);
}
