// The loader list: tries each reader on a file or a memory block, then mirrors the
// picture and hands it out in the form the caller asked for.
#include "vexal/graphics/pictures/image_loader_list.h"

#include <cstdio>
#include <cstdlib>

#include "platform/fs/fs.h"
#include "vexal/d3d/convert_image_format.h"
#include "vexal/graphics/pictures/image_source.h"

namespace vexal {

const ImageReader ImageLoaderList[4] = {LoadBmpToDib, LoadPngToDib, LoadBgraToDib, nullptr};

namespace {

// A copy of the picture reversed left to right, in place of its pixels. false when
// there is no memory (the picture is left as it was).
bool MirrorImage(GraphImage* picture) {
  const size_t bytes = static_cast<size_t>(picture->Pitch) * static_cast<size_t>(picture->Height);
  auto* block = static_cast<uint8_t*>(std::malloc(bytes));
  if (block == nullptr) return false;
  const Rect whole{0, 0, picture->Width, picture->Height};
  if (ConvertImageFormat(block, picture->Pitch, &picture->ColorFormat, picture->Pixels, picture->Pitch,
                         &picture->ColorFormat, nullptr, 0, nullptr, 0, 0, &whole, 1, 0, 0, 0, 0) != 0) {
    std::free(block);
    return false;
  }
  std::free(picture->Pixels);
  picture->Pixels = block;
  return true;
}

}  // namespace

int LoadImageByLoaderList(std::string_view fileName, const void* memory, uint32_t memorySize, int sourceIsMemory,
                          int wantDib, int mirror, GraphImage* image, BitmapInfo** outInfo, uint8_t** outBits) {
  std::FILE* file = nullptr;
  void* source;
  uint32_t size = 0;
  int kind;
  if (sourceIsMemory == 1) {
    if (memory == nullptr) return -1;
    source = const_cast<void*>(memory);  // read only: the readers never write their source
    size = memorySize;
    kind = kImageSourceMemory;
  } else {
    file = plat::fs::OpenFile(fileName, "rb");
    if (file == nullptr) return -1;
    source = file;
    kind = kImageSourceFile;
  }
  auto fail = [&]() {
    if (file != nullptr) std::fclose(file);
    return -1;
  };

  GraphImage picture{};
  BitmapInfo* info = nullptr;
  uint8_t* bits = nullptr;
  bool read = false;
  for (int i = 0; ImageLoaderList[i] != nullptr && !read; ++i) {
    read = ImageLoaderList[i](source, size, kind, wantDib, &picture, &info, &bits) == 0;
    // The next reader starts at the beginning, wherever this one stopped.
    if (!read && file != nullptr) std::fseek(file, 0, SEEK_SET);
  }
  if (!read) return fail();

  bool haveDib = wantDib == 1;
  if (mirror == 1) {
    if (haveDib) {
      const int r = DibToGraphImage(info, bits, &picture, 0);
      if (r != 0) std::free(bits);  // a copy was made, or nothing can be used
      std::free(info);
      info = nullptr;
      bits = nullptr;
      if (r < 0) return fail();
      haveDib = false;
    }
    if (!MirrorImage(&picture)) {
      std::free(picture.Pixels);
      return fail();
    }
  }

  if (wantDib == 0) {
    *image = picture;
  } else if (haveDib) {
    *outInfo = info;
    *outBits = bits;
  } else {
    info = static_cast<BitmapInfo*>(std::malloc(sizeof(BitmapInfo)));
    const int r = info == nullptr ? -1 : GraphImageToDib(&picture, info, &bits, 0);
    if (r < 0) {
      std::free(info);
      std::free(picture.Pixels);
      return fail();
    }
    if (r == 1) std::free(picture.Pixels);  // the bitmap has its own copy
    *outInfo = info;
    *outBits = bits;
  }
  if (file != nullptr) std::fclose(file);
  return 0;
}

}  // namespace vexal
