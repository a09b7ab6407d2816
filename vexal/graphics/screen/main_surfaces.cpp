#include "vexal/graphics/screen/main_surfaces.h"

#include "platform/surface/surface.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/window/window_access.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/ddraw_state.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr uint32_t kOffscreenSystem = ps::kCapsOffscreenPlain | ps::kCapsSystemMemory;

void Fill(ps::Surface* s) { ps::Blt(s, nullptr, nullptr, nullptr, ps::kBltColorFill | ps::kBltWait, 0); }

ps::Surface* CreateOrDie(const ps::SurfaceDesc& desc, const char* failure) {
  ps::Surface* s = nullptr;
  if (ps::CreateSurface(DDrawState.Object, desc, &s) != ps::Result::kOk) FatalErrorExit(failure);
  return s;
}

ps::SurfaceDesc ScreenSized(uint32_t caps) {
  ps::SurfaceDesc d;
  d.caps = caps;
  d.width = DDrawState.ScreenWidth;
  d.height = DDrawState.ScreenHeight;
  return d;
}

void CreateWindowModeSurfaces() {
  ps::SurfaceDesc primary;
  primary.caps = ps::kCapsPrimary | (DDrawState.No3DSurfaces ? 0u : ps::kCaps3DDevice);
  DDrawState.Primary = CreateOrDie(primary, "プライマリサーフェスの作成に失敗しました");
  DDrawState.Back =
      CreateOrDie(ScreenSized(DDrawState.No3DSurfaces ? kOffscreenSystem : ps::kCapsOffscreenPlain | ps::kCaps3DDevice),
                  "バックサーフェスの作成に失敗しました");
  Fill(DDrawState.Back);
}

void CreateFlipChain() {
  ps::VideoMemory memory;
  ps::GetAvailableVideoMemory(DDrawState.Object, &memory);
  ps::SurfaceDesc chain;
  chain.caps = ps::kCapsPrimary | ps::kCapsFlip | ps::kCapsComplex | ps::kCaps3DDevice;
  chain.back_buffer_count = FlipChainBackBufferCount(memory.total, DDrawState.ScreenWidth, DDrawState.ScreenHeight,
                                                     DDrawState.ScreenColorBits);
  DDrawState.Primary = CreateOrDie(chain, "プライマリサーフェスの作成に失敗しました");
  if (ps::GetAttachedSurface(DDrawState.Primary, ps::kCapsBackBuffer, &DDrawState.Back) != ps::Result::kOk) {
    DDrawState.Back = nullptr;
    FatalErrorExit("バックバッファのポインタ取得に失敗しました");
  }
  for (int i = 0; i < kFlipChainClearFlips; ++i) {
    Fill(DDrawState.Back);
    ps::Flip(DDrawState.Primary, ps::kFlipNoVSync);
  }
}

void CreateFullScreenSurfacesWithout3D() {
  ps::SurfaceDesc primary;
  primary.caps = ps::kCapsPrimary;
  DDrawState.Primary = CreateOrDie(primary, "プライマリサーフェスの作成に失敗しました");
  DDrawState.Back = CreateOrDie(ScreenSized(kOffscreenSystem), "バックサーフェスの作成に失敗しました");
  Fill(DDrawState.Back);
  Fill(DDrawState.Primary);
}

ps::Surface* CreateWorkSurface(const char* failure) {
  ps::Surface* s = CreateOrDie(ScreenSized(kOffscreenSystem), failure);
  const ps::ColorKey key{0, 0};
  if (ps::SetColorKey(s, &key) != ps::Result::kOk) {
    ps::ReleaseSurface(s);
    FatalErrorExit(failure);
  }
  return s;
}

const char* Placement(ps::Surface* s) {
  return (ps::GetSurfaceInfo(s).caps & ps::kCapsVideoMemory) != 0 ? "VIDEOMEMORY" : "SYSTEMMEMORY";
}

void Release(ps::Surface*& s) {
  ps::ReleaseSurface(s);
  s = nullptr;
}

}  // namespace

int FlipChainBackBufferCount(uint64_t total, int width, int height, int bits) {
  const uint64_t screens = kFlipChainScreens * static_cast<uint64_t>(width) * static_cast<uint64_t>(height) *
                           static_cast<uint64_t>(bits / 8);
  return total >= kTwoBackBuffersMinVideoMemory && total >= screens ? 2 : 1;
}

int CreateMainSurfaces() {
  if (DDrawState.Object == nullptr || DDrawState.Primary != nullptr) return -1;
  LogWrite("DirectDraw メインサーフェスの作成を行います\n");
  LogIndentIn();
  if (IsWindowMode()) {
    CreateWindowModeSurfaces();
  } else if (!DDrawState.No3DSurfaces) {
    CreateFlipChain();
  } else {
    CreateFullScreenSurfacesWithout3D();
  }
  DDrawState.Work1 = CreateWorkSurface("作業用サーフェスの作成に失敗しました");
  DDrawState.Work2 = CreateWorkSurface("作業用サーフェス２の作成に失敗しました");
  DDrawState.PrimaryLocked = 0;
  DDrawState.BackLocked = 0;
  DDrawState.Work1Locked = 0;
  DDrawState.OpenLocks = 0;
  LogWrite("各スクリーンメモリの配置位置\n");
  LogIndentIn();
  LogWriteFmt("PrimaryBuffer : %s  ", Placement(DDrawState.Primary));
  LogWriteFmt("BaskBuffer : %s  ", Placement(DDrawState.Back));
  LogIndentOut();
  LogIndentOut();
  LogWrite("DirectDraw メインサーフェスの作成は正常に終了しました\n");
  return 0;
}

int ReleaseMainSurfaces() {
  if (DDrawState.Object == nullptr) return -1;
  if (DDrawState.Primary != nullptr) ps::SetClipper(DDrawState.Primary, nullptr);
  const bool had_primary = DDrawState.Primary != nullptr;
  Release(DDrawState.Back);
  Release(DDrawState.Primary);
  if (had_primary) LogWrite("メインサーフェスを破棄をします... 完了しました\n");
  Release(DDrawState.Work1);
  Release(DDrawState.Work2);
  // The draw-target code points it at a main surface again.
  DDrawState.DrawSurface = nullptr;
  return 0;
}

int RestoreMainSurfaces() {
  if (DDrawState.Object == nullptr) return -1;
  if (GetGraphSuspendFlag()) return 0;
  for (ps::Surface* s : {DDrawState.Primary, DDrawState.Back}) {
    if (s != nullptr && ps::IsLost(s) == ps::Result::kSurfaceLost) ps::Restore(s);
  }
  return 0;
}

}  // namespace vexal
