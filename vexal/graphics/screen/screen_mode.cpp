#include "vexal/graphics/screen/screen_mode.h"

#include <cstdint>
#include <string>

#include "platform/surface/presentation.h"
#include "platform/surface/surface.h"
#include "platform/timer/timer.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/log/screen_log.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/system/timing.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_access.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/main_surfaces.h"
#include "vexal/graphics/screen/palette.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

struct ScreenMode {
  int width = 0;
  int height = 0;
  int bits = 0;
  int refresh = 0;
  bool operator==(const ScreenMode&) const = default;
};

constexpr ScreenMode kFallbackMode{kFallbackScreenWidth, kFallbackScreenHeight, kFallbackScreenColorBits, 0};

ScreenMode StoredMode() {
  return {DDrawState.ScreenWidth, DDrawState.ScreenHeight, DDrawState.ScreenColorBits, DDrawState.RefreshRate};
}

void StoreMode(const ScreenMode& m) {
  DDrawState.ScreenWidth = m.width;
  DDrawState.ScreenHeight = m.height;
  DDrawState.ScreenColorBits = m.bits;
  DDrawState.RefreshRate = m.refresh;
}

ScreenMode Resolve(int width, int height, int bits, int refresh) {
  const ScreenMode c = StoredMode();
  return {width == -1 ? c.width : width, height == -1 ? c.height : height, bits == -1 ? c.bits : bits,
          refresh == -1 ? c.refresh : refresh};
}

// The default font is made again after the change when it existed before.
struct DefaultFontState {
  bool remake = false;
  std::string name;
  int size = 0;
  int thickness = 0;
};

// Runs under the test harness: copies then take the direct path whatever the speed test
// measured, so that runs repeat.
bool UnderHarness() {
  if (plat::timer::IsVirtualClock()) return true;
  const plat::presentation::HarnessSettings s = plat::presentation::GetHarnessSettings();
  return s.capture_dir.has_value() || s.exit_after.has_value();
}

// Chooses how BltToScreenDC copies: through device contexts only when that copied the
// screen strictly faster than a direct copy.
void TimeScreenCopies() {
  const int w = DDrawState.ScreenWidth, h = DDrawState.ScreenHeight;
  const ps::Rect rect{0, 0, w, h};
  int64_t start = GetTimeUs();
  ps::BltFast(DDrawState.Work1, 0, 0, DDrawState.Primary, &rect, ps::kFastNoColorKey);
  const int64_t direct = GetTimeUs() - start;

  start = GetTimeUs();
  ps::SurfaceDc work_dc, primary_dc;
  const bool work_ok = ps::GetDC(DDrawState.Work1, &work_dc) == ps::Result::kOk;
  const bool primary_ok = ps::GetDC(DDrawState.Primary, &primary_dc) == ps::Result::kOk;
  if (work_ok && primary_ok) ps::CopyBetweenDcs(work_dc, 0, 0, w, h, primary_dc, 0, 0);
  if (primary_ok) ps::ReleaseDC(DDrawState.Primary);
  if (work_ok) ps::ReleaseDC(DDrawState.Work1);
  const int64_t gdi = GetTimeUs() - start;

  DDrawState.UseGdiScreenCopy = gdi < direct && !UnderHarness() ? 1 : 0;
}

int TryFirstMode(const ScreenMode& mode) {
  ScreenMode m = mode;
  if (m.width == 0) m.width = kFallbackScreenWidth;
  if (m.height == 0) m.height = kFallbackScreenHeight;
  if (m.bits == 0) m.bits = kFallbackScreenColorBits;
  StoreMode(m);
  if (!IsWindowMode()) ApplyWindowStyle();
  int32_t desktop_width = 0, desktop_height = 0;
  GetDesktopMode(&desktop_width, &desktop_height, nullptr);
  return ChangeScreenModeDD(DDrawState.Object, desktop_width, desktop_height, m.width, m.height, m.bits,
                            &DDrawState.ScreenColorBits, &DDrawState.CooperativeLevel, IsWindowMode(),
                            &DDrawState.DisplayModeChanged, GetMainWindow());
}

// The first mode of the run: the one asked for, the previous one, or 640 x 480 x 16.
int ApplyFirstMode(const ScreenMode& requested, const ScreenMode& previous) {
  if (TryFirstMode(requested) == 0) return 0;
  const bool previous_differs = previous.width != requested.width || previous.height != requested.height ||
                                previous.bits != requested.bits || previous.refresh != 0;
  if (previous_differs && TryFirstMode(previous) == 0) return -1;
  if (TryFirstMode(kFallbackMode) == 0) return -2;
  FatalErrorExit("予期せぬ画面モード変更不能現象が起きました\n");
}

// A later change: a new device object, its cooperative level and, in full screen, the
// first display mode of the chain that the display takes.
int ApplyLaterMode(const ScreenMode& requested, const ScreenMode& previous) {
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
  if (!GetGraphSuspendFlag()) {
    const int end = BmpDataTable.EndIndex;
    for (int i = 0; i < end; ++i) {
      if (GetBmpData(i) != nullptr) DeleteBmpData(i);
    }
  }
  ps::SetCooperativeLevel(DDrawState.Object, GetMainWindow(), kCooperativeNormal);
  ps::ReleaseDevice(DDrawState.Object);
  DDrawState.Object = nullptr;
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  // Every later step needs the object: without one the program cannot go on.
  if (CreateDirectDrawObject(&DDrawState.Object) == -1) {
    DDrawState.Object = nullptr;
    FatalErrorExit("DirectDraw オブジェクトの作成処理時にエラーが発生しました");
  }

  const bool window = IsWindowMode() != 0;
  const uint32_t level = window ? kCooperativeNormal : kCooperativeFullScreenExclusive;
  const ps::Result r = ps::SetCooperativeLevel(DDrawState.Object, GetMainWindow(), level);
  if (r != ps::Result::kOk && (window || r != ps::Result::kExclusiveModeAlreadySet)) {
    FatalErrorExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
  }
  DDrawState.CooperativeLevel = level;
  DDrawState.DisplayModeChanged = 0;

  int result = 0;
  if (!window) {
    LogWrite("画面解像度を変更します... ");
    struct Step {
      ScreenMode mode;    // asked of the display
      ScreenMode stored;  // what the state then says
      int result;
    };
    // The previous mode is asked at the default refresh yet stored as it was, so that it
    // counts as kept (-1), as the first start counts it.
    const ScreenMode retry{requested.width, requested.height, requested.bits, 0};
    const Step chain[] = {
        {requested, requested, 0},
        {retry, retry, 0},
        {{previous.width, previous.height, previous.bits, 0}, previous, -1},
        {kFallbackMode, kFallbackMode, -2},
    };
    bool set = false;
    for (const Step& step : chain) {
      const ScreenMode& m = step.mode;
      if (ps::SetDisplayMode(DDrawState.Object, m.width, m.height, m.bits, m.refresh) == ps::Result::kOk) {
        StoreMode(step.stored);
        result = step.result;
        set = true;
        break;
      }
    }
    if (!set) FatalErrorExit("予期せぬ画面モード変更不能現象が起きました2\n");
    DDrawState.DisplayModeChanged = 1;
    LogWrite("成功しました\n");
  }
  LogIndentOut();
  return result;
}

void DescribeScreen() {
  ReadScreenFormat();
  LogWrite("カラー情報\n");
  LogIndentIn();
  const ColorFormatRecord& f = DDrawState.Screen.Format;
  LogWriteFmt("A:%08x  B:%08x  G:%08x  B:%08x", f.AlphaMask, f.RedMask, f.GreenMask, f.BlueMask);
  LogIndentOut();
}

}  // namespace

int ChangeScreenModeCore(int width, int height, int bits, int force, int refresh_rate) {
  const bool initialised = DDrawState.Initialised;
  const uint32_t trans_color = initialised ? GetTransColorValue() : 0;
  const ScreenMode previous = StoredMode();
  const ScreenMode requested = Resolve(width, height, bits, refresh_rate);
  if (requested == previous && !force) return 0;

  LogWrite("画面モード変更処理を開始します\n");
  LogIndentIn();
  DefaultFontState font;
  const int default_font = GetDefaultFontHandle();
  if (CheckFontHandle(default_font) != 0) {
    GetFontStateToHandle(default_font, &font.name, &font.size, &font.thickness);
    font.remake = true;
  }
  StoreMode(requested);
  if (DDrawState.Object == nullptr) {
    LogIndentOut();
    return 0;
  }

  DeleteAllGraph(0);
  EndGraphManage();
  EndDirect3D();
  if (DDrawState.PaletteObject != nullptr) ps::ReleasePalette(DDrawState.PaletteObject);
  DDrawState.PaletteObject = nullptr;
  ReleaseMainSurfaces();

  const int result = initialised ? ApplyLaterMode(requested, previous) : ApplyFirstMode(requested, previous);

  DescribeScreen();
  if (IsWindowMode()) ApplyWindowStyle();
  CreateMainSurfaces();
  if (!DDrawState.NoDirect3D && !DDrawState.No3DSurfaces) InitDirect3D();
  InitGraphManage();
  if (font.remake) CreateDefaultFont(font.name, font.size, font.thickness);
  ScreenLogInit();
  CreatePalette8();
  TimeScreenCopies();
  if (!IsWindowMode() && !plat::timer::IsVirtualClock()) plat::timer::Sleep(kFullScreenSettleMs);
  if (initialised) SetTransColorValue(trans_color);
  LogIndentOut();
  LogWrite("画面モード変更処理は正常に終了しました\n");
  PumpMessages();
  return result;
}

int RequestScreenMode(int width, int height, int bits, int refresh_rate) {
  DeleteAllGraph(0);
  const ScreenMode requested = Resolve(width, height, bits, refresh_rate);
  const ScreenMode kept = StoredMode();
  ChangeScreenModeCore(requested.width, requested.height, requested.bits, 0, requested.refresh);
  const ScreenMode now = StoredMode();
  if (now == requested) return 0;
  if (now == kept) return -1;
  if (now == kFallbackMode) return -2;
  return -1;
}

}  // namespace vexal
