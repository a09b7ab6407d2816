// The window stand-in: window classes and windows, the thread's message queue with
// posted and sent messages, SDL's events translated into the messages a window
// procedure handles, cursor, titles and styles, the screen saver, COM as a counted
// no-op, window regions (kept, never applied), and the test for another running copy.
//
// Contract
// - One thread: every call comes from the thread that creates the windows.
// - Sent messages reach the window procedure inside the call that caused them:
//   CreateWindow sends kWmCreate, DestroyWindow sends kWmDestroy, and a change of a
//   window's position or size (MoveWindow, SetWindowPos, a user's move or resize) sends
//   kWmMove and then kWmSize, each only when that value really changed. Nothing else is
//   sent; in particular creation sends no kWmMove or kWmSize.
// - Posted messages wait in one queue for the thread until PeekMessage takes them; a
//   destroyed window's messages are dropped from it. The queue may be pumped again from
//   inside a procedure: nothing holds a position in it across a dispatch.
// - PeekMessage first lets the event source run once (unless told not to): SDL's event queue, or a test's
//   scripted source (SetEventSource), which drives the windows through the user-action
//   calls below exactly as SDL's events do. A procedure that an event reached (a move is
//   sent at once) may peek again, inside that poll: the inner poll reads on from the next
//   event, so every event reaches the windows once and in order, and a wait inside a
//   handler sees the activation, close or quit that ends it. A scripted source may thus be
//   entered again from one of its own actions; it takes each action before doing it.
// - SDL's events become: quit (the close button of the last window, Ctrl-C, SIGTERM) and
//   a window's close request -> kWmClose to the window(s), as a user closing them;
//   focus gained / lost -> kWmActivateApp and kWmActivate (1 / 0); moved -> the client
//   area's new place (kWmMove); resized -> the new client size (kWmSize); maximised ->
//   kWmSize with kSizeMaximized; exposed -> kWmPaint; key down / up -> kWmKeyDown /
//   kWmKeyUp with the virtual-key code; text -> one kWmChar per byte of its CP932 form;
//   mouse motion and buttons -> kWmSetCursor and the mouse message.
//   TranslateMessage adds the characters of Enter, Escape, Backspace and Tab (0x0D,
//   0x1B, 0x08, 0x09) after their kWmKeyDown, since SDL's text input has none for them.
// - Geometry is the Win32 one: a window has an outer rectangle in desktop coordinates;
//   its client area is the outer rectangle less the frame its style implies (the frame
//   constants below); GetClientRect gives (0, 0, width, height) of the client area. The
//   SDL window shows the client area at the client area's place.
// - A window is shown when it is created with kWsVisible or its style gains it
//   (SetWindowLong), or by SetForegroundWindow, which also raises it (a full-screen
//   window has no other way to appear). Clearing the bit does not hide a shown window;
//   nothing here hides one.
//   A caption (kWsCaption) gives an SDL window with decorations; a window without
//   caption and with kWsExTopmost becomes SDL's full-screen-desktop window, first moved
//   and sized over the display it is on (a server without a window manager does neither).
// - The cursor shows while the ShowCursor display count is >= 0 and the cursor shape
//   set last is not Cursor::None.
// - Regions are kept per window and can be read back; Linux windows stay rectangular.
// - COM is a counter: ComInitialize counts up (kComOk the first time, kComAlready
//   after), ComUninitialize counts down.
// - AnotherCopyRunning takes an advisory lock (flock) on a lock file and holds it for the
//   life of the process; it answers true when another process holds it. The file is
//   $NIGHTLOOM_INSTANCE_LOCK when set, else <$XDG_RUNTIME_DIR or /tmp>/vexal-<uid>-<class>.lock;
//   SetInstanceLockPath overrides both (tests give each case its own file).
// - SDL video starts with the first window or desktop query, with the screen saver left
//   as the system has it (SDL would switch it off otherwise).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SDL_Window;

namespace plat::window {

using WindowHandle = uint32_t;  // 0: none
using RegionHandle = uint32_t;  // 0: none

// PeekMessage filter that takes only messages posted to no window (the thread's own).
inline constexpr WindowHandle kThreadMessages = 0xFFFFFFFFu;

inline constexpr int kMaxWindows = 8;   // windows alive at once
inline constexpr int kMaxRegions = 64;  // region objects alive at once

// Messages (the values of the system the game was written for).
inline constexpr uint32_t kWmCreate = 0x0001;
inline constexpr uint32_t kWmDestroy = 0x0002;
inline constexpr uint32_t kWmMove = 0x0003;      // lParam: client x | y << 16 (signed words)
inline constexpr uint32_t kWmSize = 0x0005;      // wParam kSize*, lParam: client width | height << 16
inline constexpr uint32_t kWmActivate = 0x0006;  // low word of wParam: 1 active, 0 inactive
inline constexpr uint32_t kWmPaint = 0x000F;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmQuit = 0x0012;           // wParam: exit code
inline constexpr uint32_t kWmActivateApp = 0x001C;    // wParam: 1 active, 0 inactive
inline constexpr uint32_t kWmSetCursor = 0x0020;      // wParam: window, lParam: hit code | message << 16
inline constexpr uint32_t kWmDisplayChange = 0x007E;  // wParam: bits, lParam: width | height << 16
inline constexpr uint32_t kWmKeyDown = 0x0100;        // wParam: virtual key
inline constexpr uint32_t kWmKeyUp = 0x0101;
inline constexpr uint32_t kWmChar = 0x0102;  // wParam: one CP932 byte
inline constexpr uint32_t kWmSysCommand = 0x0112;
inline constexpr uint32_t kWmMouseMove = 0x0200;  // lParam: client x | y << 16
inline constexpr uint32_t kWmLButtonDown = 0x0201;
inline constexpr uint32_t kWmLButtonUp = 0x0202;
inline constexpr uint32_t kWmRButtonDown = 0x0204;
inline constexpr uint32_t kWmRButtonUp = 0x0205;
inline constexpr uint32_t kWmMButtonDown = 0x0207;
inline constexpr uint32_t kWmMButtonUp = 0x0208;
inline constexpr uint32_t kWmMoving = 0x0216;  // lParam: Rect* proposed outer rectangle

inline constexpr uintptr_t kSizeRestored = 0;
inline constexpr uintptr_t kSizeMaximized = 2;
inline constexpr intptr_t kHitClient = 1;

// Window styles and extended styles.
inline constexpr uint32_t kWsPopup = 0x80000000u;
inline constexpr uint32_t kWsVisible = 0x10000000u;
inline constexpr uint32_t kWsCaption = 0x00C00000u;
inline constexpr uint32_t kWsSysMenu = 0x00080000u;
inline constexpr uint32_t kWsMinimizeBox = 0x00020000u;
inline constexpr uint32_t kWsExTopmost = 0x00000008u;
inline constexpr uint32_t kWsExWindowEdge = 0x00000100u;
inline constexpr uint32_t kWsExClientEdge = 0x00000200u;

// Class styles.
inline constexpr uint32_t kCsVRedraw = 0x0001;
inline constexpr uint32_t kCsHRedraw = 0x0002;

// GetWindowLong / SetWindowLong indices.
inline constexpr int kGwlStyle = -16;
inline constexpr int kGwlExStyle = -20;

// SetWindowPos flags.
inline constexpr uint32_t kSwpNoSize = 0x0001;
inline constexpr uint32_t kSwpNoMove = 0x0002;
inline constexpr uint32_t kSwpNoZOrder = 0x0004;
inline constexpr uint32_t kSwpNoRedraw = 0x0008;

// Frame widths in pixels: a caption brings a fixed frame of kFrameBorder on every side
// and the caption bar on top; kWsExClientEdge adds kFrameClientEdge on every side; a menu
// (only in AdjustWindowRectEx's menu argument, no window here has one) adds kFrameMenu.
inline constexpr int32_t kFrameBorder = 3;
inline constexpr int32_t kFrameClientEdge = 2;
inline constexpr int32_t kFrameCaption = 18;
inline constexpr int32_t kFrameMenu = 19;

// Virtual-key codes the translation produces besides letters ('A'-'Z') and digits.
inline constexpr uint32_t kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkShift = 0x10, kVkControl = 0x11,
                          kVkMenu = 0x12, kVkEscape = 0x1B, kVkSpace = 0x20, kVkPrior = 0x21, kVkNext = 0x22,
                          kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28,
                          kVkInsert = 0x2D, kVkDelete = 0x2E, kVkF1 = 0x70, kVkF12 = 0x7B;

// COM results.
inline constexpr int32_t kComOk = 0;
inline constexpr int32_t kComAlready = 1;
inline constexpr int32_t kComFailed = static_cast<int32_t>(0x80004005u);

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct Point {
  int32_t x = 0, y = 0;
};

struct Message {
  WindowHandle window = 0;  // 0: posted to the thread
  uint32_t id = 0;
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
};

using WindowProc = intptr_t (*)(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam);

enum class Cursor { None, Arrow };
enum class Brush { Black, None };
enum class ZOrder { Top, Topmost };

struct WindowClass {
  std::string name;
  uint32_t style = 0;
  WindowProc proc = nullptr;
  int icon = 0;  // resource number; there are no icons, it is only kept
  Cursor cursor = Cursor::Arrow;
  Brush background = Brush::Black;
};

struct WindowCreate {
  uint32_t ex_style = 0;
  std::string class_name;
  std::string title;  // CP932
  uint32_t style = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;  // outer rectangle
};

// Classes. Registering a name twice fails, as does unregistering while a window of it lives.
bool RegisterClass(const WindowClass& window_class);
bool UnregisterClass(std::string_view name);
bool IsClassRegistered(std::string_view name);

// Windows. CreateWindow returns 0 when the class is unknown, the table is full or the
// display cannot be opened.
WindowHandle CreateWindow(const WindowCreate& create);
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);

bool SetWindowText(WindowHandle window, std::string_view cp932_title);
// Previous value; 0 for an unknown window or index.
uint32_t SetWindowLong(WindowHandle window, int index, uint32_t value);
uint32_t GetWindowLong(WindowHandle window, int index);

bool GetWindowRect(WindowHandle window, Rect* outer);
bool GetClientRect(WindowHandle window, Rect* client);
bool ClientToScreen(WindowHandle window, Point* point);
// Grows a client rectangle to the outer rectangle of a window of these styles.
bool AdjustWindowRectEx(Rect* rect, uint32_t style, bool menu, uint32_t ex_style);
bool MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint);
bool SetWindowPos(WindowHandle window, ZOrder order, int32_t x, int32_t y, int32_t width, int32_t height,
                  uint32_t flags);

bool SetForegroundWindow(WindowHandle window);
WindowHandle GetForegroundWindow();
bool SetActiveWindow(WindowHandle window);
bool BringWindowToTop(WindowHandle window);
// The system's foreground lock time-out in ms (kept, nothing else reads it).
uint32_t GetForegroundLockTimeout();
void SetForegroundLockTimeout(uint32_t ms);

// IME of a window; returns the previous state. New windows have it on.
bool EnableIme(WindowHandle window, bool on);

// Message queue.
bool PostMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam);
void PostQuitMessage(int exit_code);
intptr_t SendMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam);
// Takes the oldest message for the filter (a window, kThreadMessages, or 0 for any).
// kPeekQueueOnly leaves the event source alone: a pump that peeks several times a pass
// polls it once.
constexpr uint32_t kPeekQueueOnly = 0x1;
bool PeekMessage(Message* out, WindowHandle filter, uint32_t flags = 0);
bool TranslateMessage(const Message& message);
intptr_t DispatchMessage(const Message& message);
// kWmClose destroys the window; kWmSetCursor sets the class cursor over the client area
// (hit code kHitClient) and the arrow elsewhere.
intptr_t DefWindowProc(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam);

// Cursor.
void SetCursor(Cursor cursor);
// Display count after the change.
int ShowCursor(bool show);
bool IsCursorShown();

// Screen saver.
void SetScreenSaverEnabled(bool on);
bool IsScreenSaverEnabled();

// COM.
int32_t ComInitialize();
void ComUninitialize();
int ComInitCount();

// Regions: lists of rectangles. The window keeps a copy; the caller keeps its handle.
RegionHandle CreateRegion();
bool AddRegionRect(RegionHandle region, const Rect& rect);
bool DeleteRegion(RegionHandle region);
std::vector<Rect> RegionRects(RegionHandle region);
bool SetWindowRegion(WindowHandle window, RegionHandle region, bool redraw);

// The desktop: size and colour depth (32 for four-byte pixels).
struct DesktopMode {
  int32_t width = 0, height = 0, bits = 0;
};
DesktopMode GetDesktopMode();

// Another running copy of a program with this window class.
bool AnotherCopyRunning(std::string_view class_name);
std::string InstanceLockPath(std::string_view class_name);

// The SDL window behind a window (null for none), for the presentation.
SDL_Window* GetSdlWindow(WindowHandle window);

// User actions: SDL's events arrive through these, and so does a test's script.
void UserClose(WindowHandle window);  // kWmClose, as the close button
void UserCloseAll();                  // every window, as SDL's quit event
void UserFocus(WindowHandle window, bool active);
void UserMove(WindowHandle window, int32_t client_x, int32_t client_y);
void UserResize(WindowHandle window, int32_t client_width, int32_t client_height, bool maximised);
void UserKey(WindowHandle window, uint32_t virtual_key, bool down);
void UserText(WindowHandle window, std::string_view utf8);
void UserMouse(WindowHandle window, uint32_t mouse_message, int32_t x, int32_t y);
void DesktopChanged(int32_t bits, int32_t width, int32_t height);  // kWmDisplayChange to every window

// ---- Tests ----

// Runs at the start of every PeekMessage instead of reading SDL's events; null restores SDL.
void SetEventSource(std::function<void()> source);

// What a window looks like now; nullopt for an unknown window.
struct WindowInfo {
  std::string class_name;
  std::string title;
  uint32_t style = 0, ex_style = 0;
  Rect outer;
  bool visible = false;
  bool topmost = false;
  bool ime_enabled = false;
  std::vector<Rect> region;
};
std::optional<WindowInfo> GetWindowInfo(WindowHandle window);

// Receives the name of each state-changing call as it happens ("CreateWindow",
// "DestroyWindow", "RegisterClass", "UnregisterClass", "ComInitialize",
// "ComUninitialize", "SetWindowRegion"); null stops it.
void SetCallObserver(std::function<void(std::string_view)> observer);

// Calls that fail from now on.
struct Failures {
  bool register_class = false;
  bool create_window = false;
  bool com_initialize = false;
};
void InjectFailures(const Failures& failures);

void OverrideDesktopMode(std::optional<DesktopMode> mode);
void SetInstanceLockPath(std::optional<std::string> path);

// Destroys every window (without messages) and clears classes, queue, regions, COM count,
// cursor, hooks and overrides. A held instance lock stays held.
void ResetWindowStandIn();

}  // namespace plat::window
