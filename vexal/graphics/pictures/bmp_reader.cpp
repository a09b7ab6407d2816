// The Windows bitmap reader. Every field that sizes or places something is checked
// before it is used: the reader refuses a file rather than read outside it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/numeric/little_endian.h"
#include "vexal/app/log/log_file.h"
#include "vexal/graphics/pictures/image_loader_list.h"
#include "vexal/graphics/pictures/image_source.h"

namespace vexal {

using plat::numeric::LoadLe16;
using plat::numeric::LoadLe32;

namespace {

constexpr int kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderV5Size = 124;
constexpr int kMaskBytes = 12;  // red, green and blue masks

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
using Block = std::unique_ptr<uint8_t, FreeDeleter>;

BitmapInfoHeader ParseInfoHeader(const uint8_t* b) {
  BitmapInfoHeader h;
  h.biSize = LoadLe32(b);
  h.biWidth = static_cast<int32_t>(LoadLe32(b + 4));
  h.biHeight = static_cast<int32_t>(LoadLe32(b + 8));
  h.biPlanes = LoadLe16(b + 12);
  h.biBitCount = LoadLe16(b + 14);
  h.biCompression = LoadLe32(b + 16);
  h.biSizeImage = LoadLe32(b + 20);
  h.biXPelsPerMeter = static_cast<int32_t>(LoadLe32(b + 24));
  h.biYPelsPerMeter = static_cast<int32_t>(LoadLe32(b + 28));
  h.biClrUsed = LoadLe32(b + 32);
  h.biClrImportant = LoadLe32(b + 36);
  return h;
}

void ReverseRows(uint8_t* bits, int64_t pitch, int32_t rows) {
  auto* tmp = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(pitch)));
  if (tmp == nullptr) {
    // No spare row: swap byte by byte.
    for (int32_t y = 0; y < rows / 2; ++y) {
      uint8_t* a = bits + y * pitch;
      uint8_t* b = bits + (rows - 1 - y) * pitch;
      for (int64_t i = 0; i < pitch; ++i) std::swap(a[i], b[i]);
    }
    return;
  }
  for (int32_t y = 0; y < rows / 2; ++y) {
    uint8_t* a = bits + y * pitch;
    uint8_t* b = bits + (rows - 1 - y) * pitch;
    std::memcpy(tmp, a, static_cast<size_t>(pitch));
    std::memcpy(a, b, static_cast<size_t>(pitch));
    std::memcpy(b, tmp, static_cast<size_t>(pitch));
  }
  std::free(tmp);
}

// A run-length stream from the pixels on: biSizeImage bytes, or all that is left when it
// is 0. A source shorter than biSizeImage gives what it has (a stream cut short is found
// by the decoder), so nothing is allocated beyond what the source holds.
bool ReadCodedStream(ImageSource* src, uint32_t sizeImage, std::vector<uint8_t>* out) {
  constexpr size_t kChunk = 64 * 1024;
  const size_t wanted = sizeImage != 0 ? sizeImage : SIZE_MAX;
  try {
    while (out->size() < wanted) {
      const size_t have = out->size();
      const size_t ask = std::min(kChunk, wanted - have);
      out->resize(have + ask);
      const size_t got = src->ReadSome(out->data() + have, ask);
      out->resize(have + got);
      if (got < ask) break;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// The 24-bit picture handed out as the caller asked: a bitmap, or the image.
int HandOut(int32_t width, int32_t rows, int64_t pitch24, Block bits, int wantDib, GraphImage* image,
            BitmapInfo** outInfo, uint8_t** outBits) {
  if (wantDib == 1) {
    auto* out = static_cast<BitmapInfo*>(std::malloc(sizeof(BitmapInfo)));
    if (out == nullptr) return LogWrite("BITMAPINFO を格納するメモリの確保に失敗しました\n");
    SetDib24Info(out, width, rows);
    *outInfo = out;
    *outBits = bits.release();
    return 0;
  }
  SetPixelFormat24(&image->ColorFormat);
  image->Width = width;
  image->Height = rows;
  image->Pitch = static_cast<int32_t>(pitch24);
  image->Pixels = bits.release();
  return 0;
}

}  // namespace

int LoadBmpToDib(void* source, uint32_t size, int sourceKind, int wantDib, GraphImage* image, BitmapInfo** outInfo,
                 uint8_t** outBits) {
  ImageSource src(source, size, sourceKind);
  if (!src.ok()) return -1;

  uint8_t fileHeader[kFileHeaderSize];
  if (!src.Read(fileHeader, sizeof fileHeader)) return -1;
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return -1;
  const uint32_t offBits = LoadLe32(fileHeader + 10);

  // The header's own size says where the colour table starts. Every size from the
  // classic 40 bytes up is taken (writers use 52, 56, 64, 108 and 124); fields past the
  // largest known header are not read.
  uint8_t info[kInfoHeaderV5Size] = {};
  if (!src.Read(info, 4)) return -1;
  const uint32_t infoSize = LoadLe32(info);
  if (infoSize < kBitmapInfoHeaderSize) return -1;
  const uint32_t kept = infoSize < kInfoHeaderV5Size ? infoSize : kInfoHeaderV5Size;
  if (!src.Read(info + 4, kept - 4)) return -1;
  const BitmapInfoHeader h = ParseInfoHeader(info);
  if (!DibHeaderReadable(h)) return -1;

  DibLayout layout{};
  layout.width = h.biWidth;
  layout.height = h.biHeight;
  layout.bitCount = h.biBitCount;
  layout.compression = h.biCompression;
  int64_t tableStart = int64_t{kFileHeaderSize} + infoSize;
  if (h.biCompression == kBiBitfields) {
    // The masks are the 12 bytes after the classic header: inside a larger header, after
    // a classic one (the table then follows them).
    constexpr int64_t kMasksAt = kFileHeaderSize + kBitmapInfoHeaderSize;
    uint8_t masks[kMaskBytes];
    if (infoSize >= kBitmapInfoHeaderSize + kMaskBytes) {
      std::memcpy(masks, info + kBitmapInfoHeaderSize, sizeof masks);
    } else {
      if (!src.SeekTo(kMasksAt) || !src.Read(masks, sizeof masks)) return -1;
      if (tableStart < kMasksAt + kMaskBytes) tableStart = kMasksAt + kMaskBytes;
    }
    for (int c = 0; c < 3; ++c) layout.masks[c] = LoadLe32(masks + 4 * c);
  }
  if (offBits < tableStart) return -1;

  // The whole table of 2^bits entries, whatever biClrUsed says, but only what lies before
  // the pixels: a short table is common, and the rest of the 256 stay black.
  int64_t entries = h.biBitCount <= 8 ? int64_t{1} << h.biBitCount : 0;
  const int64_t room = (offBits - tableStart) / 4;
  if (entries > room) entries = room;
  if (entries > 0) {
    uint8_t table[256 * 4];
    if (!src.SeekTo(tableStart) || !src.Read(table, static_cast<size_t>(entries) * 4)) return -1;
    for (int64_t i = 0; i < entries; ++i) layout.palette[i] = LoadLe32(table + 4 * i) & 0x00FFFFFFu;
  }

  const int32_t rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const int64_t pitch24 = DibRowBytes(h.biWidth, 24);
  if (!src.SeekTo(offBits)) return -1;
  Block bits;
  if (IsRunLength(h.biCompression)) {
    std::vector<uint8_t> stream;
    if (!ReadCodedStream(&src, h.biSizeImage, &stream)) return -1;
    layout.codedBytes = stream.size();
    bits.reset(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(pitch24 * rows))));
    if (bits == nullptr)
      return LogWrite("２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n");
    if (!DrawDibTo24(layout, stream.data(), bits.get())) return -1;
    return HandOut(h.biWidth, rows, pitch24, std::move(bits), wantDib, image, outInfo, outBits);
  }

  const int64_t rowBytes = DibRowBytes(h.biWidth, h.biBitCount);
  const size_t rawBytes = static_cast<size_t>(rowBytes * rows);
  Block raw(static_cast<uint8_t*>(std::malloc(rawBytes)));
  if (raw == nullptr) return -1;
  if (!src.Read(raw.get(), rawBytes)) return -1;

  if (h.biBitCount == 24 && h.biCompression == kBiRgb) {
    if (h.biHeight > 0) ReverseRows(raw.get(), rowBytes, rows);
    bits = std::move(raw);
  } else {
    bits.reset(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(pitch24 * rows))));
    if (bits == nullptr)
      return LogWrite("２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n");
    DrawDibTo24(layout, raw.get(), bits.get());
  }
  return HandOut(h.biWidth, rows, pitch24, std::move(bits), wantDib, image, outInfo, outBits);
}

}  // namespace vexal
