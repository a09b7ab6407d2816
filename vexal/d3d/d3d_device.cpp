// The Direct3D device's life: start-up with each screen mode, release and restore with the
// window's surfaces, shut-down. Owns the device table and the row's device globals.
#include "vexal/d3d/d3d_device.h"

#include <algorithm>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/render_state_cache.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/surface_table.h"

namespace vexal {

namespace pd = plat::d3d;
namespace ps = plat::surface;

std::array<D3DDeviceRecord, kD3DDeviceMax> D3DDeviceTable;  // devices and their cached states
pd::Direct3D* D3DObject = nullptr;                          // the Direct3D object, or null
int D3DCurrentDevice = 0;                                   // record every draw uses
int D3DMainDevice = -1;                                     // record InitDirect3D made
int D3DInitialised = 0;                                     // a start-up succeeded and no shut-down followed
pd::DeviceDesc D3DDeviceCaps;                               // the chosen device's description
int MinTextureSize = 0;                                     // smallest texture side used
int MaxTextureSize = 0;                                     // largest texture side used
int ZBufferRequested = 0;                                   // make a depth buffer at the next start
pd::PixelFormatDesc ZBufferFormat;                          // the chosen depth format
ps::Surface* ZBufferSurface = nullptr;                      // the depth buffer, or null
int D3DTargetIsFront = 0;                                   // the front screen is the draw target
int D3DTargetUnusable = 0;                                  // Direct3D cannot draw on the draw target
DrawStateBlock* D3DDrawState = nullptr;                     // the graphics core's draw state
std::array<ps::Surface*, 2> D3DStringTextures{};            // the string drawing's work textures
uint32_t D3DColorKeySwitch = 0;                             // colour-key state the draws keep

namespace {

constexpr int kRecordIndexMask = 0xFFFF;
constexpr int kZBufferBits = 16;

void ReleaseObject() {
  pd::ReleaseDirect3D(D3DObject);
  D3DObject = nullptr;
}

// Every used record's device released and the record cleared (only while the object is held).
void ReleaseUsedDevices() {
  for (D3DDeviceRecord& rec : D3DDeviceTable) {
    if (rec.Used == 0 || D3DObject == nullptr) continue;
    pd::ReleaseDevice(rec.Device);
    rec = D3DDeviceRecord{};
    LogWrite("３Ｄデバイスの削除は正常に終了しました\n");
  }
}

void ReleaseZBuffer() {
  if (ZBufferSurface == nullptr) return;
  if (ps::Surface* back = GetBackSurface(); back != nullptr) ps::DeleteAttachedSurface(back, ZBufferSurface);
  ps::ReleaseSurface(ZBufferSurface);
  ZBufferSurface = nullptr;
}

// Drops every texture record properly: a start-up must not leave surfaces and share
// records of an earlier device behind.
void DeleteEveryTexData() {
  for (int i = 0; i < TexDataTable.End; ++i) {
    TextureRecord* rec = GetTexData(i);
    if (rec == nullptr) continue;
    SurfaceManageRecord* share = GetSurfaceManage(rec->shareIndex);
    if (share != nullptr && ReleaseSurfaceRef(rec->shareIndex) == 0) {
      if (rec->surface != nullptr) ps::ReleaseSurface(rec->surface);
      DeleteSurfaceManage(rec->shareIndex);
    }
  }
  ResetTexDataTable();
}

// The depth buffer, screen-sized and attached to the back surface; fatal when it cannot be made.
void MakeZBuffer() {
  ps::SurfaceDesc desc;
  desc.caps = ps::kCapsZBuffer | ps::kCapsVideoMemory;
  GetScreenSize(&desc.width, &desc.height);
  desc.format = pd::ToSurfaceFormat(ZBufferFormat);
  if (ps::CreateSurface(GetDirectDrawObject(), desc, &ZBufferSurface) != ps::Result::kOk) {
    ZBufferSurface = nullptr;
    FatalErrorExit("Ｚバッファの作成に失敗しました");
  }
  ps::AddAttachedSurface(GetBackSurface(), ZBufferSurface);
}

bool D3DEnumDeviceCallback(const pd::DeviceDesc& desc, int* found) {
  if (!(desc.guid == pd::kHardwareDevice)) return true;
  const int bits = GetScreenColorBits();
  const bool match = (bits == 16 && (desc.render_depths & pd::kRenderDepth16) != 0) ||
                     (bits == 32 && (desc.render_depths & pd::kRenderDepth32) != 0);
  if (!match) return true;
  *found = 1;
  D3DDeviceCaps = desc;
  return false;
}

bool D3DEnumZBufferCallback(const pd::PixelFormatDesc& format, int* found) {
  if (format.flags != pd::kPfZBuffer || format.fourcc != 0 || format.bit_count != kZBufferBits) return true;
  ZBufferFormat = format;
  *found = 1;
  return false;
}

// Step 7 of the start-up: a device in the first free record, its first states sent.
int CreateDeviceRecord() {
  int index = -1;
  for (int i = 0; i < kD3DDeviceMax; ++i) {
    if (D3DDeviceTable[static_cast<size_t>(i)].Used == 0) {
      index = i;
      break;
    }
  }
  if (index == -1) return -1;
  D3DDeviceRecord& rec = D3DDeviceTable[static_cast<size_t>(index)];
  LogWrite("３Ｄデバイスを作成します... ");
  pd::Device* device = nullptr;
  if (pd::CreateDevice(D3DObject, D3DDeviceCaps.guid, GetPrimarySurface(), &device) != pd::Result::kOk) {
    LogWrite("３Ｄデバイスの作成に失敗しました\n");
    return -1;
  }
  pd::SetTextureStageState(device, 0, pd::StageState::kAddress, pd::kAddressClamp);
  pd::SetTextureStageState(device, 0, pd::StageState::kMagFilter, pd::kFilterPoint);
  pd::SetTextureStageState(device, 0, pd::StageState::kMinFilter, pd::kFilterPoint);
  pd::SetRenderState(device, pd::RenderState::kLighting, 1);
  pd::SetRenderState(device, pd::RenderState::kShadeMode, pd::kShadeFlat);
  pd::SetRenderState(device, pd::RenderState::kAlphaBlendEnable, 0);
  pd::SetTextureStageState(device, 0, pd::StageState::kColorOp, pd::kOpModulate);
  pd::SetTextureStageState(device, 0, pd::StageState::kColorArg1, pd::kArgTexture);
  pd::SetTextureStageState(device, 0, pd::StageState::kColorArg2, pd::kArgDiffuse);
  pd::SetTextureStageState(device, 0, pd::StageState::kAlphaOp, pd::kOpSelectArg2);
  pd::SetTextureStageState(device, 0, pd::StageState::kAlphaArg2, pd::kArgDiffuse);
  rec = D3DDeviceRecord{};
  rec.Used = 1;
  rec.Device = device;
  rec.CreationSurface = GetPrimarySurface();
  rec.TextureAddress = kTextureAddressClamp;
  LogWrite("３Ｄデバイスの作成に成功しました\n");
  return index;
}

// The failure paths after the device exists: records, depth buffer and object go.
int FailAfterDevice(const char* line) {
  if (line != nullptr) LogWrite(line);
  ReleaseUsedDevices();
  ReleaseZBuffer();
  ReleaseObject();
  return -1;
}

void LogTextureFormats() {
  const auto& t = TextureFormatTable;
  LogIndentIn();
  LogWriteFmt("テクスチャ最大幅:%u 最小幅:%u ", static_cast<unsigned>(MaxTextureSize),
              static_cast<unsigned>(MinTextureSize));
  LogWriteFmt("描画制限: D3DPTEXTURECAPS_POW2 = %d  D3DPTEXTURECAPS_SQUAREONLY = %d ",
              (D3DDeviceCaps.texture_caps & pd::kTexturePow2) != 0 ? 1 : 0,
              (D3DDeviceCaps.texture_caps & pd::kTextureSquareOnly) != 0 ? 1 : 0);
  LogWrite("テクスチャピクセルフォーマット\n");
  LogWrite("\t通常グラフィック用\n");
  for (int e : {kTexNormal16, kTexNormal32}) {
    const ColorFormatRecord& c = t[static_cast<size_t>(e)].Color;
    LogWriteFmt("\t\t BIT:%u  RED:%u  GREEN:%u  BLUE:%u ", c.ColorBits, c.RedWidth, c.GreenWidth, c.BlueWidth);
    LogWriteFmt("\t\t RED:%06x GREEN:%06x BLUE:%06x \n", c.RedMask, c.GreenMask, c.BlueMask);
  }
  LogWrite("\tアルファチャンネル付きグラフィック用\n");
  for (int e : {kTexAlpha16, kTexAlpha32}) {
    const ColorFormatRecord& c = t[static_cast<size_t>(e)].Color;
    LogWriteFmt("\t\t BIT:%u  ALPHA:%u  RED:%u  GREEN:%u  BLUE:%u ", c.ColorBits, c.AlphaWidth, c.RedWidth,
                c.GreenWidth, c.BlueWidth);
    LogWriteFmt("\t\t ALPHA:%08x RED:%08x GREEN:%08x BLUE:%08x \n", c.AlphaMask, c.RedMask, c.GreenMask, c.BlueMask);
  }
  LogIndentOut();
}

int InitDirect3DCore() {
  if (D3DObject != nullptr) return -1;
  LogWrite("Direct3D 関連の初期化を行います\n");
  const int requested = ZBufferRequested;
  DeleteEveryTexData();
  // A record left used without a device by a failed restore holds nothing any more.
  for (D3DDeviceRecord& rec : D3DDeviceTable) {
    if (rec.Used != 0 && rec.Device == nullptr) rec = D3DDeviceRecord{};
  }
  auto table = D3DDeviceTable;
  ResetDirect3DState();
  D3DDeviceTable = table;
  ZBufferRequested = requested;

  LogWrite("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得します\n");
  if (GetDirectDrawObject() == nullptr || pd::QueryDirect3D(GetDirectDrawObject(), &D3DObject) != pd::Result::kOk) {
    D3DObject = nullptr;
    LogWrite("Direct3Dオブジェクトの作成に失敗しました\n");
    return -1;
  }
  LogWrite("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得しました\n");

  int found = 0;
  if (pd::EnumDevices(D3DObject, [&](const pd::DeviceDesc& d) { return D3DEnumDeviceCallback(d, &found); }) !=
          pd::Result::kOk ||
      found == 0) {
    LogWrite("現在の画面モードで使用できる描画デバイスが見つかりませんでした\n");
    ReleaseObject();
    return -1;
  }

  found = 0;
  if (pd::EnumZBufferFormats(D3DObject, pd::kHardwareDevice,
                             [&](const pd::PixelFormatDesc& f) { return D3DEnumZBufferCallback(f, &found); }) !=
          pd::Result::kOk ||
      found == 0) {
    return FailAfterDevice("使用可能なＺバッファが見つかりませんでした\n");
  }

  if (ZBufferRequested != 0) CreateZBuffer();

  D3DMainDevice = CreateDeviceRecord();
  if (D3DMainDevice == -1) {
    ReleaseZBuffer();
    ReleaseObject();
    return -1;
  }
  D3DCurrentDevice = D3DMainDevice;
  D3DDeviceRecord& rec = D3DDeviceTable[static_cast<size_t>(D3DMainDevice)];
  if (pd::SetTextureStageState(rec.Device, 0, pd::StageState::kAddress, pd::kAddressClamp) != pd::Result::kOk) {
    return FailAfterDevice(nullptr);
  }

  found = 0;
  if (pd::EnumTextureFormats(rec.Device,
                             [&](const pd::PixelFormatDesc& f) { return D3DEnumTextureFormatCallback(f, &found); }) !=
          pd::Result::kOk ||
      found == 0) {
    return FailAfterDevice("使用可能なテクスチャフォーマットが見つかりませんでした\n");
  }
  ApplyTextureFormatFallbacks();

  D3DTargetIsFront = 1;
  MinTextureSize = static_cast<int>(std::min(D3DDeviceCaps.min_texture_width, D3DDeviceCaps.min_texture_height));
  if (MinTextureSize < kMinTextureFloor) MinTextureSize = kMinTextureFloor;
  const uint32_t max = std::min(D3DDeviceCaps.max_texture_width, D3DDeviceCaps.max_texture_height);
  MaxTextureSize = max == 0 ? kMaxTextureWhenUnreported : static_cast<int>(std::min<uint32_t>(max, 1u << 30));
  D3DTargetUnusable = 0;
  LogTextureFormats();
  LogWrite("Direct3D 関連の初期化は正常に終了しました\n");
  D3DInitialised = 1;
  return 0;
}

// Texture records that lost their surfaces get new ones, one per shared surface.
void RecreateTextures() {
  for (int i = 0; i < TexDataTable.End; ++i) {
    TextureRecord* rec = GetTexData(i);
    if (rec != nullptr && rec->surface == nullptr) rec->restorePending = 1;
  }
  ClearSurfaceLostFlags();
  for (int i = 0; i < TexDataTable.End; ++i) {
    TextureRecord* rec = GetTexData(i);
    if (rec == nullptr || rec->restorePending == 0) continue;
    SurfaceManageRecord* share = GetSurfaceManage(rec->shareIndex);
    if (share == nullptr) continue;
    if (share->RestoredMark == 0) {
      ps::Surface* made = nullptr;
      CreateTextureSurface(GetDirectDrawObject(), &made,
                           GetTexturePixelFormat(rec->AlphaValid, rec->AlphaTestValid, rec->ColorBitDepth),
                           rec->texWidth, rec->texHeight);
      share->Surface = made;
      SetTextureColorKey(made, *rec);
      share->RestoredMark = 1;
    }
    rec->surface = share->Surface;
  }
}

}  // namespace

D3DDeviceRecord* D3DDeviceRecordOf(int handle) {
  const int index = handle & kRecordIndexMask;
  return index < kD3DDeviceMax ? &D3DDeviceTable[static_cast<size_t>(index)] : nullptr;
}

D3DDeviceRecord* UsableD3DDevice(int handle) {
  D3DDeviceRecord* rec = D3DDeviceRecordOf(handle);
  if (D3DObject == nullptr || rec == nullptr || rec->Used == 0 || rec->Device == nullptr) return nullptr;
  return rec;
}

void ReleaseStringTextures() {
  for (ps::Surface*& s : D3DStringTextures) {
    if (s != nullptr) ps::ReleaseSurface(s);
    s = nullptr;
  }
}

int InitDirect3D() { return InitDirect3DCore(); }

int CreateZBuffer() {
  if (D3DObject == nullptr) {
    ZBufferRequested = 1;
    return 0;
  }
  D3DDeviceRecord* cur = D3DDeviceRecordOf(D3DCurrentDevice);
  if (ZBufferSurface != nullptr || (cur != nullptr && cur->Device != nullptr)) return 0;
  MakeZBuffer();
  if (cur != nullptr && cur->Used != 0 && cur->Device != nullptr && (cur->ZEnable != 1 || cur->Force != 0)) {
    pd::SetRenderState(cur->Device, pd::RenderState::kZEnable, 1);
    cur->ZEnable = 1;
  }
  return 0;
}

int EndDirect3D() {
  if (D3DObject == nullptr) return -1;
  LogWrite("Direct3D 関連の終了処理を行います\n");
  D3DDeviceRecord* cur = UsableD3DDevice(D3DCurrentDevice);
  if (cur != nullptr && cur->SceneOpen != 0) {
    pd::EndScene(cur->Device);
    cur->SceneOpen = 0;
  }
  D3DTargetIsFront = 0;
  if (cur != nullptr && (cur->Texture != nullptr || cur->Force != 0)) {
    pd::SetTexture(cur->Device, 0, nullptr);
  }
  if (D3DDeviceRecord* any = D3DDeviceRecordOf(D3DCurrentDevice); any != nullptr) any->Texture = nullptr;
  for (int i = 0; i < TexDataTable.End; ++i) {
    if (GetTexData(i) != nullptr) DeleteTexData(i);
  }
  ReleaseStringTextures();
  if (ZBufferSurface != nullptr) {
    if (cur != nullptr && (cur->ZEnable != 0 || cur->Force != 0)) {
      pd::SetRenderState(cur->Device, pd::RenderState::kZEnable, 0);
      cur->ZEnable = 0;
    }
    ReleaseZBuffer();
  }
  ReleaseUsedDevices();
  ReleaseObject();
  LogWrite("Direct3D 関連の終了処理は正常に終了しました\n");
  D3DInitialised = 0;
  return 0;
}

int ReleaseDirect3D() {
  if (D3DInitialised == 0) return -1;
  D3DDeviceRecord* main = D3DDeviceRecordOf(D3DMainDevice);
  // Half restored, the record has no device but may hold textures made meanwhile: they
  // go with the DirectDraw object all the same, or they would outlive it.
  const bool has_device = UsableD3DDevice(D3DMainDevice) != nullptr;
  if (D3DObject != nullptr && main != nullptr && main->Used != 0) {
    if (has_device && main->SceneOpen != 0) {
      pd::EndScene(main->Device);
      main->SceneOpen = 0;
    }
    for (int i = 0; i < TexDataTable.End; ++i) {
      TextureRecord* rec = GetTexData(i);
      if (rec != nullptr && rec->surface != nullptr) rec->restorePending = 1;
    }
    ClearSurfaceLostFlags();
    for (int i = 0; i < TexDataTable.End; ++i) {
      TextureRecord* rec = GetTexData(i);
      if (rec == nullptr) continue;
      SurfaceManageRecord* share = GetSurfaceManage(rec->shareIndex);
      if (share != nullptr && share->RestoredMark == 0) {
        // An ordinary texture's share record holds no surface: its own goes instead.
        ps::Surface* owned = share->Surface != nullptr ? share->Surface : rec->surface;
        if (owned != nullptr) ps::ReleaseSurface(owned);
        share->Surface = nullptr;
        share->RestoredMark = 1;
      }
      rec->surface = nullptr;
    }
    ReleaseStringTextures();
    main->Texture = nullptr;
    if (has_device) {
      pd::ReleaseDevice(main->Device);
      main->Device = nullptr;
      if (ZBufferSurface != nullptr) {
        ps::ReleaseSurface(ZBufferSurface);
        ZBufferSurface = nullptr;
      }
      LogWrite("Ｄｉｒｅｃｔ３Ｄデバイスを削除しました\n");
    }
  }
  LogWrite("Ｄｉｒｅｃｔ３Ｄオブジェクトを解放します\n");
  if (D3DObject == nullptr) {
    LogWrite("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に解放されています\n");
    return 0;
  }
  ReleaseObject();
  LogWrite("Ｄｉｒｅｃｔ３Ｄオブジェクトを解放しました\n");
  return 0;
}

int RestoreDirect3D() {
  if (D3DInitialised == 0) return 0;
  LogWrite("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得します\n");
  if (D3DObject != nullptr) {
    LogWrite("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に取得されていますn");
    return 0;
  }
  if (GetDirectDrawObject() == nullptr || pd::QueryDirect3D(GetDirectDrawObject(), &D3DObject) != pd::Result::kOk) {
    D3DObject = nullptr;
    LogWrite("Direct3Dオブジェクトの作成に失敗しました\n");
    return -1;
  }
  LogWrite("Ｄｉｒｅｃｔ３Ｄオブジェクトは正常に取得されました\n");
  D3DDrawState = GraphDrawStateBlock();
  D3DDeviceRecord* main = D3DDeviceRecordOf(D3DMainDevice);
  if (main == nullptr) return 0;
  main->CreationSurface = GetPrimarySurface();
  main->RenderTarget = GetDrawSurface();
  if (main->Used != 0 && main->Device == nullptr) {
    LogWrite("３Ｄデバイスを作成します... ");
    if (pd::CreateDevice(D3DObject, D3DDeviceCaps.guid, main->CreationSurface, &main->Device) != pd::Result::kOk) {
      main->Device = nullptr;
      LogWrite("３Ｄデバイスの作成に失敗しました\n");
      return 0;
    }
    LogWrite("３Ｄデバイスの作成に成功しました\n");
    main->Force = 1;
    if (main->RenderTarget != main->CreationSurface && main->RenderTarget != nullptr) {
      pd::SetRenderTarget(main->Device, main->RenderTarget, 0);
    }
    D3DSetBlendState(main->BlendMode, main->BlendParam, D3DMainDevice);
    D3DSetTextureFilter(static_cast<int>(main->TextureFilter), D3DMainDevice);
    main->Texture = nullptr;
    if (D3DDeviceRecord* cur = UsableD3DDevice(D3DCurrentDevice); cur != nullptr) {
      pd::SetRenderState(cur->Device, pd::RenderState::kColorKeyEnable, D3DColorKeySwitch);
    }
    if (D3DDrawState != nullptr) D3DSetDrawArea(&D3DDrawState->DrawArea);
    RecreateTextures();
    if (ZBufferRequested != 0) {
      MakeZBuffer();
      if (main->ZEnable == 1) pd::SetRenderState(main->Device, pd::RenderState::kZEnable, 1);
    }
    main->Force = 0;
  }
  return 0;
}

int CountFilledSlots() { return 0; }

void ResetDirect3DState() {
  D3DDeviceTable = {};
  D3DObject = nullptr;
  D3DCurrentDevice = 0;
  D3DMainDevice = -1;
  D3DInitialised = 0;
  D3DDeviceCaps = {};
  MinTextureSize = 0;
  MaxTextureSize = 0;
  ZBufferRequested = 0;
  ZBufferFormat = {};
  ZBufferSurface = nullptr;
  D3DTargetIsFront = 0;
  D3DTargetUnusable = 0;
  D3DDrawState = nullptr;
  D3DStringTextures = {};
  D3DColorKeySwitch = 0;
  ResetTextureFormats();
  ResetTexDataTable();
}

}  // namespace vexal
