// Bitmaps of pictures: the depth chosen from the caller's format, the picture drawn in
// (reversed when asked), and the table of the bitmaps handed out.
#include "vexal/graphics/pictures/dib_section.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "platform/gdi/gdi_bitmap.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/pictures/image_loader_list.h"

namespace vexal {
namespace {

namespace pg = plat::gdi;

struct DibEntry {
  DibSection view;     // what the handle points at
  pg::Bitmap* bitmap;  // the section behind it
};

std::vector<std::unique_ptr<DibEntry>> DibEntries;  // every bitmap handed out and not deleted

// The Direct3D row's image-conversion option; it is 0 in this program, so a 16-bit
// format always keeps 16 bits.
int ImageConvOption() { return 0; }

pg::BitmapLayout SectionLayout(int width, int height, int bits) {
  pg::BitmapLayout l;
  l.width = width;
  l.height = -height;
  l.bit_count = bits;
  return l;
}

void UseMasks(pg::BitmapLayout* l, const ColorFormatRecord& format) {
  l->bit_fields = true;
  l->masks[0] = format.RedMask;
  l->masks[1] = format.GreenMask;
  l->masks[2] = format.BlueMask;
}

// The picture drawn into a new section of `layout`, handed out. Null when the section
// cannot be made (logged with failMessage).
DibHandle MakeSection(const pg::BitmapLayout& layout, const pg::BitmapLayout& source, const uint8_t* bits, int mirror,
                      const char* failMessage) {
  pg::Bitmap* bitmap = pg::CreateDibSection(layout);
  if (bitmap == nullptr) {
    LogWrite(failMessage);
    return nullptr;
  }
  pg::BitmapBits section;
  pg::GetBitmapBits(bitmap, &section);
  if (section.bits == nullptr) FatalErrorExit("ＤＩＢの作成に失敗しました2\n");
  const int rows = std::abs(source.height);
  if (mirror == 1) {
    pg::StretchBitsToBitmap(bitmap, 0, 0, source.width, rows, source.width - 1, 0, -source.width, rows, source, bits);
  } else {
    pg::SetBitsToBitmap(bitmap, 0, 0, source, bits);
  }
  auto entry = std::make_unique<DibEntry>();
  entry->view = DibSection{layout.width, layout.height, layout.bit_count, section.bits};
  entry->bitmap = bitmap;
  DibEntries.push_back(std::move(entry));
  return &DibEntries.back()->view;
}

// The layout of a bitmap in memory as the drawing interface reads it; false when the
// library cannot read it. A run-length stream, which the drawing interface does not take,
// is drawn into `decoded` at 24 bits first, and *bits is pointed there.
bool SourceLayout(const BitmapInfo* info, DibLayout* layout, pg::BitmapLayout* out, const uint8_t** bits,
                  std::vector<uint8_t>* decoded) {
  if (info == nullptr || !DibLayoutFromInfo(info, layout)) return false;
  if (IsRunLength(layout->compression)) {
    try {
      decoded->resize(static_cast<size_t>(DibRowBytes(layout->width, 24) * layout->height));
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (!DrawDibTo24(*layout, *bits, decoded->data())) return false;
    *bits = decoded->data();
    *out = SectionLayout(layout->width, layout->height, 24);
    return true;
  }
  out->width = layout->width;
  out->height = layout->height;
  out->bit_count = layout->bitCount;
  out->bit_fields = layout->compression == kBiBitfields;
  std::copy(layout->masks, layout->masks + 3, out->masks);
  if (layout->bitCount <= 8) out->palette = std::span<const uint32_t>(layout->palette, size_t{1} << layout->bitCount);
  return true;
}

}  // namespace

DibHandle CreateDIBGraph(const char* file, const void* memory, int memorySize, int sourceIsMemory, int mirror,
                         ColorFormatRecord* format) {
  BitmapInfo* info = nullptr;
  uint8_t* bits = nullptr;
  if (sourceIsMemory == 1 && memorySize < 0) return nullptr;
  if (LoadImageByLoaderList(file != nullptr ? file : "", memory, static_cast<uint32_t>(memorySize), sourceIsMemory, 1,
                            0, nullptr, &info, &bits) != 0) {
    return nullptr;
  }
  DibLayout picture;
  pg::BitmapLayout source;
  DibHandle result = nullptr;
  const uint8_t* source_bits = bits;
  std::vector<uint8_t> decoded;
  if (SourceLayout(info, &picture, &source, &source_bits, &decoded)) {
    const int height = std::abs(picture.height);
    pg::BitmapLayout layout = SectionLayout(picture.width, height, 24);
    if (format != nullptr) {
      // The loaders always give 24 bits, so a format of more bits ends as 24 bits too.
      if (format->ColorBits == 16) {
        if (ImageConvOption() != 0) {
          SetPixelFormat24(format);
        } else {
          layout.bit_count = 16;
          UseMasks(&layout, *format);
        }
      } else if (format->ColorBits > 24 && picture.bitCount != 24) {
        layout.bit_count = format->ColorBits;
        UseMasks(&layout, *format);
      } else if (format->ColorBits == 32) {
        SetPixelFormat24(format);
      } else {
        layout.bit_count = format->ColorBits;
      }
    }
    result = MakeSection(layout, source, source_bits, mirror, "ＤＩＢの作成に失敗しました3\n");
  }
  std::free(info);
  std::free(bits);
  return result;
}

DibHandle CreateDIBInFormat(const BitmapInfo* info, const uint8_t* bits, int mirror, ColorFormatRecord* format) {
  DibLayout picture;
  pg::BitmapLayout source;
  std::vector<uint8_t> decoded;
  if (bits == nullptr || !SourceLayout(info, &picture, &source, &bits, &decoded)) return nullptr;
  pg::BitmapLayout layout = SectionLayout(picture.width, std::abs(picture.height), 24);
  if (format != nullptr) {
    if (format->ColorBits == 16 || (format->ColorBits >= 25 && picture.bitCount != 24)) {
      layout.bit_count = format->ColorBits;
      UseMasks(&layout, *format);
    } else if (format->ColorBits == 32) {
      SetPixelFormat24(format);
    } else {
      layout.bit_count = format->ColorBits;
    }
  }
  return MakeSection(layout, source, bits, mirror, "ＤＩＢの作成に失敗しました5\n");
}

int GetDibSectionInfo(DibHandle dib, DibSection* out) {
  if (dib == nullptr || out == nullptr) return -1;
  *out = *dib;
  return 0;
}

int DeleteDibSection(DibHandle dib) {
  auto it = std::find_if(DibEntries.begin(), DibEntries.end(), [dib](const auto& e) { return &e->view == dib; });
  if (dib == nullptr || it == DibEntries.end()) return -1;
  pg::DeleteBitmap((*it)->bitmap);
  DibEntries.erase(it);
  return 0;
}

int LiveDibSectionCount() { return static_cast<int>(DibEntries.size()); }

}  // namespace vexal
