// Window classes and windows: the two tables, geometry, styles, titles, focus, and the
// SDL window that shows each window's client area.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <string>

#include "platform/surface/display.h"
#include "platform/surface/presentation.h"
#include "platform/text/text_encoding.h"
#include "platform/window/window.h"
#include "platform/window/window_internal.h"

// On a real display SDL's video start opens a session-bus connection whose read buffer
// libdbus never frees; the leak checker of sanitised builds is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace plat::window {
namespace internal {

inline constexpr int kMaxClasses = 8;  // classes registered at once
// A manager that keeps moving a full-screen window elsewhere is not followed for ever.
inline constexpr int kMaxCornerMoves = 8;

struct ClassRecord {
  bool used = false;
  WindowClass window_class;
};

struct WindowRecord {
  WindowHandle handle = 0;  // 0: slot free
  std::string class_name;
  WindowProc proc = nullptr;
  Cursor class_cursor = Cursor::Arrow;
  std::string title;  // CP932
  uint32_t style = 0, ex_style = 0;
  Rect outer;            // desktop coordinates
  Rect reported_client;  // client area as the last kWmMove / kWmSize told it
  bool visible = false;  // shown (kWsVisible set, or brought to the foreground)
  bool topmost = false;
  bool ime_enabled = true;
  bool destroying = false;  // kWmDestroy is being handled
  std::vector<Rect> region;
  SDL_Window* sdl = nullptr;
  // What the SDL window shows now, so only changes reach SDL.
  Rect sdl_client;
  bool sdl_visible = false;
  bool sdl_bordered = true;
  bool sdl_fullscreen = false;
  int corner_moves = 0;  // requests for the display's corner since full screen began
  Point corner_request;  // the place last asked of the X server for it
};

}  // namespace internal

namespace {

using internal::ClassRecord;
using internal::WindowRecord;

std::array<ClassRecord, internal::kMaxClasses> g_classes;  // registered window classes
std::array<WindowRecord, kMaxWindows> g_windows;           // live windows
WindowHandle g_next_handle = 1;                            // handles are never reused
WindowHandle g_foreground = 0;                             // window with the user's focus
uint32_t g_foreground_lock_timeout = 200000;               // ms, as the system default
WindowHandle g_presented = 0;                              // window the presentation shows the screen in

WindowRecord* Find(WindowHandle window) {
  if (window == 0) return nullptr;
  for (WindowRecord& w : g_windows) {
    if (w.handle == window) return &w;
  }
  return nullptr;
}

ClassRecord* FindClass(std::string_view name) {
  for (ClassRecord& c : g_classes) {
    if (c.used && c.window_class.name == name) return &c;
  }
  return nullptr;
}

bool HasCaption(uint32_t style) { return (style & kWsCaption) == kWsCaption; }

// Frame thickness on each side for a style.
Rect FrameOf(uint32_t style, uint32_t ex_style, bool menu) {
  int32_t side = 0, top = 0;
  if (HasCaption(style)) {
    side += kFrameBorder;
    top += kFrameCaption;
  }
  if (ex_style & kWsExClientEdge) side += kFrameClientEdge;
  if (menu) top += kFrameMenu;
  return Rect{side, side + top, side, side};
}

// The client area in desktop coordinates.
Rect ClientOf(const WindowRecord& w) {
  Rect f = FrameOf(w.style, w.ex_style, false);
  Rect c{w.outer.left + f.left, w.outer.top + f.top, w.outer.right - f.right, w.outer.bottom - f.bottom};
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  return c;
}

intptr_t PackWords(int32_t low, int32_t high) {
  return static_cast<intptr_t>((static_cast<uint32_t>(low) & 0xFFFFu) |
                               ((static_cast<uint32_t>(high) & 0xFFFFu) << 16));
}

// Full screen is the window manager's to do; an X server without one leaves the window
// as it is, so it is put over its display first. The second time, in full screen, only
// SDL's note of the place is set: it makes the window again there for its first renderer.
void CoverDisplay(SDL_Window* sdl, const SDL_Rect& bounds) {
  SDL_SetWindowPosition(sdl, bounds.x, bounds.y);
  SDL_SetWindowSize(sdl, bounds.w, bounds.h);
}

void SyncSdl(WindowRecord& w) {
  if (w.sdl == nullptr) return;
  bool fullscreen = !HasCaption(w.style) && (w.ex_style & kWsExTopmost) != 0;
  if (fullscreen != w.sdl_fullscreen) {
    SDL_Rect bounds;
    const bool cover = fullscreen && SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(w.sdl)), &bounds) == 0;
    if (cover) CoverDisplay(w.sdl, bounds);
    SDL_SetWindowFullscreen(w.sdl, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (cover) CoverDisplay(w.sdl, bounds);
    w.sdl_fullscreen = fullscreen;
    w.corner_moves = 0;
    if (cover) w.corner_request = Point{bounds.x, bounds.y};
    // Back in a window, the client area's place and size are given again.
    w.sdl_client = Rect{-1, -1, -1, -1};
  }
  bool bordered = HasCaption(w.style);
  if (bordered != w.sdl_bordered) {
    SDL_SetWindowBordered(w.sdl, bordered ? SDL_TRUE : SDL_FALSE);
    w.sdl_bordered = bordered;
  }
  Rect c = ClientOf(w);
  if (!(c == w.sdl_client) && !fullscreen) {
    SDL_SetWindowSize(w.sdl, std::max(1, c.right - c.left), std::max(1, c.bottom - c.top));
    SDL_SetWindowPosition(w.sdl, c.left, c.top);
    w.sdl_client = c;
  }
  if (w.visible != w.sdl_visible) {
    if (w.visible) {
      SDL_ShowWindow(w.sdl);
    } else {
      SDL_HideWindow(w.sdl);
    }
    w.sdl_visible = w.visible;
  }
}

// Moves or sizes a window and tells its procedure what changed.
void SetOuter(WindowHandle handle, const Rect& outer) {
  WindowRecord* w = Find(handle);
  if (w == nullptr) return;
  w->outer = outer;
  SyncSdl(*w);
  Rect before = w->reported_client;
  Rect now = ClientOf(*w);
  w->reported_client = now;
  if (now.left != before.left || now.top != before.top) {
    SendMessage(handle, kWmMove, 0, PackWords(now.left, now.top));
  }
  if (now.right - now.left != before.right - before.left || now.bottom - now.top != before.bottom - before.top) {
    SendMessage(handle, kWmSize, kSizeRestored, PackWords(now.right - now.left, now.bottom - now.top));
  }
}

}  // namespace

namespace internal {

bool EnsureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool IsLive(WindowHandle window) { return Find(window) != nullptr; }

WindowProc ProcOf(WindowHandle window) {
  WindowRecord* w = Find(window);
  return w != nullptr ? w->proc : nullptr;
}

Cursor ClassCursorOf(WindowHandle window) {
  WindowRecord* w = Find(window);
  return w != nullptr ? w->class_cursor : Cursor::Arrow;
}

WindowHandle WindowOfSdlId(uint32_t sdl_window_id) {
  for (WindowRecord& w : g_windows) {
    if (w.handle != 0 && w.sdl != nullptr && SDL_GetWindowID(w.sdl) == sdl_window_id) return w.handle;
  }
  return 0;
}

std::vector<WindowHandle> LiveWindows() {
  std::vector<WindowHandle> out;
  for (WindowRecord& w : g_windows) {
    if (w.handle != 0 && !w.destroying) out.push_back(w.handle);
  }
  return out;
}

void FullScreenMoved(WindowHandle window, int32_t x, int32_t y) {
  WindowRecord* w = Find(window);
  if (w == nullptr || w->sdl == nullptr || w->corner_moves >= kMaxCornerMoves) return;
  if (PutFullScreenCorner(w->sdl, x, y, &w->corner_request)) ++w->corner_moves;
}

void NoteFocus(WindowHandle window, bool active) {
  if (active) {
    g_foreground = window;
  } else if (g_foreground == window) {
    g_foreground = 0;
  }
}

void ResetWindows() {
  if (g_presented != 0) presentation::SetPresentationWindow(nullptr);
  g_presented = 0;
  for (WindowRecord& w : g_windows) {
    if (w.sdl != nullptr) SDL_DestroyWindow(w.sdl);
    w = WindowRecord{};
  }
  for (ClassRecord& c : g_classes) c = ClassRecord{};
  g_foreground = 0;
  g_foreground_lock_timeout = 200000;
}

}  // namespace internal

bool RegisterClass(const WindowClass& window_class) {
  if (internal::CurrentFailures().register_class) return false;
  if (window_class.name.empty() || window_class.proc == nullptr || FindClass(window_class.name) != nullptr) {
    return false;
  }
  for (ClassRecord& c : g_classes) {
    if (!c.used) {
      c.used = true;
      c.window_class = window_class;
      internal::Trace("RegisterClass");
      return true;
    }
  }
  return false;
}

bool UnregisterClass(std::string_view name) {
  ClassRecord* c = FindClass(name);
  if (c == nullptr) return false;
  for (WindowRecord& w : g_windows) {
    if (w.handle != 0 && w.class_name == name) return false;
  }
  *c = ClassRecord{};
  internal::Trace("UnregisterClass");
  return true;
}

bool IsClassRegistered(std::string_view name) { return FindClass(name) != nullptr; }

WindowHandle CreateWindow(const WindowCreate& create) {
  if (internal::CurrentFailures().create_window) return 0;
  ClassRecord* c = FindClass(create.class_name);
  if (c == nullptr) return 0;
  WindowRecord* slot = nullptr;
  for (WindowRecord& w : g_windows) {
    if (w.handle == 0) {
      slot = &w;
      break;
    }
  }
  if (slot == nullptr || !internal::EnsureVideo()) return 0;
  std::string title = Cp932ToUtf8(create.title);
  SDL_Window* sdl =
      SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1, SDL_WINDOW_HIDDEN);
  if (sdl == nullptr) return 0;
  SDL_StartTextInput();
  WindowRecord& w = *slot;
  w = WindowRecord{};
  w.handle = g_next_handle++;
  w.class_name = create.class_name;
  w.proc = c->window_class.proc;
  w.class_cursor = c->window_class.cursor;
  w.title = create.title;
  w.style = create.style;
  w.ex_style = create.ex_style;
  w.topmost = (create.ex_style & kWsExTopmost) != 0;
  w.visible = (create.style & kWsVisible) != 0;
  w.outer = Rect{create.x, create.y, create.x + create.width, create.y + create.height};
  w.reported_client = ClientOf(w);
  w.sdl = sdl;
  w.sdl_client = Rect{-1, -1, -1, -1};
  SyncSdl(w);
  WindowHandle handle = w.handle;
  // The first window shows the screen; the harness closes windows as a user would.
  if (g_presented == 0) {
    g_presented = handle;
    presentation::SetPresentationWindow(sdl);
    presentation::SetCloseRequestCallback(UserCloseAll);
  }
  internal::Trace("CreateWindow");
  SendMessage(handle, kWmCreate, 0, 0);
  return handle;
}

bool DestroyWindow(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (w == nullptr || w->destroying) return false;
  w->destroying = true;
  internal::Trace("DestroyWindow");
  SendMessage(window, kWmDestroy, 0, 0);
  w = Find(window);
  // The presentation's renderer goes before the window it draws on.
  if (g_presented == window) {
    presentation::SetPresentationWindow(nullptr);
    g_presented = 0;
  }
  if (w->sdl != nullptr) SDL_DestroyWindow(w->sdl);
  *w = WindowRecord{};
  if (g_foreground == window) g_foreground = 0;
  internal::DropMessagesOf(window);
  return true;
}

bool IsWindow(WindowHandle window) { return Find(window) != nullptr; }

bool SetWindowText(WindowHandle window, std::string_view cp932_title) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return false;
  w->title = std::string(cp932_title);
  if (w->sdl != nullptr) SDL_SetWindowTitle(w->sdl, Cp932ToUtf8(cp932_title).c_str());
  return true;
}

uint32_t SetWindowLong(WindowHandle window, int index, uint32_t value) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return 0;
  uint32_t* field = index == kGwlStyle ? &w->style : index == kGwlExStyle ? &w->ex_style : nullptr;
  if (field == nullptr) return 0;
  uint32_t previous = *field;
  *field = value;
  if (index == kGwlExStyle) w->topmost = (value & kWsExTopmost) != 0;
  // Setting the visible bit shows a window; clearing it here does not hide one.
  if (index == kGwlStyle && (value & kWsVisible)) w->visible = true;
  SyncSdl(*w);
  return previous;
}

uint32_t GetWindowLong(WindowHandle window, int index) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return 0;
  if (index == kGwlStyle) return w->style;
  if (index == kGwlExStyle) return w->ex_style;
  return 0;
}

bool GetWindowRect(WindowHandle window, Rect* outer) {
  WindowRecord* w = Find(window);
  if (w == nullptr || outer == nullptr) return false;
  *outer = w->outer;
  return true;
}

bool GetClientRect(WindowHandle window, Rect* client) {
  WindowRecord* w = Find(window);
  if (w == nullptr || client == nullptr) return false;
  Rect c = ClientOf(*w);
  *client = Rect{0, 0, c.right - c.left, c.bottom - c.top};
  return true;
}

bool ClientToScreen(WindowHandle window, Point* point) {
  WindowRecord* w = Find(window);
  if (w == nullptr || point == nullptr) return false;
  Rect c = ClientOf(*w);
  point->x += c.left;
  point->y += c.top;
  return true;
}

bool AdjustWindowRectEx(Rect* rect, uint32_t style, bool menu, uint32_t ex_style) {
  if (rect == nullptr) return false;
  Rect f = FrameOf(style, ex_style, menu);
  rect->left -= f.left;
  rect->top -= f.top;
  rect->right += f.right;
  rect->bottom += f.bottom;
  return true;
}

bool MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, bool) {
  if (Find(window) == nullptr) return false;
  SetOuter(window, Rect{x, y, x + width, y + height});
  return true;
}

bool SetWindowPos(WindowHandle window, ZOrder order, int32_t x, int32_t y, int32_t width, int32_t height,
                  uint32_t flags) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return false;
  Rect outer = w->outer;
  if (!(flags & kSwpNoMove)) {
    int32_t wd = outer.right - outer.left, ht = outer.bottom - outer.top;
    outer = Rect{x, y, x + wd, y + ht};
  }
  if (!(flags & kSwpNoSize)) {
    outer.right = outer.left + width;
    outer.bottom = outer.top + height;
  }
  if (!(flags & kSwpNoZOrder)) {
    w->topmost = order == ZOrder::Topmost;
    if (w->sdl != nullptr) SDL_RaiseWindow(w->sdl);
  }
  SetOuter(window, outer);
  return true;
}

bool SetForegroundWindow(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return false;
  w->visible = true;
  SyncSdl(*w);
  if (w->sdl != nullptr) SDL_RaiseWindow(w->sdl);
  g_foreground = window;
  return true;
}

WindowHandle GetForegroundWindow() { return g_foreground; }

bool SetActiveWindow(WindowHandle window) { return Find(window) != nullptr; }

bool BringWindowToTop(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return false;
  if (w->sdl != nullptr && w->sdl_visible) SDL_RaiseWindow(w->sdl);
  return true;
}

uint32_t GetForegroundLockTimeout() { return g_foreground_lock_timeout; }

void SetForegroundLockTimeout(uint32_t ms) { g_foreground_lock_timeout = ms; }

bool EnableIme(WindowHandle window, bool on) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return false;
  bool previous = w->ime_enabled;
  w->ime_enabled = on;
  return previous;
}

bool SetWindowRegion(WindowHandle window, RegionHandle region, bool) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return false;
  w->region = region != 0 ? RegionRects(region) : std::vector<Rect>{};
  internal::Trace("SetWindowRegion");
  return true;
}

// The desktop is the fake display's (display.h), so that a test's 24-bit or 16-bit
// desktop reaches the window and the library alike.
DesktopMode GetDesktopMode() {
  return DesktopMode{display::DesktopWidth(), display::DesktopHeight(), display::DesktopBits()};
}

SDL_Window* GetSdlWindow(WindowHandle window) {
  WindowRecord* w = Find(window);
  return w != nullptr ? w->sdl : nullptr;
}

void UserMove(WindowHandle window, int32_t client_x, int32_t client_y) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return;
  Rect c = ClientOf(*w);
  int32_t dx = client_x - c.left, dy = client_y - c.top;
  if (dx == 0 && dy == 0) return;
  Rect outer{w->outer.left + dx, w->outer.top + dy, w->outer.right + dx, w->outer.bottom + dy};
  w->sdl_client = Rect{client_x, client_y, client_x + (c.right - c.left), client_y + (c.bottom - c.top)};
  SetOuter(window, outer);
}

void UserResize(WindowHandle window, int32_t client_width, int32_t client_height, bool maximised) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return;
  Rect c = ClientOf(*w);
  Rect f = FrameOf(w->style, w->ex_style, false);
  Rect outer{w->outer.left, w->outer.top, c.left + client_width + f.right, c.top + client_height + f.bottom};
  // The SDL window already has this size; only the record follows it.
  w->sdl_client = Rect{c.left, c.top, c.left + client_width, c.top + client_height};
  if (!maximised) {
    SetOuter(window, outer);
    return;
  }
  w->outer = outer;
  w->reported_client = ClientOf(*w);
  SendMessage(window, kWmSize, kSizeMaximized, PackWords(client_width, client_height));
}

std::optional<WindowInfo> GetWindowInfo(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (w == nullptr) return std::nullopt;
  WindowInfo info;
  info.class_name = w->class_name;
  info.title = w->title;
  info.style = w->style;
  info.ex_style = w->ex_style;
  info.outer = w->outer;
  info.visible = w->visible;
  info.topmost = w->topmost;
  info.ime_enabled = w->ime_enabled;
  info.region = w->region;
  return info;
}

// Sets the fake display's desktop; nullopt leaves it as it is (ResetDisplay restores it).
void OverrideDesktopMode(std::optional<DesktopMode> mode) {
  if (mode) display::SetDesktop(mode->width, mode->height, mode->bits);
}

}  // namespace plat::window
