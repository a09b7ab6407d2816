#include "vexal/graphics/graphs/bmp_data_surface.h"

#include <algorithm>
#include <new>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/ddraw_state.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr int kSystemMemory = 1;  // CreateOffscreenSurface's memory kinds
constexpr int kVideoMemory = 0;
constexpr uint8_t kOpaqueAlpha = 0xFF;

}  // namespace

int CreateKeyedGraphSurface(ps::Device* device, int width, int height, uint32_t key, ps::Surface** out,
                            uint8_t* in_video_memory) {
  const bool system = DDrawState.NoVideoMemory || width > DDrawState.ScreenWidth || DDrawState.No3DSurfaces;
  CreateOffscreenSurface(device, out, in_video_memory, system ? kSystemMemory : kVideoMemory, width, height);
  const uint32_t value =
      DDrawState.ScreenColorBits == 8 ? 0 : MakeColorValue((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF);
  const ps::ColorKey color_key{value, value};
  if (ps::SetColorKey(*out, &color_key) != ps::Result::kOk) {
    FatalErrorExit("サーフェイスのカラーキーの設定に失敗しました");
  }
  return 0;
}

int CreateBmpDataSurface(int width, int height, uint16_t graph_x, uint16_t graph_y, uint32_t owner_graph,
                         uint32_t color_key, int, uint8_t mask_flag, BmpDataRecord* record, ps::Device* device,
                         int share, const BmpDataRecord* parent, int x, int y) {
  if (record == nullptr || (share && parent == nullptr) || (!share && device == nullptr)) {
    return LogWrite("ＢＭＰデータのサーフェスを作る材料がありません\n");
  }
  if (share) {
    record->Surface = parent->Surface;
    record->SurfaceEntry = parent->SurfaceEntry;
    record->SurfaceWidth = parent->SurfaceWidth;
    record->SurfaceHeight = parent->SurfaceHeight;
    record->InVideoMemory = parent->InVideoMemory;
    record->MaskFlag = parent->MaskFlag;
    record->AlphaPlane = parent->AlphaPlane;
    record->AlphaPitch = parent->AlphaPitch;
    record->OwnsAlphaPlane = 0;
    record->ColorKey = parent->ColorKey;
  } else {
    CreateKeyedGraphSurface(device, width, height, color_key, &record->Surface, &record->InVideoMemory);
    record->ColorKey = static_cast<int32_t>(color_key);
    record->MaskFlag = mask_flag;
    if (mask_flag) {
      const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
      try {
        record->AlphaPlane = std::make_shared<uint8_t[]>(bytes);
      } catch (const std::bad_alloc&) {
        ps::ReleaseSurface(record->Surface);
        record->Surface = nullptr;
        return LogWrite("ＢＭＰデータのマスク用メモリの確保に失敗しました\n");
      }
      record->AlphaPitch = width;
      std::fill_n(record->AlphaPlane.get(), bytes, kOpaqueAlpha);
      record->OwnsAlphaPlane = 1;
    }
    record->SurfaceWidth = static_cast<uint16_t>(width);
    record->SurfaceHeight = static_cast<uint16_t>(height);
  }
  record->Width = static_cast<uint16_t>(width);
  record->Height = static_cast<uint16_t>(height);
  record->GraphX = graph_x;
  record->GraphY = graph_y;
  record->OwnerGraph = static_cast<int32_t>(owner_graph);
  record->X = static_cast<uint16_t>(x);
  record->Y = static_cast<uint16_t>(y);
  record->Locked = 0;
  return 0;
}

}  // namespace vexal
