// The game on a desktop: the real nightloom on an X server of the test's own (Xvfb), bare
// or under a window manager that frames its windows (twm), on the real clock, with the test
// as a second X client that takes the focus, moves the game's window and closes it as a
// player would.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/game_log.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb_server.h"
// After those and GoogleTest: Xlib's macros (None, Bool, Status) would break their headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

using nltest::Rgb;

// Twice the game's screen, so a full-screen picture fills the display pixel for pixel.
constexpr int kDisplayWidth = 640, kDisplayHeight = 480;
// Every wait polls for its condition; these bound them (in ms) generously for a loaded
// machine. (<chrono> does not compile with the game's execution character set.)
constexpr int64_t kStartTime = 60000;
constexpr int64_t kEventTime = 30000;

int64_t NowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t{t.tv_sec} * 1000 + t.tv_nsec / 1000000;
}

bool WaitUntil(const std::function<bool()>& condition, int64_t limit_ms) {
  const int64_t end = NowMs() + limit_ms;
  while (!condition()) {
    if (NowMs() > end) return false;
    usleep(20000);
  }
  return true;
}

// Log lines the tests wait for (Shift-JIS, as the log is written).
const std::string kInactiveLine = "非アクティブになりました";
const std::string kActiveLine = "アクティブになりました";
const std::string kGraphsBackLine = "グラフィックを復帰します";
const std::string kLoadFailed = "がロードできませんでした";
const std::string kShutDownLine = "ＣＯＭを終了";

// twm with the one font every X server has, placing new windows where they ask.
constexpr char kTwmSettings[] =
    "TitleFont \"fixed\"\nResizeFont \"fixed\"\nMenuFont \"fixed\"\nIconFont \"fixed\"\n"
    "IconManagerFont \"fixed\"\nRandomPlacement\nUsePPosition \"on\"\n";

int g_x_error = 0;  // the last X error code the handler saw
int RecordXError(Display*, XErrorEvent* e) {
  g_x_error = e->error_code;
  return 0;
}

// An X server of the test's own, optionally with twm on it, and a small window of the
// test's that takes the focus away from the game.
class Desktop {
 public:
  Desktop(bool framing_manager, const nltest::TempDir& dir) : server_(kDisplayWidth, kDisplayHeight) {
    if (server_.name().empty()) return;
    display_ = XOpenDisplay(server_.name().c_str());
    if (display_ == nullptr) return;
    XSetErrorHandler(RecordXError);
    if (framing_manager) {
      const std::string twm = nltest::FindOnPath("twm");
      if (twm.empty()) return;
      const std::string settings = dir.File("twmrc");
      nltest::WriteFileBytes(settings, kTwmSettings);
      manager_ = fork();
      if (manager_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        setenv("DISPLAY", server_.name().c_str(), 1);
        setenv("LC_ALL", "C", 1);
        freopen("/dev/null", "w", stderr);
        execl(twm.c_str(), "twm", "-f", settings.c_str(), static_cast<char*>(nullptr));
        _exit(127);
      }
      if (!WaitUntil([&] { return ManagerRuns(); }, kStartTime)) return;
    }
    MakeFocusTaker();
    ready_ = true;
  }
  ~Desktop() {
    if (manager_ > 0) {
      kill(manager_, SIGTERM);
      waitpid(manager_, nullptr, 0);
    }
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  bool ready() const { return ready_; }
  const std::string& name() const { return server_.name(); }
  Display* display() const { return display_; }

  // The game's own window (by its title), 0 while there is none.
  Window GameWindow() { return Find(DefaultRootWindow(display_), "NIGHTLOOM"); }

  // The window's client area in root coordinates, and whether it shows.
  struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool viewable = false;
    bool operator==(const Geometry&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Geometry& g) {
      return out << g.width << "x" << g.height << "+" << g.x << "+" << g.y << (g.viewable ? " shown" : " hidden");
    }
  };
  Geometry GeometryOf(Window w) {
    XSync(display_, False);
    Geometry g;
    XWindowAttributes a;
    g_x_error = 0;
    if (!XGetWindowAttributes(display_, w, &a) || g_x_error != 0) return g;
    Window child;
    XTranslateCoordinates(display_, w, DefaultRootWindow(display_), 0, 0, &g.x, &g.y, &child);
    g.width = a.width;
    g.height = a.height;
    g.viewable = a.map_state == IsViewable;
    return g;
  }

  void TakeFocus() {
    XSetInputFocus(display_, focus_taker_, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
  }
  void GiveFocus(Window game) {
    XSetInputFocus(display_, game, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
  }
  // As a window manager's keyboard move or a script's would: the client asks for a place.
  void Move(Window game, int x, int y) {
    XMoveWindow(display_, game, x, y);
    XSync(display_, False);
  }
  // The close button: the manager's (or anyone's) delete request.
  void Close(Window game) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = game;
    e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, game, False, NoEventMask, &e);
    XSync(display_, False);
  }
  // A real key press on the keyboard, as a player's (it goes where the focus is).
  void Key(KeySym key, bool down) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), down ? True : False, CurrentTime);
    XSync(display_, False);
  }
  // The whole display as 8-bit RGB, top row first.
  std::vector<uint8_t> Screen() {
    std::vector<uint8_t> rgb;
    XImage* image =
        XGetImage(display_, DefaultRootWindow(display_), 0, 0, kDisplayWidth, kDisplayHeight, AllPlanes, ZPixmap);
    if (image == nullptr) return rgb;
    for (int y = 0; y < kDisplayHeight; ++y)
      for (int x = 0; x < kDisplayWidth; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        rgb.push_back(static_cast<uint8_t>(p >> 16));
        rgb.push_back(static_cast<uint8_t>(p >> 8));
        rgb.push_back(static_cast<uint8_t>(p));
      }
    XDestroyImage(image);
    return rgb;
  }

 private:
  // Another client holds the root's redirection: a window manager is at work.
  bool ManagerRuns() {
    g_x_error = 0;
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureRedirectMask);
    XSync(display_, False);
    const bool taken = g_x_error == BadAccess;
    XSelectInput(display_, DefaultRootWindow(display_), NoEventMask);
    XSync(display_, False);
    return taken;
  }
  void MakeFocusTaker() {
    Window root = DefaultRootWindow(display_);
    focus_taker_ = XCreateSimpleWindow(display_, root, kDisplayWidth - 60, kDisplayHeight - 60, 40, 40, 0, 0, 0);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = kDisplayWidth - 60;
    hints.y = kDisplayHeight - 60;
    hints.width = hints.height = 40;
    XSetWMNormalHints(display_, focus_taker_, &hints);
    XStoreName(display_, focus_taker_, "focus taker");
    XMapWindow(display_, focus_taker_);
    WaitUntil([&] { return GeometryOf(focus_taker_).viewable; }, kStartTime);
  }
  Window Find(Window w, const char* title) {
    char* name = nullptr;
    g_x_error = 0;
    if (XFetchName(display_, w, &name) && name != nullptr) {
      const bool match = std::string(name) == title;
      XFree(name);
      if (match) return w;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(display_, w, &root, &parent, &children, &n)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < n && found == 0; ++i) found = Find(children[i], title);
    if (children != nullptr) XFree(children);
    return found;
  }

  nltest::XvfbServer server_;
  Display* display_ = nullptr;
  pid_t manager_ = 0;
  Window focus_taker_ = 0;
  bool ready_ = false;
};

// The real game in a copy of the demo world, on the desktop's server and the real clock,
// every frame captured; its frames and log stay in the test's folder.
class Game {
 public:
  Game(const nltest::TempDir& dir, const std::map<int, int>& settings, const std::string& input)
      : run_(dir.File("data"), dir.path()) {
    EXPECT_TRUE(run_.CopyDemoWorld());
    EXPECT_TRUE(run_.ChangeSettings(settings));
    if (!input.empty()) {
      EXPECT_TRUE(run_.InputText(input));
    }
    std::filesystem::create_directories(run_.File("frames"));
    run_.Capture();
    run_.RealClock();
    run_.Set("SDL_VIDEODRIVER", "x11");
    run_.Output("/dev/null", run_.File("stderr.txt"));
  }

  void Start(const std::string& display) {
    run_.Set("DISPLAY", display);
    run_.Start();
  }
  // The exit status once the program ends within the limit; nullopt while it runs on.
  std::optional<int> Exit(int64_t limit) { return run_.WaitFor(long(limit)); }
  void Signal(int signal) { run_.Signal(signal); }

  std::string Log() const { return run_.Log(); }
  size_t LogCount(const std::string& text) const { return size_t(nltest::CountLogged(Log(), text)); }
  // Lines whose message (after the time stamp and the indent) is exactly `message`.
  size_t LineCount(const std::string& message) const { return size_t(nltest::CountLines(Log(), message)); }
  // The number of the last frame captured, 0 before the first.
  int LastFrame() const { return int(run_.LastFrame()); }
  bool WaitForFrame(int n, int64_t limit) const {
    return WaitUntil([&] { return LastFrame() >= n; }, limit);
  }
  // A captured frame, read again until it is whole.
  std::optional<nltest::Png> Frame(int n) const {
    std::optional<nltest::Png> png;
    WaitUntil([&] { return (png = run_.Frame(n)).has_value(); }, 5000);
    return png;
  }

 private:
  nltest::GameRun run_;
};

struct Manager {
  const char* name;
  bool framing;
};

std::string Describe(const ::testing::TestParamInfo<Manager>& info) { return info.param.name; }
void PrintTo(const Manager& m, std::ostream* out) { *out << m.name; }

class OnDesktop : public ::testing::Test {
 protected:
  void Up(bool framing) {
    if (framing && nltest::FindOnPath("twm").empty()) GTEST_SKIP() << "twm is not installed";
    desktop_.emplace(framing, dir_);
    if (desktop_->name().empty()) GTEST_SKIP() << "no Xvfb to run the game on";
    ASSERT_TRUE(desktop_->ready()) << "the desktop did not come up";
  }
  // NL_DESKTOP_KEEP=DIR keeps each case's frames and log in DIR/<case>/ to look at.
  void TearDown() override {
    const char* keep = std::getenv("NL_DESKTOP_KEEP");
    if (keep == nullptr) return;
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name) c = c == '/' ? '-' : c;
    const std::string to = std::string(keep) + "/" + name;
    std::error_code ec;
    std::filesystem::remove_all(to, ec);
    std::filesystem::create_directories(to, ec);
    std::filesystem::copy(dir_.File("frames"), to + "/frames", std::filesystem::copy_options::recursive, ec);
    std::filesystem::copy(dir_.File("data/AppLog.txt"), to + "/AppLog.txt", ec);
  }
  // Starts the game and waits for its window and its first frames (active by then).
  Window StartGame(Game& game, int frames) {
    game.Start(desktop_->name());
    Window w = 0;
    EXPECT_TRUE(WaitUntil([&] { return (w = desktop_->GameWindow()) != 0 && game.LastFrame() >= frames; }, kStartTime))
        << "the game's window and its frame " << frames;
    return w;
  }
  // The focus goes to the test's window; true once the game has seen it.
  bool FocusAway(Game& game) {
    const size_t seen = game.LineCount(kInactiveLine);
    desktop_->TakeFocus();
    return WaitUntil([&] { return game.LineCount(kInactiveLine) > seen; }, kEventTime);
  }
  bool FocusBack(Game& game, Window w) {
    const size_t seen = game.LineCount(kActiveLine);
    desktop_->GiveFocus(w);
    return WaitUntil([&] { return game.LineCount(kActiveLine) > seen; }, kEventTime);
  }
  // Moves the game's window by (dx, dy) and waits until the server has it there.
  bool MoveBy(Window w, int dx, int dy) {
    const Desktop::Geometry before = desktop_->GeometryOf(w);
    desktop_->Move(w, before.x + dx, before.y + dy);
    return WaitUntil(
        [&] {
          const Desktop::Geometry now = desktop_->GeometryOf(w);
          return now.x != before.x || now.y != before.y;
        },
        kEventTime);
  }

  nltest::TempDir dir_;
  std::optional<Desktop> desktop_;
};

class DesktopTest : public OnDesktop, public ::testing::WithParamInterface<Manager> {
 protected:
  void SetUp() override { Up(GetParam().framing); }
};

INSTANTIATE_TEST_SUITE_P(Managers, DesktopTest, ::testing::Values(Manager{"Bare", false}, Manager{"Twm", true}),
                         Describe);

// In window mode a move while another program has the focus is handled inside the pump
// that reads it, and waits there for the application to be active again: that wait must
// see the activation (the game draws on) and the close button (it ends at once).
TEST_P(DesktopTest, AWindowMovedWhileInactiveResumesWhenFocusedAndEndsWhenClosed) {
  Game game(dir_, {{0, 1}}, "");
  const Window w = StartGame(game, 20);
  ASSERT_NE(w, 0u);
  ASSERT_TRUE(FocusAway(game));
  ASSERT_TRUE(MoveBy(w, 40, 30));
  ASSERT_TRUE(FocusBack(game, w)) << "the activation after the move reached the game";
  const int resumed = game.LastFrame();
  EXPECT_TRUE(game.WaitForFrame(resumed + 20, kEventTime)) << "the game draws on after frame " << resumed;

  // Moved again in the background, then closed there.
  ASSERT_TRUE(FocusAway(game));
  ASSERT_TRUE(MoveBy(w, -20, -10));
  desktop_->Close(w);
  EXPECT_EQ(game.Exit(kEventTime), std::optional<int>(0)) << "the close button ends the waiting game";
  EXPECT_EQ(game.LogCount(kShutDownLine), 1u);
}

// The end request of SIGTERM reaches a game that waits inside its move handler.
TEST_P(DesktopTest, AWindowMovedWhileInactiveEndsOnTheEndRequest) {
  Game game(dir_, {{0, 1}}, "");
  const Window w = StartGame(game, 20);
  ASSERT_NE(w, 0u);
  ASSERT_TRUE(FocusAway(game));
  ASSERT_TRUE(MoveBy(w, 40, 30));
  game.Signal(SIGTERM);
  EXPECT_EQ(game.Exit(kEventTime), std::optional<int>(0));
  EXPECT_EQ(game.LogCount(kShutDownLine), 1u);
}

}  // namespace

// The demo's start: the title's menu, NEW_GAME, the prologue skipped with decide + W; the
// town is entered about frame 100, and three steps up (frames 104-126) the player stands
// below the townsman, facing him.
constexpr char kIntoTheTown[] =
    "60 down pad:1\n61 up pad:1\n70 down Up\n71 up Up\n80 down pad:1\n81 up pad:1\n90 down pad:1 W\n"
    "92 up pad:1 W\n104 down Up\n126 up Up\n";
// Every character's head is this colour (the field pictures' skin), 24 to 56 pixels of it
// as the character faces; nothing else in the town has it.
constexpr Rgb kSkin{240, 200, 160};
constexpr int kHeadPixelsAtLeast = 24;
constexpr Rgb kTownGround{40, 36, 72};

// The message window's pixels: deep blue (its shades differ between the rows, which blend
// its background differently); nothing in the town is that blue.
int MessageBluePixels(const nltest::Png& png) {
  int n = 0;
  for (size_t i = 0; i + 2 < png.rgb.size(); i += 3) {
    if (png.rgb[i + 2] >= 100 && png.rgb[i] < 64 && png.rgb[i + 1] < 64) ++n;
  }
  return n;
}

struct Row {
  const char* name;
  int hardware_3d;  // settings entry 2
};
std::string DescribeRow(const ::testing::TestParamInfo<Row>& info) { return info.param.name; }
void PrintTo(const Row& r, std::ostream* out) { *out << r.name; }

class FullScreenTest : public OnDesktop, public ::testing::WithParamInterface<Row> {
 protected:
  void SetUp() override { Up(false); }
};

INSTANTIATE_TEST_SUITE_P(Rows, FullScreenTest, ::testing::Values(Row{"DirectDraw", 0}, Row{"Direct3D", 1}),
                         DescribeRow);

// In full screen a focus change loses the device: every picture comes back afterwards,
// the character sheet too, which was loaded from a temporary file deleted at once, and the
// copy of the screen a message is shown over.
TEST_P(FullScreenTest, AfterFocusChangesTheTownsCharactersAndAMessagesBackgroundAreDrawnAgain) {
  Game game(dir_, {{0, 0}, {2, GetParam().hardware_3d}}, kIntoTheTown);
  const Window w = StartGame(game, 150);
  ASSERT_NE(w, 0u);
  const auto town = game.Frame(150);
  ASSERT_TRUE(town);
  ASSERT_GE(nltest::CountNear(*town, kSkin), 2 * kHeadPixelsAtLeast) << "the player and the townsman";
  ASSERT_GT(nltest::CountNear(*town, kTownGround), 240 * 100);

  // The frame drawn 10 frames after the device came back from a focus change.
  const auto after_focus_change = [&]() -> std::optional<nltest::Png> {
    const size_t restores = game.LineCount(kGraphsBackLine);
    if (!FocusAway(game) || !FocusBack(game, w)) return std::nullopt;
    if (!WaitUntil([&] { return game.LineCount(kGraphsBackLine) > restores; }, kEventTime)) return std::nullopt;
    const int n = game.LastFrame() + 10;
    if (!game.WaitForFrame(n, kEventTime)) return std::nullopt;
    return game.Frame(n);
  };
  const auto back = after_focus_change();
  ASSERT_TRUE(back) << "the device was rebuilt and the game drew on";
  EXPECT_GE(nltest::CountNear(*back, kSkin), 2 * kHeadPixelsAtLeast);
  EXPECT_GT(nltest::CountNear(*back, kTownGround), 240 * 100);

  // X talks to the townsman: his message over a copy of the field.
  desktop_->Key(XK_x, true);
  const int pressed = game.LastFrame();
  ASSERT_TRUE(game.WaitForFrame(pressed + 3, kEventTime));
  desktop_->Key(XK_x, false);
  int shown = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const int n = game.LastFrame();
        const auto f = n > pressed ? game.Frame(n) : std::nullopt;
        shown = n;
        return f && MessageBluePixels(*f) > 240 * 40;
      },
      kEventTime))
      << "the message window";
  const auto message = game.Frame(shown);
  ASSERT_TRUE(message);
  const int ground = nltest::CountNear(*message, kTownGround);
  ASSERT_GT(ground, 240 * 60) << "the town around the message";
  const auto message_back = after_focus_change();
  ASSERT_TRUE(message_back);
  EXPECT_GT(MessageBluePixels(*message_back), 240 * 40);
  EXPECT_EQ(nltest::CountNear(*message_back, kTownGround), ground) << "the copy of the field behind the message";
  EXPECT_GE(nltest::CountNear(*message_back, kSkin), 2 * kHeadPixelsAtLeast);

  EXPECT_EQ(game.LogCount(kLoadFailed), 0u) << "no graph failed to load again";
  game.Signal(SIGTERM);
  EXPECT_EQ(game.Exit(kEventTime), std::optional<int>(0));
}

class FullScreenPlaceTest : public OnDesktop, public ::testing::WithParamInterface<Manager> {
 protected:
  void SetUp() override { Up(GetParam().framing); }
  // Where the game's window is and what the display shows, against the frame it shows:
  // the whole display, each pixel of the 320 x 240 frame a 2 x 2 block from the corner.
  void ExpectCoversTheDisplay(Game& game, Window w) {
    EXPECT_EQ(desktop_->GeometryOf(w), (Desktop::Geometry{0, 0, kDisplayWidth, kDisplayHeight, true}));
    const auto shown = game.Frame(game.LastFrame());
    ASSERT_TRUE(shown);
    const std::vector<uint8_t> screen = desktop_->Screen();
    ASSERT_EQ(screen.size(), size_t{kDisplayWidth} * kDisplayHeight * 3);
    int differ = 0, first = -1;
    for (int y = 0; y < kDisplayHeight; ++y)
      for (int x = 0; x < kDisplayWidth; ++x) {
        const size_t at = (size_t(y) * kDisplayWidth + x) * 3, from = (size_t(y / 2) * 320 + x / 2) * 3;
        if (std::equal(&screen[at], &screen[at] + 3, &shown->rgb[from])) continue;
        if (differ++ == 0) first = y * kDisplayWidth + x;
      }
    EXPECT_EQ(differ, 0) << "first at (" << first % kDisplayWidth << ", " << first / kDisplayWidth << ")";
  }
};

INSTANTIATE_TEST_SUITE_P(Managers, FullScreenPlaceTest, ::testing::Values(Manager{"Bare", false}, Manager{"Twm", true}),
                         Describe);

// Full screen covers the display from its corner, with or without a manager's frame, and
// again after the device came back from a focus change. The picture is looked at while
// another window has the focus, when the game shows its last frame and draws no other.
TEST_P(FullScreenPlaceTest, FullScreenCoversTheDisplayFromItsCorner) {
  Game game(dir_, {{0, 0}, {1, 1}}, "");
  const Window w = StartGame(game, 30);
  ASSERT_NE(w, 0u);
  ASSERT_TRUE(FocusAway(game));
  ExpectCoversTheDisplay(game, w);
  ASSERT_TRUE(FocusBack(game, w));
  const int back = game.LastFrame();
  ASSERT_TRUE(game.WaitForFrame(back + 10, kEventTime));
  ASSERT_TRUE(FocusAway(game));
  ExpectCoversTheDisplay(game, w);
  game.Signal(SIGTERM);
  EXPECT_EQ(game.Exit(kEventTime), std::optional<int>(0));
}
