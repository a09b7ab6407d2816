#include "vexal/graphics/mask/mask_data.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/wait_active.h"

namespace vexal {

std::array<MaskDataRecord, kMaskDataMax> MaskDataTable;  // every mask data record; the index is the handle

namespace {

MaskDataRecord* TakenRecord(int handle) {
  if (handle < 0 || handle >= kMaskDataMax) return nullptr;
  MaskDataRecord& record = MaskDataTable[static_cast<size_t>(handle)];
  return record.Used != 0 ? &record : nullptr;
}

template <int Mode>
void StampRow(uint8_t* dst, const uint8_t* src, int count) {
  for (int i = 0; i < count; ++i) {
    const uint8_t b = src[i];
    if constexpr (Mode == kPutMaskSkipFF) {
      if (b != 0xFF) dst[i] = b;
    } else if constexpr (Mode == kPutMaskSkipZero) {
      if (b != 0) dst[i] = b;
    } else {
      dst[i] = b;
    }
  }
}

template <int Mode>
void StampRows(const MaskDataRecord& record, int src_x, int src_y, const Rect& at) {
  const int count = at.right - at.left;
  for (int y = at.top; y < at.bottom; ++y) {
    uint8_t* dst = MaskState.Buffer.data() + static_cast<size_t>(y) * MaskState.Pitch + at.left;
    const uint8_t* src = record.Bytes.data() + static_cast<size_t>(src_y + y - at.top) * record.Pitch + src_x;
    StampRow<Mode>(dst, src, count);
  }
}

}  // namespace

int CreateMaskData(int width, int height) {
  WaitActiveAndRestore();
  if (width < 1 || height < 1 || width > kMaskDataMaxSide || height > kMaskDataMaxSide) return -1;
  for (int i = 0; i < kMaskDataMax; ++i) {
    MaskDataRecord& record = MaskDataTable[static_cast<size_t>(i)];
    if (record.Used != 0) continue;
    const int pitch = (width + 3) / 4 * 4;
    try {
      record.Bytes.assign(static_cast<size_t>(pitch) * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc&) {
      record = MaskDataRecord{};
      return -1;
    }
    record.Pitch = pitch;
    record.Width = width;
    record.Height = height;
    record.Used = 1;
    return i;
  }
  return -1;
}

int CopyBitmapToMaskData(DibHandle bitmap, int sx, int sy, int handle) {
  MaskDataRecord* record = TakenRecord(handle);
  if (record == nullptr) return -1;
  DibSection dib;
  if (GetDibSectionInfo(bitmap, &dib) != 0 || dib.pixels == nullptr || dib.bits_per_pixel < 8 ||
      dib.bits_per_pixel % 8 != 0) {
    return -1;
  }
  const int bytes = dib.bits_per_pixel / 8;
  const int64_t row_length = (static_cast<int64_t>(dib.width) * dib.bits_per_pixel + 31) / 32 * 4;
  const int picture_height = std::abs(dib.height);
  const bool top_down = dib.height < 0;
  // Only the part of the record that the bitmap covers from (sx, sy) is read.
  const int64_t x0 = std::max<int64_t>(0, -int64_t{sx});
  const int64_t x1 = std::min<int64_t>(record->Width, int64_t{dib.width} - sx);
  const int64_t y0 = std::max<int64_t>(0, -int64_t{sy});
  const int64_t y1 = std::min<int64_t>(record->Height, int64_t{picture_height} - sy);
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t picture_row = sy + y;
    const int64_t memory_row = top_down ? picture_row : picture_height - 1 - picture_row;
    const uint8_t* src = dib.pixels + memory_row * row_length;
    uint8_t* dst = record->Bytes.data() + y * record->Pitch;
    for (int64_t x = x0; x < x1; ++x) dst[x] = src[(sx + x) * bytes];
  }
  return 0;
}

int LoadMaskData(const char* file) {
  WaitActiveAndRestore();
  DibHandle dib = CreateDIBGraph(file, nullptr, 0, 0, 0, nullptr);
  if (dib == nullptr) return -1;
  DibSection info;
  int handle = -1;
  if (GetDibSectionInfo(dib, &info) == 0) {
    handle = CreateMaskData(info.width, std::abs(info.height));
    if (handle != -1) CopyBitmapToMaskData(dib, 0, 0, handle);
  }
  DeleteDibSection(dib);
  return handle;
}

int PutMaskData(int x, int y, int handle, int mode) {
  if (MaskState.Surface == nullptr || MaskState.Buffer.empty()) return 0;
  const MaskDataRecord* record = TakenRecord(handle);
  if (record == nullptr) return -1;
  // Corners far outside the buffer stay outside it without overflowing.
  Rect at = SaturatedRect(x, y, int64_t{x} + record->Width, int64_t{y} + record->Height);
  ClipRect(&at, &DrawState.DrawArea);
  const Rect buffer{0, 0, MaskState.Width, MaskState.Height};
  ClipRect(&at, &buffer);
  if (at.left >= at.right || at.top >= at.bottom) return 0;
  const int src_x = at.left - x, src_y = at.top - y;
  switch (mode) {
    case kPutMaskSkipFF: StampRows<kPutMaskSkipFF>(*record, src_x, src_y, at); break;
    case kPutMaskSkipZero: StampRows<kPutMaskSkipZero>(*record, src_x, src_y, at); break;
    case kPutMaskAll: StampRows<kPutMaskAll>(*record, src_x, src_y, at); break;
    default: break;
  }
  return 0;
}

void ReleaseAllMaskData() {
  for (MaskDataRecord& record : MaskDataTable) record = MaskDataRecord{};
}

}  // namespace vexal
