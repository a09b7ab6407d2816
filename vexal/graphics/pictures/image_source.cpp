#include "vexal/graphics/pictures/image_source.h"

#include <cstdint>

namespace vexal {

ImageSource::ImageSource(void* source, uint32_t size, int sourceKind)
    : funcs_(nullptr), stream_(nullptr), mem_(nullptr) {
  if (sourceKind == kImageSourceFile) {
    funcs_ = GetFileStreamFuncs();
    stream_ = source;
  } else if (sourceKind == kImageSourceMemory) {
    funcs_ = GetMemStreamFuncs();
    mem_ = MemStreamOpen(source, size);
    stream_ = mem_;
  }
}

ImageSource::~ImageSource() {
  if (mem_ != nullptr) MemStreamClose(mem_);
}

bool ImageSource::Read(void* buffer, size_t bytes) {
  if (bytes == 0) return true;
  // Byte elements: a memory stream hands out a short tail as one whole element.
  return funcs_->Read(buffer, 1, bytes, stream_) == bytes;
}

size_t ImageSource::ReadSome(void* buffer, size_t bytes) {
  if (bytes == 0) return 0;
  return funcs_->Read(buffer, 1, bytes, stream_);
}

bool ImageSource::SeekTo(int64_t offset) {
  if (offset < 0 || offset > INT32_MAX) return false;
  return funcs_->Seek(stream_, static_cast<int32_t>(offset), 0) == 0;
}

void SetPixelFormat32Alpha(ColorFormatRecord* f) {
  *f = ColorFormatRecord{32, 4, 8, 8, 8, 8, 16, 8, 0, 24, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
}

}  // namespace vexal
