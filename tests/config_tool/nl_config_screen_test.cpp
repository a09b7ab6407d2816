// nl_config itself on a virtual X server: where its controls are drawn, the window's
// hints, the hint box following the pointer, the double-size warning answered Cancel then
// OK, the close button, free entries beyond 16 bits kept through OK, and the error box for
// an unreadable file. Screenshots of the whole screen are kept in config_tool_screens/
// under the working directory for a person to see.
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool, Status) would break its headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/xvfb_server.h"
#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;
using Clock = std::chrono::steady_clock;

constexpr char kFormTitle[] = "NIGHTLOOM 設定";
constexpr char kWarningTitle[] = "ち・ゅ～い";
constexpr int kScreenWidth = 480, kScreenHeight = 640;

struct Rect {
  int left, top, width, height;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool Contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
  bool operator==(const Rect&) const = default;
};

// What a control's drawing must touch of its rectangle.
enum class Edges { kAll, kLeft, kNone };  // a frame; a check indicator on the left; text

struct Control {
  const char* name;
  Rect px;  // twips / 15, worked out by hand
  Edges edges;
};

const Control kControls[] = {
    {"Check1(0)", {16, 16, 153, 17}, Edges::kLeft},  {"Check1(1)", {16, 40, 153, 17}, Edges::kLeft},
    {"Check1(2)", {16, 64, 153, 17}, Edges::kLeft},  {"Check1(3)", {16, 88, 177, 17}, Edges::kLeft},
    {"Check1(4)", {16, 112, 177, 17}, Edges::kLeft}, {"Check1(5)", {16, 136, 177, 17}, Edges::kLeft},
    {"Check1(6)", {16, 160, 177, 17}, Edges::kLeft}, {"Check1(7)", {16, 184, 177, 17}, Edges::kLeft},
    {"Label1", {16, 228, 41, 17}, Edges::kNone},     {"Combo1", {64, 224, 137, 20}, Edges::kAll},
    {"Text1", {16, 256, 177, 129}, Edges::kAll},     {"Command1", {40, 392, 121, 25}, Edges::kAll},
};
constexpr int kText1 = 10, kCommand1 = 11;

Rect Inset(Rect r, int by) { return {r.left + by, r.top + by, r.width - 2 * by, r.height - 2 * by}; }
int CentreX(Rect r) { return r.left + r.width / 2; }
int CentreY(Rect r) { return r.top + r.height / 2; }

bool WaitForExit(pid_t pid, int& status, std::chrono::milliseconds limit) {
  const auto until = Clock::now() + limit;
  while (Clock::now() < until) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void Stop(pid_t& pid) {
  if (pid <= 0) return;
  int status = 0;
  kill(pid, SIGTERM);
  if (!WaitForExit(pid, status, std::chrono::seconds(5))) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  pid = 0;
}

// A virtual X server on a free display, for one test.
class VirtualScreen {
 public:
  VirtualScreen() : server_(kScreenWidth, kScreenHeight) {
    if (server_.name().empty()) return;
    // A window can go between listing it and asking about it; Xlib's own handler would
    // end the test program there.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    display_ = XOpenDisplay(server_.name().c_str());
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

std::string WindowTitle(Display* d, Window w) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(d, "UTF8_STRING", False), &type, &format, &count, &after, &data) == Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), count);
  }
  if (data) XFree(data);
  return title;
}

std::vector<long> CardinalProperty(Display* d, Window w, const char* name, Atom want_type) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1 << 16, False, want_type, &type, &format, &count,
                         &after, &data) == Success &&
      data && format == 32) {
    const long* v = reinterpret_cast<const long*>(data);
    values.assign(v, v + count);
  }
  if (data) XFree(data);
  return values;
}

struct FoundWindow {
  Window id = 0;
  Rect on_screen{};
};

// The shown top-level windows with this title.
std::vector<FoundWindow> WindowsTitled(Display* d, const std::string& title) {
  std::vector<FoundWindow> found;
  Window root_back, parent, *children = nullptr;
  unsigned count = 0;
  XSync(d, False);
  if (!XQueryTree(d, DefaultRootWindow(d), &root_back, &parent, &children, &count)) return found;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
    if (WindowTitle(d, children[i]) != title) continue;
    found.push_back({children[i], {a.x, a.y, a.width, a.height}});
  }
  if (children) XFree(children);
  return found;
}

std::optional<FoundWindow> WaitForWindow(Display* d, const std::string& title, std::function<bool(const Rect&)> fits) {
  const auto until = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < until) {
    for (const FoundWindow& w : WindowsTitled(d, title)) {
      if (fits(w.on_screen)) return w;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::nullopt;
}

// The root window's pixels, as `import -window root` would take them.
Picture GrabScreen(Display* d) {
  XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, kScreenWidth, kScreenHeight, AllPlanes, ZPixmap);
  Picture picture(kScreenWidth, kScreenHeight);
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      picture.At(x, y) = {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
    }
  }
  XDestroyImage(image);
  return picture;
}

// The screen once nothing changes on it any more and until holds.
Picture SettledScreen(Display* d, std::function<bool(const Picture&)> until = nullptr) {
  Picture last = GrabScreen(d);
  const auto limit = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    Picture now = GrabScreen(d);
    if (now.pixels == last.pixels && (!until || until(now))) return now;
    last = std::move(now);
  }
  return last;
}

Picture Crop(const Picture& screen, Rect r) {
  Picture out(r.width, r.height);
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) out.At(x, y) = screen.At(r.left + x, r.top + y);
  return out;
}

// The smallest rectangle around every pixel of r unlike the background; empty when none.
Rect InkBounds(const Picture& form, Rect r, Rgb background) {
  int left = r.right(), top = r.bottom(), right = r.left, bottom = r.top;
  for (int y = r.top; y < r.bottom(); ++y) {
    for (int x = r.left; x < r.right(); ++x) {
      if (form.At(x, y) == background) continue;
      left = std::min(left, x), right = std::max(right, x + 1);
      top = std::min(top, y), bottom = std::max(bottom, y + 1);
    }
  }
  return right > left ? Rect{left, top, right - left, bottom - top} : Rect{0, 0, 0, 0};
}

void SaveScreen(const Picture& screen, const std::string& name) {
  std::filesystem::create_directories("config_tool_screens");
  nltools::WritePng("config_tool_screens/" + name, screen);
}

void MovePointer(Display* d, int x, int y) {
  XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
  XSync(d, False);
}

void Click(Display* d, int x, int y) {
  MovePointer(d, x, y);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XTestFakeButtonEvent(d, 1, False, CurrentTime);
  XSync(d, False);
}

void PressKey(Display* d, KeySym key) {
  const KeyCode code = XKeysymToKeycode(d, key);
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  XSync(d, False);
}

// A settings file in the tool's form with these first entries and 100 + i after entry 8.
std::string SettingsText(std::vector<int> first) {
  std::string text = "NLTEST\r\n";
  for (int i = 0; i < 256; ++i) {
    const int v = i < static_cast<int>(first.size()) ? first[i] : i > 8 ? 100 + i : 0;
    text += (v < 0 ? std::to_string(v) : " " + std::to_string(v)) + " \r\n";
  }
  return text;
}

// One nl_config started in a data folder of its own on the virtual screen.
class NlConfigScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!screen_.ok()) GTEST_SKIP() << "no Xvfb to run the dialog on";
    std::filesystem::create_directory(data_.File("system"));
  }
  void TearDown() override { Stop(pid_); }

  std::string SettingsPath() const { return data_.File("system/nlconfig.inf"); }
  std::string SettingsNow() const { return nltest::ReadFileBytes(SettingsPath()); }

  void Start(const std::string& settings) {
    ASSERT_TRUE(nltest::WriteFileBytes(SettingsPath(), settings));
    const std::string log = data_.File("stderr.txt");
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(data_.path().c_str()) != 0) _exit(126);
      setenv("DISPLAY", screen_.name().c_str(), 1);
      setenv("GDK_BACKEND", "x11", 1);
      setenv("NO_AT_BRIDGE", "1", 1);
      setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // GTK keeps what it allocates until exit
      const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      execl(NL_CONFIG_PATH, "nl_config", static_cast<char*>(nullptr));
      _exit(127);
    }
  }

  // Form1, found by its title and its 208 x 498 client area.
  std::optional<FoundWindow> WaitForForm() {
    auto form =
        WaitForWindow(screen_.display(), kFormTitle, [](const Rect& r) { return r.width == 208 && r.height == 498; });
    if (!form) {
      for (const FoundWindow& w : WindowsTitled(screen_.display(), kFormTitle))
        ADD_FAILURE() << "a window of " << w.on_screen.width << " x " << w.on_screen.height << " instead";
      SaveScreen(GrabScreen(screen_.display()), "no-form.png");
    }
    return form;
  }

  // Exit status of nl_config, or -1 when it is still running after a while.
  int ExitStatus() {
    int status = 0;
    if (!WaitForExit(pid_, status, std::chrono::seconds(20))) return -1;
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  // The screen once the form has drawn its last controls.
  Picture FormDrawn(const FoundWindow& form) {
    return SettledScreen(display(), [&](const Picture& screen) {
      const Picture client = Crop(screen, form.on_screen);
      for (int control : {7, kCommand1}) {
        if (InkBounds(client, kControls[control].px, client.At(1, 1)).width == 0) return false;
      }
      return true;
    });
  }

  bool Running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

  Display* display() const { return screen_.display(); }

  VirtualScreen screen_;
  nltest::TempDir data_;
  pid_t pid_ = 0;
};

TEST_F(NlConfigScreenTest, ControlsAreDrawnAtTheirPlacesAndNowhereElse) {
  // Box 0 ticked, box 2 grey, font 4.
  const std::string settings = SettingsText({1, 0, 2, 0, 0, 0, 0, 0, 4});
  Start(settings);
  std::optional<FoundWindow> form = WaitForForm();
  ASSERT_TRUE(form) << nltest::ReadFileBytes(data_.File("stderr.txt"));
  Display* d = display();

  // Fixed size, a dialog without a task-bar button, moved and closed but not resized,
  // minimised or maximised, with a 32 x 32 icon.
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(d, form->id, &hints, &supplied));
  EXPECT_TRUE(hints.flags & PMinSize && hints.flags & PMaxSize);
  EXPECT_EQ(std::vector<int>({hints.min_width, hints.min_height, hints.max_width, hints.max_height}),
            std::vector<int>({208, 498, 208, 498}));
  const std::vector<long> state = CardinalProperty(d, form->id, "_NET_WM_STATE", XA_ATOM);
  EXPECT_NE(
      std::find(state.begin(), state.end(), static_cast<long>(XInternAtom(d, "_NET_WM_STATE_SKIP_TASKBAR", False))),
      state.end());
  const std::vector<long> type = CardinalProperty(d, form->id, "_NET_WM_WINDOW_TYPE", XA_ATOM);
  ASSERT_FALSE(type.empty());
  EXPECT_EQ(type[0], static_cast<long>(XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False)));
  const Atom motif = XInternAtom(d, "_MOTIF_WM_HINTS", False);
  const std::vector<long> frame = CardinalProperty(d, form->id, "_MOTIF_WM_HINTS", motif);
  ASSERT_GE(frame.size(), 3u);
  EXPECT_EQ(frame[1], 0x04 | 0x20) << "functions: move and close";
  EXPECT_EQ(frame[2], 0x02 | 0x08 | 0x10) << "decorations: border, title and menu";
  const std::vector<long> icon = CardinalProperty(d, form->id, "_NET_WM_ICON", XA_CARDINAL);
  ASSERT_GE(icon.size(), 2u);
  EXPECT_EQ(icon[0], 32);
  EXPECT_EQ(icon[1], 32);

  const Picture screen = FormDrawn(*form);
  SaveScreen(screen, "form.png");
  const Picture client = Crop(screen, form->on_screen);
  const Rgb background = client.At(1, 1);

  for (const Control& c : kControls) {
    const Rect ink = InkBounds(client, c.px, background);
    EXPECT_GT(ink.width, 0) << c.name << " draws nothing";
    if (c.edges == Edges::kAll) {
      EXPECT_EQ(ink, c.px) << c.name << "'s frame is its rectangle";
    } else if (c.edges == Edges::kLeft) {
      EXPECT_EQ(ink.left, c.px.left) << c.name << "'s indicator is at its left edge";
    }
  }
  int stray = 0;
  for (int y = 0; y < client.height; ++y) {
    for (int x = 0; x < client.width; ++x) {
      bool inside = false;
      for (const Control& c : kControls) inside = inside || c.px.Contains(x, y);
      if (!inside && !(client.At(x, y) == background) && stray++ < 5)
        ADD_FAILURE() << "drawn outside every control at " << x << ", " << y;
    }
  }
  EXPECT_EQ(stray, 0);
  // The hint box starts empty, in the dialog's own face colour.
  EXPECT_EQ(InkBounds(client, Inset(kControls[kText1].px, 2), background).width, 0);

  // The close button ends the program and writes nothing.
  Click(d, form->on_screen.left + CentreX(kControls[1].px), form->on_screen.top + CentreY(kControls[1].px));
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = form->id;
  close.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, form->id, False, NoEventMask, &close);
  XSync(d, False);
  EXPECT_EQ(ExitStatus(), 0);
  EXPECT_EQ(SettingsNow(), settings);
}

TEST_F(NlConfigScreenTest, HintBoxShowsTheHintOfTheBoxLastUnderThePointer) {
  Start(SettingsText({}));
  std::optional<FoundWindow> form = WaitForForm();
  ASSERT_TRUE(form);
  Display* d = display();
  const Rect text1 = Inset(kControls[kText1].px, 2);
  auto at = [&](const Rect& r) {
    return std::pair{form->on_screen.left + CentreX(r), form->on_screen.top + CentreY(r)};
  };
  auto hint_of = [&](const Picture& screen) { return Crop(Crop(screen, form->on_screen), text1); };
  const Picture empty = hint_of(FormDrawn(*form));
  const Rgb face = empty.At(0, 0);

  auto [x6, y6] = at(kControls[6].px);
  MovePointer(d, x6, y6);
  const Picture over6 = SettledScreen(d, [&](const Picture& s) { return !(hint_of(s).pixels == empty.pixels); });
  SaveScreen(over6, "hint-box6.png");
  const Picture hint6 = hint_of(over6);
  const Rect ink6 = InkBounds(hint6, {0, 0, hint6.width, hint6.height}, face);
  EXPECT_GT(ink6.width, 0) << "box 6's hint is shown";
  EXPECT_LT(ink6.height, 20) << "box 6's hint is one line";

  // Off every box, into the empty lower corner: the hint stays.
  MovePointer(d, form->on_screen.left + 200, form->on_screen.top + 480);
  EXPECT_EQ(hint_of(SettledScreen(d)).pixels, hint6.pixels);

  auto [x4, y4] = at(kControls[4].px);
  MovePointer(d, x4, y4);
  const Picture over4 = SettledScreen(d, [&](const Picture& s) { return !(hint_of(s).pixels == hint6.pixels); });
  SaveScreen(over4, "hint-box4.png");
  const Picture hint4 = hint_of(over4);
  EXPECT_GT(InkBounds(hint4, {0, 0, hint4.width, hint4.height}, face).height, 60) << "box 4's hint runs over lines";
}

TEST_F(NlConfigScreenTest, DoubleSizeWarningCancelKeepsTheDialogOkWrites) {
  const std::string settings = SettingsText({0, 1, 2, 0, 0, 0, 0, 0, 2});
  Start(settings);
  std::optional<FoundWindow> form = WaitForForm();
  ASSERT_TRUE(form);
  Display* d = display();
  auto click = [&](const Rect& r) { Click(d, form->on_screen.left + CentreX(r), form->on_screen.top + CentreY(r)); };
  FormDrawn(*form);
  click(kControls[2].px);  // grey box 2 becomes ticked
  SettledScreen(d);
  click(kControls[4].px);  // tick box 4
  SettledScreen(d);
  click(kControls[kCommand1].px);
  auto is_warning = [](const Rect& r) { return r.width != 208 || r.height != 498; };
  std::optional<FoundWindow> warning = WaitForWindow(d, kWarningTitle, is_warning);
  ASSERT_TRUE(warning) << "the warning box appears";
  SaveScreen(SettledScreen(d), "warning.png");

  auto answer = [&](const FoundWindow& box, KeySym key) {
    MovePointer(d, box.on_screen.left + box.on_screen.width / 2, box.on_screen.top + 4);
    XSetInputFocus(d, box.id, RevertToParent, CurrentTime);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    PressKey(d, key);
  };
  answer(*warning, XK_Escape);  // Cancel
  const auto until = Clock::now() + std::chrono::seconds(10);
  while (!WindowsTitled(d, kWarningTitle).empty() && Clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(WindowsTitled(d, kWarningTitle).empty()) << "Cancel closes the warning";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(Running()) << "the dialog stays";
  EXPECT_EQ(SettingsNow(), settings);

  SettledScreen(d);
  click(kControls[kCommand1].px);
  warning = WaitForWindow(d, kWarningTitle, is_warning);
  ASSERT_TRUE(warning) << "the warning box appears again";
  answer(*warning, XK_Return);  // OK, the default button
  EXPECT_EQ(ExitStatus(), 0);
  EXPECT_EQ(SettingsNow(), SettingsText({0, 1, 1, 0, 1, 0, 0, 0, 2}));
}

TEST_F(NlConfigScreenTest, FreeEntriesBeyond16BitsOpenTheDialogAndKeepTheirValuesAfterOk) {
  const std::string settings = SettingsText({0, 0, 0, 0, 0, 0, 0, 0, 0, 123456789, INT32_MIN, INT32_MAX, -70000});
  Start(settings);
  std::optional<FoundWindow> form = WaitForForm();
  ASSERT_TRUE(form) << nltest::ReadFileBytes(data_.File("stderr.txt"));
  SaveScreen(FormDrawn(*form), "free-entries.png");
  const Rect ok = kControls[kCommand1].px;
  Click(display(), form->on_screen.left + CentreX(ok), form->on_screen.top + CentreY(ok));
  EXPECT_EQ(ExitStatus(), 0);
  const std::string written = SettingsNow();
  EXPECT_EQ(written, settings);
  EXPECT_NE(written.find("\r\n 123456789 \r\n-2147483648 \r\n 2147483647 \r\n-70000 \r\n"), std::string::npos);
}

TEST_F(NlConfigScreenTest, TabFollowsTheFormsTabOrder) {
  Start(SettingsText({0, 0, 0, 0, 0, 0, 0, 0, 2}));
  std::optional<FoundWindow> form = WaitForForm();
  ASSERT_TRUE(form);
  Display* d = display();
  FormDrawn(*form);
  MovePointer(d, form->on_screen.left + 200, form->on_screen.top + 480);
  XSetInputFocus(d, form->id, RevertToParent, CurrentTime);
  XSync(d, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto keys = [&](std::initializer_list<KeySym> list) {
    for (KeySym key : list) {
      PressKey(d, key);
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
  };
  // Focus starts on box 0. Tab order: boxes 0, 1, 2, OK, boxes 3, 4, the hint box,
  // boxes 5, 6, 7, the font list, then round to box 0.
  keys({XK_Tab, XK_Tab, XK_Tab, XK_Tab, XK_space});  // box 3
  keys({XK_Tab, XK_Tab, XK_Tab, XK_space});          // box 5
  keys({XK_Tab, XK_Tab, XK_Tab, XK_Down});           // the font list, one item down
  keys({XK_Tab, XK_Tab, XK_Tab, XK_Tab, XK_space});  // round to OK
  EXPECT_EQ(ExitStatus(), 0);
  EXPECT_EQ(SettingsNow(), SettingsText({0, 0, 0, 1, 0, 1, 0, 0, 3}));
}

TEST_F(NlConfigScreenTest, UnreadableFileShowsAnErrorBoxInsteadOfTheDialog) {
  std::string settings = SettingsText({});
  settings.resize(settings.size() / 2);  // about 128 entries
  Start(settings);
  Display* d = display();
  std::optional<FoundWindow> box =
      WaitForWindow(d, kFormTitle, [](const Rect& r) { return r.width != 208 || r.height != 498; });
  ASSERT_TRUE(box) << "an error box";
  SaveScreen(SettledScreen(d), "load-error.png");
  EXPECT_TRUE(WindowsTitled(d, kFormTitle).size() == 1) << "and no dialog";
  MovePointer(d, box->on_screen.left + box->on_screen.width / 2, box->on_screen.top + 4);
  XSetInputFocus(d, box->id, RevertToParent, CurrentTime);
  XSync(d, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  PressKey(d, XK_Return);
  EXPECT_EQ(ExitStatus(), 1);
  EXPECT_EQ(SettingsNow(), settings);
  EXPECT_NE(nltest::ReadFileBytes(data_.File("stderr.txt")).find("system/nlconfig.inf: the file ends after"),
            std::string::npos);
}

}  // namespace
