#include "vexal/graphics/screen/ddraw_device.h"

#include <cstdio>

#include "platform/surface/display.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/window/window_access.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_surface.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/screen/blend_mul_table.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/main_surfaces.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"
#include "vexal/graphics/screen/screen_present.h"
#include "vexal/graphics/screen/surface_table.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr double kBytesPerMegabyte = 1.0 / 1048576.0;
constexpr int kOverlayProbeSide = 16;  // pixels of the probe surface

struct OverlayFormat {
  const char* name;  // as logged
  plat::PixelFormat format;
};

constexpr uint32_t FourCc(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

const OverlayFormat kOverlayFormats[] = {
    {" UYVY", {0, false, 0, 0, 0, 0, FourCc('U', 'Y', 'V', 'Y')}},
    {" YUY2", {0, false, 0, 0, 0, 0, FourCc('Y', 'U', 'Y', '2')}},
    {" 16-bit RGB 5:5:5 ", {16, false, 0x7C00, 0x03E0, 0x001F, 0, 0}},
    {" 16-bit RGB 5:6:5 ", {16, false, 0xF800, 0x07E0, 0x001F, 0, 0}},
};

bool IsExclusive(uint32_t level) { return level == kCooperativeFullScreenExclusive; }

// Success, or a cooperative level the system counts as already given.
bool CooperativeLevelTaken(ps::Result r) { return r == ps::Result::kOk || r == ps::Result::kExclusiveModeAlreadySet; }

// For the log only: whether an overlay surface could be used.
void ProbeOverlay() {
  ps::DeviceCaps caps;
  if (ps::GetDeviceCaps(DDrawState.Object, &caps) != ps::Result::kOk) return;
  const char* winner = nullptr;
  if (caps.min_overlay_stretch < kOverlayMinStretchLimit || caps.max_overlay_stretch < kOverlayMaxStretchLimit) {
    for (const OverlayFormat& f : kOverlayFormats) {
      ps::SurfaceDesc desc;
      desc.caps = ps::kCapsOverlay | ps::kCapsVideoMemory;
      desc.width = kOverlayProbeSide;
      desc.height = kOverlayProbeSide;
      desc.format = f.format;
      ps::Surface* s = nullptr;
      if (ps::CreateSurface(DDrawState.Object, desc, &s) != ps::Result::kOk) continue;
      const bool in_video = (ps::GetSurfaceInfo(s).caps & ps::kCapsSystemMemory) == 0;
      ps::ReleaseSurface(s);
      if (in_video) {
        winner = f.name;
        break;
      }
    }
  }
  if (winner != nullptr) {
    LogWriteFmt("オーバーレイサーフェスを使用します　　　%s", winner);
  } else {
    LogWrite("オーバーレイサーフェスは使用しません\n");
  }
}

void ReleaseClipper() {
  if (DDrawState.Clipper != nullptr) ps::ReleaseClipper(DDrawState.Clipper);
  DDrawState.Clipper = nullptr;
}

void ReleasePaletteObject() {
  if (DDrawState.PaletteObject != nullptr) ps::ReleasePalette(DDrawState.PaletteObject);
  DDrawState.PaletteObject = nullptr;
}

void DeleteEveryBmpData() {
  const int end = BmpDataTable.EndIndex;
  for (int i = 0; i < end; ++i) {
    if (GetBmpData(i) != nullptr) DeleteBmpData(i);
  }
}

// Drops the surfaces of every BMP data record, each shared surface once.
void DropBmpDataSurfaces() {
  ClearSurfaceLostFlags();
  const int end = BmpDataTable.EndIndex;
  for (int i = 0; i < end; ++i) {
    BmpDataRecord* bmp = GetBmpData(i);
    if (bmp == nullptr) continue;
    SurfaceManageRecord* entry = GetSurfaceManage(bmp->SurfaceEntry);
    // Without its entry nothing tells whether another record shares the surface; it is
    // left alone rather than released twice.
    if (entry != nullptr && entry->RestoredMark == 0 && bmp->Surface != nullptr) {
      ps::ReleaseSurface(bmp->Surface);
      entry->Surface = nullptr;
      entry->RestoredMark = 1;
    }
    bmp->Surface = nullptr;
  }
}

// Makes the surfaces of every BMP data record again, each shared surface once, with the
// whole surface's size (a share covers only part of it) and the record's colour key.
void RemakeBmpDataSurfaces() {
  ClearSurfaceLostFlags();
  const int end = BmpDataTable.EndIndex;
  for (int i = 0; i < end; ++i) {
    BmpDataRecord* bmp = GetBmpData(i);
    if (bmp == nullptr || bmp->Surface != nullptr) continue;
    SurfaceManageRecord* entry = GetSurfaceManage(bmp->SurfaceEntry);
    if (entry == nullptr) continue;
    if (entry->RestoredMark == 0) {
      uint8_t in_video = 0;
      CreateKeyedGraphSurface(DDrawState.Object, bmp->SurfaceWidth, bmp->SurfaceHeight,
                              static_cast<uint32_t>(bmp->ColorKey), &entry->Surface, &in_video);
      entry->RestoredMark = 1;
    }
    bmp->Surface = entry->Surface;
    bmp->InVideoMemory = (ps::GetSurfaceInfo(entry->Surface).caps & ps::kCapsVideoMemory) != 0 ? 1 : 0;
  }
}

void CreateWindowClipper(const char* failure) {
  ps::Clipper* clipper = nullptr;
  if (ps::CreateClipper(DDrawState.Object, &clipper) != ps::Result::kOk) {
    LogWrite("ＤｉｒｅｃｔＤｒａｗＣｌｉｐｐｅｒオブジェクトの作成に失敗しました\n");
    FatalErrorExit(failure);
  }
  ps::SetClipperWindow(clipper, GetMainWindow());
  DDrawState.Clipper = clipper;
}

}  // namespace

int InitDirectDraw() {
  if (DDrawState.Object != nullptr) return -1;
  LogWrite("DirectDraw 関連の初期化を行います\n");
  LogIndentIn();
  if (CreateDirectDrawObject(&DDrawState.Object) == -1) FatalErrorExit("DirectDrawオブジェクトの作成に失敗しました");
  CreateWindowClipper("DirectDrawClipperオブジェクトの作成時にエラーが発生しました");
  if (DDrawState.ScreenWidth == 0) DDrawState.ScreenWidth = kDefaultScreenWidth;
  if (DDrawState.ScreenHeight == 0) DDrawState.ScreenHeight = kDefaultScreenHeight;
  if (DDrawState.ScreenColorBits == 0) DDrawState.ScreenColorBits = kDefaultScreenColorBits;
  ChangeScreenModeCore(-1, -1, -1, 1, -1);
  if (!HasWindowRegion()) {
    SetDrawTarget(kBackScreen);
    ClearDrawTarget();
    PresentScreenByBlt();
    SetDrawTarget(kFrontScreen);
  }
  DDrawState.EndSceneBeforeDraw = 1;
  DDrawState.ScreenClearOption = 1;
  DDrawState.DrawerMmx = IsMmxUsable();
  ProbeOverlay();
  LogIndentOut();
  LogWrite("DirectDraw 関連の初期化は正常に終了しました\n");
  FillBlendMulTable();
  DDrawState.Initialised = true;
  return 0;
}

int EndDirectDraw() {
  if (DDrawState.Object == nullptr) return 0;
  LogWrite("DirectDraw 関連の終了処理をおこないます\n");
  LogIndentIn();
  ReleasePaletteObject();
  EndGraphManage();
  if (!GetGraphSuspendFlag()) DeleteEveryBmpData();
  EndDirect3D();
  if (!GetGraphSuspendFlag()) DeleteEveryBmpData();
  ReleaseMainSurfaces();
  ReleaseClipper();
  if (IsExclusive(DDrawState.CooperativeLevel)) {
    ps::SetCooperativeLevel(DDrawState.Object, GetMainWindow(), kCooperativeNormal);
    ps::RestoreDisplayMode(DDrawState.Object);
    DDrawState.DisplayModeChanged = 0;
    LogWrite("画面モードを元に戻す処理は正常に終了しました\n");
  }
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
  ps::ReleaseDevice(DDrawState.Object);
  DDrawState.Object = nullptr;
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  LogIndentOut();
  LogWrite("DirectDraw 関連の終了処理は正常に終了しました\n");
  DDrawState.Initialised = false;
  return 0;
}

int CreateDirectDrawObject(ps::Device** out) {
  LogWrite("DirectDraw オブジェクトの取得を行います....  ");
  ps::Device* device = nullptr;
  if (ps::CreateDevice(&device) != ps::Result::kOk) return LogWrite("オブジェクトの取得に失敗しました\n");
  LogWrite("成功\n");
  LogWrite("引き続き初期化処理... ");
  if (ps::InitializeDevice(device) != ps::Result::kOk) {
    LogWrite("DirectDrawオブジェクトの初期化に失敗しました\n");
    ps::ReleaseDevice(device);
    return -1;
  }
  LogWrite("初期化に成功しました\n");
  LogWrite("ビデオカードの情報\n");
  LogIndentIn();
  // The platform has no key state to read, so the non-convert key that would skip these
  // lines never counts as held.
  ps::DeviceIdentifier id;
  if (ps::GetDeviceIdentifier(device, &id) == ps::Result::kOk) {
    LogWriteFmt("ビデオカードドライバ:%s バージョン:%u.%u.%u.%u ", id.driver.c_str(), unsigned{id.version[0]},
                unsigned{id.version[1]}, unsigned{id.version[2]}, unsigned{id.version[3]});
    // This message ends its own line.
    char description[kLogFormatBufferSize];
    std::snprintf(description, sizeof description, "ドライバ記述:%s \n", id.description.c_str());
    LogWrite(description);
  }
  ps::VideoMemory memory;
  ps::GetAvailableVideoMemory(device, &memory);
  LogWriteFmt("ビデオメモリ総量:%.2fMB ビデオメモリ空き容量:%.2fMB",
              static_cast<double>(memory.total) * kBytesPerMegabyte,
              static_cast<double>(memory.free) * kBytesPerMegabyte);
  LogIndentOut();
  *out = device;
  return 0;
}

int CreateOffscreenSurface(ps::Device* device, ps::Surface** out, uint8_t* in_video_memory, int memory_kind, int width,
                           int height) {
  constexpr uint32_t kSystem = ps::kCapsOffscreenPlain | ps::kCapsSystemMemory;
  constexpr uint32_t kVideo = ps::kCapsOffscreenPlain | ps::kCaps3DDevice | ps::kCapsVideoMemory;
  ps::SurfaceDesc desc;
  desc.caps = memory_kind == kOffscreenSystemMemory ? kSystem : kVideo;
  desc.width = width;
  desc.height = height;
  if (ps::CreateSurface(device, desc, out) != ps::Result::kOk) {
    desc.caps = kSystem;
    if (ps::CreateSurface(device, desc, out) != ps::Result::kOk) {
      *out = nullptr;
      FatalErrorExit("オフスクリーンサーフェスの作成に失敗しました");
    }
  }
  if (in_video_memory != nullptr) {
    *in_video_memory = (ps::GetSurfaceInfo(*out).caps & ps::kCapsVideoMemory) != 0 ? 1 : 0;
  }
  return 0;
}

int ChangeScreenModeDD(ps::Device* device, int desktop_width, int desktop_height, int width, int height, int bits,
                       int* bits_out, uint32_t* cooperative_level_out, int window_mode, int* display_mode_changed,
                       plat::window::WindowHandle window) {
  LogWriteFmt("画面モードの変更処理を開始します %u x %u  %u bit ", static_cast<unsigned>(width),
              static_cast<unsigned>(height), static_cast<unsigned>(bits));
  LogIndentIn();
  if (window_mode) {
    LogWrite("ウインドウモードにします\n");
    if (width > desktop_width || height > desktop_height) {
      FatalErrorExit("デスクトップ画面のサイズが足りません、ソフトを終了します");
    }
    if (*display_mode_changed) {
      LogWrite("フルスクリーンモードから抜けます\n");
      ps::RestoreDisplayMode(device);
      *display_mode_changed = 0;
    }
    const int depth = plat::display::Current().bits;
    if (depth == 24) {
      LogIndentOut();
      return -1;
    }
    if (bits_out != nullptr) *bits_out = depth;
    if (ps::SetCooperativeLevel(device, window, kCooperativeNormal) != ps::Result::kOk) {
      FatalErrorExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
    }
    if (cooperative_level_out != nullptr) *cooperative_level_out = kCooperativeNormal;
  } else {
    if (bits == 24) {
      LogIndentOut();
      return -1;
    }
    LogWrite("画面解像度を変更します... ");
    if (!CooperativeLevelTaken(ps::SetCooperativeLevel(device, window, kCooperativeFullScreenExclusive))) {
      FatalErrorExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
    }
    if (cooperative_level_out != nullptr) *cooperative_level_out = kCooperativeFullScreenExclusive;
    if (ps::SetDisplayMode(device, width, height, bits, DDrawState.RefreshRate) != ps::Result::kOk) {
      DDrawState.RefreshRate = 0;
      if (ps::SetDisplayMode(device, width, height, bits, 0) != ps::Result::kOk) {
        LogWrite("画面モードの変更に失敗しました\n");
        LogIndentOut();
        return -1;
      }
    }
    if (bits_out != nullptr) *bits_out = bits;
    *display_mode_changed = 1;
    LogWrite("成功しました\n");
  }
  LogIndentOut();
  LogWrite("画面モードの変更は正常に終了しました \n");
  return 0;
}

int ReleaseDirectDraw() {
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
  if (DDrawState.Object == nullptr) {
    LogWrite("既に解放されています\n");
    return 0;
  }
  DropBmpDataSurfaces();
  if (!IsWindowMode() && DDrawState.DisplayModeChanged) {
    ps::SetCooperativeLevel(DDrawState.Object, GetMainWindow(), kCooperativeNormal);
    ps::RestoreDisplayMode(DDrawState.Object);
    DDrawState.DisplayModeChanged = 0;
  }
  ReleasePaletteObject();
  ReleaseClipper();
  ps::ReleaseDevice(DDrawState.Object);
  DDrawState.Object = nullptr;
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  return 0;
}

int RecreateDirectDraw() {
  if (DDrawState.Object != nullptr) return 0;
  if (CreateDirectDrawObject(&DDrawState.Object) == -1) {
    DDrawState.Object = nullptr;
    FatalErrorExit("DirectDraw オブジェクトの作成処理時にエラーが発生しました");
  }
  int32_t desktop_width = 0, desktop_height = 0;
  GetDesktopMode(&desktop_width, &desktop_height, nullptr);
  ChangeScreenModeDD(DDrawState.Object, desktop_width, desktop_height, DDrawState.ScreenWidth, DDrawState.ScreenHeight,
                     DDrawState.ScreenColorBits, nullptr, &DDrawState.CooperativeLevel, IsWindowMode(),
                     &DDrawState.DisplayModeChanged, GetMainWindow());
  // A window shows the desktop's pixels: after a desktop change of depth the surfaces made
  // from here on have the new format, and colour values must be made for it.
  ReadScreenFormat();
  RemakeBmpDataSurfaces();
  if (IsWindowMode()) CreateWindowClipper("クリッパーオブジェクトの作成失敗しました");
  return 0;
}

int ReadScreenFormat() {
  ps::DisplayModeInfo mode;
  if (ps::GetDisplayMode(DDrawState.Object, &mode) != ps::Result::kOk) return -1;
  DDrawState.Screen.PixelFormat = mode.format;
  MakeColorFormat(&DDrawState.Screen.PixelFormat, &DDrawState.Screen.Format);
  DDrawState.ScreenColorBits = mode.format.bit_count;
  return 0;
}

}  // namespace vexal
