// Image transfer into texture pieces through a work texture.
#include "vexal/d3d/texture_transfer.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/gdi_bitmap.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/convert_image_format.h"
#include "vexal/d3d/convert_to_texture_format.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/surface_table.h"

namespace vexal {

namespace pd = plat::d3d;
namespace ps = plat::surface;
namespace pg = plat::gdi;

namespace {

constexpr int kDividedTextureFlag = 1;

// A bitmap's rows as GetObject reports them: top row first, row size a multiple of 4.
struct BitmapView {
  const uint8_t* bits = nullptr;  // the top row
  int32_t pitch = 0;              // negative for a bottom-up bitmap
  int width = 0;
  int height = 0;
};

bool ViewBitmap(const void* bitmap, BitmapView* out) {
  pg::BitmapBits b;
  if (bitmap == nullptr || !pg::GetBitmapBits(static_cast<const pg::Bitmap*>(bitmap), &b) || b.bits == nullptr) {
    return false;
  }
  const int32_t pitch = (b.pitch + 3) & ~3;
  out->width = b.layout.width;
  out->height = std::abs(b.layout.height);
  out->pitch = b.layout.height < 0 ? pitch : -pitch;
  out->bits = b.layout.height < 0 ? b.bits : b.bits + static_cast<ptrdiff_t>(out->height - 1) * pitch;
  return true;
}

// The rectangle clipped to a picture of w x h, so that nothing outside it is read.
Rect ClipToPicture(Rect r, int w, int h) {
  r.left = std::clamp(r.left, 0, w);
  r.right = std::clamp(r.right, r.left, w);
  r.top = std::clamp(r.top, 0, h);
  r.bottom = std::clamp(r.bottom, r.top, h);
  return r;
}

// The graphs of a shared divided texture need no reload once it is filled. The walk stops
// at the cells actually listed and skips slots reused by other textures.
void ClearCellRestoreFlags(int share) {
  for (int slot : ShareCells(share)) {
    const TextureRecord* cell = GetTexData(slot);
    if (cell == nullptr || cell->shareIndex != share) continue;
    if (GraphRecord* graph = GetGraphRecord(cell->graphHandle); graph != nullptr) graph->NeedsRestore = 0;
  }
}

}  // namespace

int TransferImageToTexture(const ColorFormatRecord* bitmapFormat, const void* bitmap, const void* alphaBitmap, int x,
                           int y, int textureIndex, int mode, const GraphImage* image, const GraphImage* alphaImage) {
  D3DDeviceRecord* device = UsableD3DDevice(D3DCurrentDevice);
  TextureRecord* rec = GetTexData(textureIndex);
  if (device == nullptr || rec == nullptr || rec->surface == nullptr) return -1;
  const SurfaceManageRecord* share = GetSurfaceManage(rec->shareIndex);
  const bool divided = share != nullptr && share->Flag == kDividedTextureFlag;
  const pd::PixelFormatDesc* pixel = GetTexturePixelFormat(rec->AlphaValid, rec->AlphaTestValid, rec->ColorBitDepth);
  const ColorFormatRecord* color = GetTextureColorFormat(rec->AlphaValid, rec->AlphaTestValid, rec->ColorBitDepth);

  BitmapView picture, alpha;
  int pictureW = 0, pictureH = 0;
  if (mode == 1) {
    if (bitmapFormat == nullptr || !ViewBitmap(bitmap, &picture)) return -1;
    if (alphaBitmap != nullptr && !ViewBitmap(alphaBitmap, &alpha)) return -1;
    pictureW = picture.width;
    pictureH = picture.height;
  } else {
    if (image == nullptr || image->Pixels == nullptr) return -1;
    pictureW = image->Width;
    pictureH = image->Height;
  }

  pd::TextureDesc desc;
  desc.width = rec->texWidth;
  desc.height = rec->texHeight;
  desc.format = *pixel;
  desc.system_memory = true;
  ps::Surface* work = nullptr;
  if (pd::CreateTexture(GetDirectDrawObject(), desc, &work) != pd::Result::kOk) {
    FatalErrorExit("テンポラリテクスチャサーフェスの作成に失敗しました");
  }
  ps::LockedRect locked;
  if (ps::Lock(work, nullptr, ps::kLockWait | ps::kLockWriteOnly, &locked) != ps::Result::kOk) {
    ps::ReleaseSurface(work);
    FatalErrorExit("テンポラリテクスチャサーフェスのロックに失敗しました");
  }

  // A derived graph's piece lives at its offset inside the parent's texture.
  const int dx = divided ? 0 : rec->texOffsetX, dy = divided ? 0 : rec->texOffsetY;
  // Where a divided texture's cells start in the picture: its first cell's place less the
  // cell's offset (a mirrored picture has its cells from the right edge).
  const int ox = divided ? std::max(0, x - rec->texOffsetX) : x, oy = divided ? std::max(0, y - rec->texOffsetY) : y;
  const int usedW = divided ? share->Width : rec->usedWidth, usedH = divided ? share->Height : rec->usedHeight;
  // Nothing is written beyond the texture, whatever offset and size the record holds.
  const int fitW = std::clamp(std::min(usedW, rec->texWidth - dx), 0, usedW);
  const int fitH = std::clamp(std::min(usedH, rec->texHeight - dy), 0, usedH);
  const Rect src = ClipToPicture(Rect{ox, oy, ox + fitW, oy + fitH}, pictureW, pictureH);
  if (mode == 1) {
    // Bottom-up rows are handed over from their top row with a negative pitch.
    ConvertImageToTextureFormat(locked.bits, locked.pitch, *color, dx, dy, picture.bits,
                                alphaBitmap != nullptr ? alpha.bits : nullptr, picture.pitch, *bitmapFormat, src);
  } else {
    const bool keyToAlpha = color->AlphaWidth != 0 && alphaImage == nullptr && image->ColorFormat.AlphaWidth == 0;
    ConvertImageFormat(locked.bits, locked.pitch, color, image->Pixels, image->Pitch, &image->ColorFormat,
                       alphaImage != nullptr ? alphaImage->Pixels : nullptr,
                       alphaImage != nullptr ? alphaImage->Pitch : 0,
                       alphaImage != nullptr ? &alphaImage->ColorFormat : nullptr, dx, dy, &src, 0, keyToAlpha ? 1 : 0,
                       rec->transColor, static_cast<uint32_t>(ImageConvOption), 0);
  }
  ps::Unlock(work);
  ps::Restore(rec->surface);
  const ps::Rect loaded =
      divided ? ps::Rect{0, 0, rec->texWidth, rec->texHeight} : ps::Rect{dx, dy, dx + fitW, dy + fitH};
  if (pd::Load(device->Device, rec->surface, loaded.left, loaded.top, work, &loaded, 0) != pd::Result::kOk) {
    ps::ReleaseSurface(work);
    FatalErrorExit("作業用テクスチャサーフェスから描画用テクスチャサーフェスへの画像転送に失敗しました");
  }
  ps::ReleaseSurface(work);
  SetTextureColorKey(rec->surface, *rec);
  if (divided) ClearCellRestoreFlags(rec->shareIndex);
  return 0;
}

}  // namespace vexal
