// What the three picture readers share: the source they read (a file or a block of
// memory, through its stream function table), exact reads and the 32-bit picture format.
// Internal to the readers; their little-endian fields go through
// platform/numeric/little_endian.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vexal/app/streams/stream.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// Source kinds of the reader convention.
inline constexpr int kImageSourceFile = 0;    // a FILE*, left open for the caller
inline constexpr int kImageSourceMemory = 1;  // size bytes in memory

// A reader's source. Over memory it opens a stream of its own and closes it when it goes,
// so the stream is closed on every path out of the reader.
class ImageSource {
 public:
  ImageSource(void* source, uint32_t size, int sourceKind);
  ~ImageSource();
  ImageSource(const ImageSource&) = delete;
  ImageSource& operator=(const ImageSource&) = delete;

  // False when the source kind is unknown or the memory stream could not be opened.
  bool ok() const { return stream_ != nullptr; }
  // Exactly `bytes` bytes, or false (a short read copies nothing beyond the source).
  bool Read(void* buffer, size_t bytes);
  // Up to `bytes` bytes; how many there were.
  size_t ReadSome(void* buffer, size_t bytes);
  // Moves to `offset` bytes from the start; false when it cannot be a stream position.
  bool SeekTo(int64_t offset);

 private:
  const StreamFuncTable* funcs_;  // the file or the memory table
  void* stream_;                  // the FILE* or mem_; null when not usable
  MemStream* mem_;                // the stream this source opened, or null
};

// 32 bits with alpha: 0xAARRGGBB, blue in the lowest byte.
void SetPixelFormat32Alpha(ColorFormatRecord* format);

}  // namespace vexal
