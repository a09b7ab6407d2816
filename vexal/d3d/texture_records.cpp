// The texture table: texture pieces of Direct3D graphs, their sides and surfaces.
#include "vexal/d3d/texture_records.h"

#include <new>
#include <unordered_map>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/surface_table.h"

namespace vexal {

namespace pd = plat::d3d;
namespace ps = plat::surface;

TexDataTableRecord TexDataTable;  // every texture piece

namespace {

std::unordered_map<int, std::vector<int>> ShareCellLists;  // cells of shared divided textures, by share record

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

void SetVertices(TextureRecord* rec) {
  const float x = rec->posX, y = rec->posY, w = rec->usedWidth, h = rec->usedHeight;
  const float tw = rec->texWidth, th = rec->texHeight;
  const float uL = rec->texOffsetX / tw, uR = (rec->texOffsetX + w) / tw;
  const float vT = rec->texOffsetY / th, vB = (rec->texOffsetY + h) / th;
  rec->vertices = {
      TexVertex{x, y, 0.0f, 1.0f, kOpaqueWhite, uL, vT}, TexVertex{x + w, y, 0.0f, 1.0f, kOpaqueWhite, uR, vT},
      TexVertex{x, y + h, 0.0f, 1.0f, kOpaqueWhite, uL, vB}, TexVertex{x + w, y + h, 0.0f, 1.0f, kOpaqueWhite, uR, vB}};
}

}  // namespace

int SplitTextureSize(int size, std::span<int> sides) {
  const int min = MinTextureSize, max = MaxTextureSize;
  int c = max;
  while (c > min && c >= size) c /= 2;
  int rest = size;
  int n = 0;
  auto store = [&](int value) {
    if (n < static_cast<int>(sides.size())) sides[static_cast<size_t>(n)] = value;
  };
  for (;;) {
    store(c);
    rest -= c;
    if (rest <= 0) break;
    if (rest > (3 * c) / 4 && c < max) {
      store(2 * c);
      break;
    }
    while (rest < c && c > min) c /= 2;
    if (c <= 0) break;  // no sides below 1: a device that reported none
    ++n;
  }
  return n + 1;
}

int SplitTextureSize(int size, int* sides) {
  return SplitTextureSize(size, sides != nullptr ? std::span<int>(sides, kSplitSidesMax) : std::span<int>());
}

void SetUpperLeftFlags(TextureRecord* rec, int graphWidth, int graphHeight) {
  const double ratio = graphWidth != 0 ? static_cast<double>(graphHeight) / graphWidth : 0.0;
  for (size_t i = 0; i < 4; ++i) {
    const double x = rec->vertices[i].x, y = rec->vertices[i].y;
    rec->upperLeftFlags[i] = graphHeight - x * ratio >= y ? 1 : 0;
  }
}

ps::Result SetTextureColorKey(ps::Surface* surface, const TextureRecord& rec) {
  const ColorFormatRecord* format = GetTextureColorFormat(rec.AlphaValid, rec.AlphaTestValid, rec.ColorBitDepth);
  const uint32_t key =
      GetColorMatch8(format, static_cast<int>((rec.transColor >> 16) & 0xFF),
                     static_cast<int>((rec.transColor >> 8) & 0xFF), static_cast<int>(rec.transColor & 0xFF));
  const ps::ColorKey k{key, key};
  return ps::SetColorKey(surface, &k);
}

int CreateTextureSurface(ps::Device* dd, ps::Surface** out, const pd::PixelFormatDesc* format, int width, int height) {
  pd::TextureDesc desc;
  desc.width = width;
  desc.height = height;
  desc.format = format != nullptr ? *format : pd::PixelFormatDesc{};
  ps::Surface* made = nullptr;
  if (pd::CreateTexture(dd, desc, &made) != pd::Result::kOk) FatalErrorExit("テクスチャサーフェスの作成に失敗しました");
  *out = made;
  return 0;
}

ps::Device* TextureMakingObject() {
  return UsableD3DDevice(D3DMainDevice) != nullptr ? GetDirectDrawObject() : nullptr;
}

int InitTexData(TextureRecord* rec, ps::Device* dd, int texWidth, int texHeight, int posX, int posY, int usedWidth,
                int usedHeight, int srcX, int srcY, int graphHandle, uint32_t transColor, int ColorBitDepth,
                int AlphaValid, int texOffsetX, int texOffsetY, int derived, const TextureRecord* parent) {
  rec->posX = static_cast<uint16_t>(posX);
  rec->posY = static_cast<uint16_t>(posY);
  rec->texOffsetX = static_cast<uint16_t>(texOffsetX);
  rec->texOffsetY = static_cast<uint16_t>(texOffsetY);
  rec->srcX = static_cast<uint16_t>(srcX);
  rec->srcY = static_cast<uint16_t>(srcY);
  rec->usedWidth = static_cast<uint16_t>(usedWidth);
  rec->usedHeight = static_cast<uint16_t>(usedHeight);
  rec->graphHandle = graphHandle;
  rec->restorePending = 0;
  if (derived == 0) {
    rec->texWidth = static_cast<uint16_t>(texWidth);
    rec->texHeight = static_cast<uint16_t>(texHeight);
    rec->AlphaValid = static_cast<uint8_t>(AlphaValid);
    rec->ColorBitDepth = static_cast<uint8_t>(ColorBitDepth);
    rec->transColor = transColor;
    rec->AlphaTestValid = 0;
    if (dd == nullptr) {
      rec->surface = nullptr;
    } else {
      CreateTextureSurface(dd, &rec->surface,
                           GetTexturePixelFormat(rec->AlphaValid, rec->AlphaTestValid, rec->ColorBitDepth), texWidth,
                           texHeight);
      if (SetTextureColorKey(rec->surface, *rec) != ps::Result::kOk) {
        FatalErrorExit("テクスチャサーフェスのカラーキーの設定に失敗しました");
      }
    }
  } else {
    if (parent == nullptr) return -1;
    rec->texWidth = parent->texWidth;
    rec->texHeight = parent->texHeight;
    rec->AlphaValid = parent->AlphaValid;
    rec->AlphaTestValid = parent->AlphaTestValid;
    rec->ColorBitDepth = parent->ColorBitDepth;
    rec->transColor = parent->transColor;
    rec->surface = parent->surface;
  }
  SetVertices(rec);
  return 0;
}

int FirstFreeTexDataSlot() {
  for (int i = 0; i < kTexDataMax; ++i) {
    if (TexDataTable.Slots[static_cast<size_t>(i)] == nullptr) return i;
  }
  return -1;
}

void NoteTexDataAdded(int slot) {
  TexDataTable.Count += 1;
  if (slot >= TexDataTable.End) TexDataTable.End = slot + 1;
}

int AddTexData(int texWidth, int texHeight, int posX, int posY, int usedWidth, int usedHeight, int srcX, int srcY,
               int graphHandle, int derived, const TextureRecord* parent, int texOffsetX, int texOffsetY,
               int AlphaValid) {
  if (D3DObject == nullptr) return LogWrite("３Ｄグラフィックエンジンが初期化されていません\n");
  if (TexDataTable.Count >= kTexDataMax) return LogWrite("３Ｄグラフィックの数が許容量を越えました。\n");
  const int slot = FirstFreeTexDataSlot();
  if (slot == -1) return LogWrite("３Ｄグラフィックの数が許容量を越えました。\n");
  auto& entry = TexDataTable.Slots[static_cast<size_t>(slot)];
  entry.reset(new (std::nothrow) TextureRecord{});
  if (entry == nullptr) return LogWrite("メモリの確保に失敗しました in AddTexData \n");
  TextureRecord* rec = entry.get();
  int result = 0;
  if (derived == 0) {
    rec->shareIndex = AddSurfaceManage(1, 0, 0, 0);
    if (rec->shareIndex == -1) {
      entry.reset();
      return -1;
    }
    const uint32_t trans = D3DDrawState != nullptr ? D3DDrawState->TransColor : 0;
    result = InitTexData(rec, TextureMakingObject(), texWidth, texHeight, posX, posY, usedWidth, usedHeight, srcX, srcY,
                         graphHandle, trans, TextureDepthIndex(), AlphaValid, 0, 0, 0, nullptr);
  } else {
    if (parent == nullptr) {
      entry.reset();
      return -1;
    }
    AddSurfaceRef(parent->shareIndex);
    rec->shareIndex = parent->shareIndex;
    result = InitTexData(rec, nullptr, 0, 0, posX, posY, usedWidth, usedHeight, srcX, srcY, graphHandle, 0, 0, 0,
                         texOffsetX, texOffsetY, 1, parent);
  }
  if (result == -1) FatalErrorExit("テクスチャーサーフェスデータの初期化中にエラーが発生しました");
  NoteTexDataAdded(slot);
  return slot;
}

int DeleteTexData(int index) {
  TextureRecord* rec = GetTexData(index);
  if (D3DObject == nullptr || rec == nullptr) return -1;
  if (GetSurfaceManage(rec->shareIndex) != nullptr && ReleaseSurfaceRef(rec->shareIndex) == 0) {
    if (rec->surface != nullptr) ps::ReleaseSurface(rec->surface);
    rec->surface = nullptr;
    DeleteSurfaceManage(rec->shareIndex);
    ShareCellLists.erase(rec->shareIndex);
  }
  TexDataTable.Count -= 1;
  if (index == TexDataTable.End - 1) {
    int end = index;
    while (end > 0 && TexDataTable.Slots[static_cast<size_t>(end - 1)] == nullptr) --end;
    TexDataTable.End = end;
  }
  TexDataTable.Slots[static_cast<size_t>(index)].reset();
  return 0;
}

TextureRecord* GetTexData(int index) {
  if (index < 0 || index >= kTexDataMax) return nullptr;
  return TexDataTable.Slots[static_cast<size_t>(index)].get();
}

std::span<const int> ShareCells(int share) {
  auto it = ShareCellLists.find(share);
  return it == ShareCellLists.end() ? std::span<const int>() : std::span<const int>(it->second);
}

void SetShareCells(int share, std::vector<int> cells) { ShareCellLists[share] = std::move(cells); }

void ResetTexDataTable() {
  for (auto& slot : TexDataTable.Slots) slot.reset();
  TexDataTable.Count = 0;
  TexDataTable.End = 0;
  ShareCellLists.clear();
}

}  // namespace vexal
