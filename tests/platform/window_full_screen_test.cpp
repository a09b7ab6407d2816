// A full-screen window on an X server of its own that has no window manager: the window
// must cover the screen and show the picture there, as it does under a manager, and go
// back to its client area in window mode. The program talks to the server itself (SDL's
// X11 driver); the server is started and stopped by the test.
#include <gtest/gtest.h>

#include "platform/surface/presentation.h"
#include "platform/window/window.h"
#include "tests/support/xvfb_server.h"
// After those and GoogleTest: Xlib's macros (None, Bool, Status) would break their headers.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace pw = plat::window;
namespace pp = plat::presentation;
using Clock = std::chrono::steady_clock;

// 4:3 like the pictures, so a picture fills it without bars.
constexpr int kScreenWidth = 800, kScreenHeight = 600;

// Xvfb on a display number it picks itself, and nothing else on it.
class VirtualScreen {
 public:
  VirtualScreen() : server_(kScreenWidth, kScreenHeight) {
    if (!server_.name().empty()) display_ = XOpenDisplay(server_.name().c_str());
  }
  ~VirtualScreen() {
    if (display_) XCloseDisplay(display_);
  }
  bool ok() const { return display_ != nullptr; }
  Display* display() const { return display_; }
  const std::string& name() const { return server_.name(); }

 private:
  nltest::XvfbServer server_;
  Display* display_ = nullptr;
};

struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
  bool viewable = false;
  bool operator==(const Geometry&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Geometry& g) {
  return o << g.width << "x" << g.height << "+" << g.x << "+" << g.y << (g.viewable ? " shown" : " hidden");
}

// Where the server has the window, in root coordinates.
Geometry ServerGeometry(Display* d, Window w) {
  XSync(d, False);
  Geometry g;
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, w, &a)) return g;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &g.x, &g.y, &child);
  g.width = a.width;
  g.height = a.height;
  g.viewable = a.map_state == IsViewable;
  return g;
}

// Screen pixels that are not this colour.
int PixelsOtherThan(Display* d, uint32_t rgb) {
  XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, kScreenWidth, kScreenHeight, AllPlanes, ZPixmap);
  if (image == nullptr) return kScreenWidth * kScreenHeight;
  int other = 0;
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      if ((XGetPixel(image, x, y) & 0xFFFFFFu) != rgb) ++other;
    }
  }
  XDestroyImage(image);
  return other;
}

intptr_t Proc(pw::WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) { return pw::DefWindowProc(w, id, wp, lp); }

constexpr uint32_t kWindowStyle = pw::kWsPopup | pw::kWsCaption | pw::kWsSysMenu | pw::kWsMinimizeBox;
constexpr uint32_t kWindowExStyle = pw::kWsExWindowEdge | pw::kWsExClientEdge;

// One server for the program: SDL's video stays on it to the end, since closing it would
// unload X libraries whose blocks the leak checker could then no longer trace.
VirtualScreen& Screen() {
  static VirtualScreen screen;
  return screen;
}

class WindowFullScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!screen_.ok()) GTEST_SKIP() << "no Xvfb to put the window on";
    // This process's own video: the server above, whatever the test run exported.
    setenv("DISPLAY", screen_.name().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    pw::WindowClass c;
    c.name = "FullScreenTest";
    c.proc = Proc;
    ASSERT_TRUE(pw::RegisterClass(c));
  }
  void TearDown() override { pw::ResetWindowStandIn(); }

  // The X window behind the SDL one (SDL makes it again for its renderer).
  Window XWindowOf(pw::WindowHandle window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(pw::GetSdlWindow(window), &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
  }

  // A few frames of one colour, the events before each taken as the program's pump does.
  void Present(uint32_t xrgb, bool full_screen) {
    std::vector<uint32_t> pixels(320 * 240, xrgb);
    pp::Picture p;
    p.pixels = reinterpret_cast<const uint8_t*>(pixels.data());
    p.pitch = 320 * 4;
    p.width = p.view_width = 320;
    p.height = p.view_height = 240;
    p.format = plat::kFormatXrgb8888;
    p.full_screen = full_screen;
    for (int i = 0; i < 5; ++i) {
      pw::Message m;
      while (pw::PeekMessage(&m, 0)) pw::DispatchMessage(m);
      pp::PresentPicture(p);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    XSync(screen_.display(), False);
  }

  VirtualScreen& screen_ = Screen();
};

// The library's sequence: a topmost pop-up of the screen mode's size at (0, 0), brought to
// the front; then window mode and back to full screen.
TEST_F(WindowFullScreenTest, CoversTheScreenWithoutAWindowManagerAndComesBackFromWindowMode) {
  pw::WindowCreate create;
  create.class_name = "FullScreenTest";
  create.title = "full";
  create.style = pw::kWsPopup;
  create.ex_style = pw::kWsExTopmost;
  create.width = 640;
  create.height = 480;
  const pw::WindowHandle w = pw::CreateWindow(create);
  ASSERT_NE(w, 0u) << SDL_GetError();
  ASSERT_TRUE(pw::SetForegroundWindow(w));
  pw::SetWindowPos(w, pw::ZOrder::Top, 0, 0, 640, 480, pw::kSwpNoRedraw);
  Present(0xC86432, true);
  const Geometry whole{0, 0, kScreenWidth, kScreenHeight, true};
  EXPECT_EQ(ServerGeometry(screen_.display(), XWindowOf(w)), whole);
  EXPECT_EQ(PixelsOtherThan(screen_.display(), 0xC86432), 0);
  // The library still sees the window it asked for.
  pw::Rect outer;
  ASSERT_TRUE(pw::GetWindowRect(w, &outer));
  EXPECT_EQ(outer, (pw::Rect{0, 0, 640, 480}));

  // Window mode: a 320 x 240 client area whose frame starts at (100, 50); full screen
  // again; and the same window once more, which must not keep the screen's size.
  const auto window_mode = [&](uint32_t xrgb) {
    pw::SetWindowLong(w, pw::kGwlExStyle, kWindowExStyle);
    pw::SetWindowLong(w, pw::kGwlStyle, kWindowStyle | pw::kWsVisible);
    pw::Rect r{0, 0, 320, 240};
    pw::AdjustWindowRectEx(&r, kWindowStyle, false, kWindowExStyle);
    pw::SetWindowPos(w, pw::ZOrder::Top, 100, 50, r.right - r.left, r.bottom - r.top, pw::kSwpNoZOrder);
    pw::Point client{0, 0};
    pw::ClientToScreen(w, &client);
    Present(xrgb, false);
    EXPECT_EQ(ServerGeometry(screen_.display(), XWindowOf(w)), (Geometry{client.x, client.y, 320, 240, true}));
    EXPECT_EQ(PixelsOtherThan(screen_.display(), xrgb), kScreenWidth * kScreenHeight - 320 * 240);
  };
  window_mode(0x3264C8);

  pw::SetWindowLong(w, pw::kGwlExStyle, pw::kWsExTopmost);
  pw::SetWindowLong(w, pw::kGwlStyle, pw::kWsPopup);
  pw::SetWindowPos(w, pw::ZOrder::Top, 0, 0, 640, 480, pw::kSwpNoRedraw);
  Present(0x64C832, true);
  EXPECT_EQ(ServerGeometry(screen_.display(), XWindowOf(w)), whole);
  EXPECT_EQ(PixelsOtherThan(screen_.display(), 0x64C832), 0);

  window_mode(0xC83264);
}

// Topmost and back without any other change: the window is given its own size again.
TEST_F(WindowFullScreenTest, APopUpMadeTopmostAndBackGetsItsSizeAgain) {
  pw::WindowCreate create;
  create.class_name = "FullScreenTest";
  create.title = "pop-up";
  create.style = pw::kWsPopup | pw::kWsVisible;
  create.x = 40;
  create.y = 30;
  create.width = 320;
  create.height = 240;
  const pw::WindowHandle w = pw::CreateWindow(create);
  ASSERT_NE(w, 0u) << SDL_GetError();
  const Geometry own{40, 30, 320, 240, true};
  Present(0x3264C8, false);
  EXPECT_EQ(ServerGeometry(screen_.display(), XWindowOf(w)), own);
  pw::SetWindowLong(w, pw::kGwlExStyle, pw::kWsExTopmost);
  Present(0x3264C8, true);
  EXPECT_EQ(ServerGeometry(screen_.display(), XWindowOf(w)), (Geometry{0, 0, kScreenWidth, kScreenHeight, true}));
  pw::SetWindowLong(w, pw::kGwlExStyle, 0);
  Present(0x3264C8, false);
  EXPECT_EQ(ServerGeometry(screen_.display(), XWindowOf(w)), own);
}

}  // namespace
