// The raw "BGRA" reader: a 16-byte header, then the rows top first with no padding.
#include <cstdlib>
#include <cstring>

#include "platform/numeric/little_endian.h"
#include "vexal/graphics/pictures/image_loader_list.h"
#include "vexal/graphics/pictures/image_source.h"

namespace vexal {

using plat::numeric::LoadLe32;

namespace {

constexpr int kBgraHeaderSize = 16;

}  // namespace

int LoadBgraToDib(void* source, uint32_t size, int sourceKind, int wantDib, GraphImage* image, BitmapInfo** outInfo,
                  uint8_t** outBits) {
  ImageSource src(source, size, sourceKind);
  if (!src.ok()) return -1;
  uint8_t header[kBgraHeaderSize];
  if (!src.Read(header, sizeof header)) return -1;
  if (std::memcmp(header, "BGRA", 4) != 0) return -1;
  const uint32_t depth = LoadLe32(header + 4);
  if (depth != kBgraDepth8 && depth != kBgraDepth16) return -1;
  const int64_t width = LoadLe32(header + 8);
  const int64_t height = LoadLe32(header + 12);
  // Both sides are bounded before they are multiplied, so the size cannot wrap.
  if (!ImageSizeAllowed(width, height, width * 4)) return -1;
  const int64_t pitch = width * 4;

  auto* block = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(pitch * height)));
  if (block == nullptr) return -1;
  if (depth == kBgraDepth8) {
    if (!src.Read(block, static_cast<size_t>(pitch * height))) {
      std::free(block);
      return -1;
    }
  } else {
    const size_t wideRow = static_cast<size_t>(width) * 8;
    auto* row = static_cast<uint8_t*>(std::malloc(wideRow));
    if (row == nullptr) {
      std::free(block);
      return -1;
    }
    for (int64_t y = 0; y < height; ++y) {
      if (!src.Read(row, wideRow)) {
        std::free(row);
        std::free(block);
        return -1;
      }
      // Each channel is a little-endian u16: its high byte is the second one.
      uint8_t* out = block + y * pitch;
      for (size_t i = 0; i < static_cast<size_t>(pitch); ++i) out[i] = row[2 * i + 1];
    }
    std::free(row);
  }

  GraphImage picture{};
  SetPixelFormat32Alpha(&picture.ColorFormat);
  picture.Width = static_cast<int32_t>(width);
  picture.Height = static_cast<int32_t>(height);
  picture.Pitch = static_cast<int32_t>(pitch);
  picture.Pixels = block;
  if (wantDib == 1) {
    auto* info = static_cast<BitmapInfo*>(std::malloc(sizeof(BitmapInfo)));
    uint8_t* bits = nullptr;
    const int r = info == nullptr ? -1 : GraphImageToDib(&picture, info, &bits, 0);
    if (r < 0) {
      std::free(info);
      std::free(block);
      return -1;
    }
    if (r == 1) std::free(block);
    *outInfo = info;
    *outBits = bits;
    return 0;
  }
  *image = picture;
  return 0;
}

}  // namespace vexal
