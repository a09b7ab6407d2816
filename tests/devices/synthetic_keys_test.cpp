// The real game, run in this process on a copy of the demo world, played with key events
// pushed into SDL's queue (the way a desktop delivers them, through the same event pump)
// instead of a keyboard: decide opens the title's menu, up chooses NEW_GAME, decide and
// decide with W start and skip the prologue, and the town comes up. The frames must be
// those of the program played by the input script with the same presses.
#include <SDL.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "game/entry/game_main.h"
#include "game/entry/title_screen.h"
#include "game/frame/frame_loop.h"
#include "game/input/key_cast.h"
#include "platform/input/input.h"
#include "platform/surface/presentation.h"
#include "platform/timer/timer.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/vexal/app/library_fixture.h"

namespace {

struct KeyEvent {
  int frame;  // down (or up) while this frame is made
  bool down;
  SDL_Scancode key;
  const char* name;  // the input script's name for it
};
constexpr KeyEvent kPlay[] = {
    {60, true, SDL_SCANCODE_X, "X"},    {61, false, SDL_SCANCODE_X, "X"}, {70, true, SDL_SCANCODE_UP, "Up"},
    {71, false, SDL_SCANCODE_UP, "Up"}, {80, true, SDL_SCANCODE_X, "X"},  {81, false, SDL_SCANCODE_X, "X"},
    {90, true, SDL_SCANCODE_X, "X"},    {90, true, SDL_SCANCODE_W, "W"},  {92, false, SDL_SCANCODE_X, "X"},
    {92, false, SDL_SCANCODE_W, "W"},
};
constexpr int kExitAfter = 200;
// The title, its menu, the cursor moved, the prologue, the wipe, the town.
constexpr int kCompared[] = {59, 65, 75, 82, 88, 95, 150, 200};

std::string FrameList() {
  std::string s;
  for (int f : kCompared) s += (s.empty() ? "" : ",") + std::to_string(f);
  return s;
}

std::string InputScript() {
  std::string s;
  for (const KeyEvent& e : kPlay) s += std::to_string(e.frame) + (e.down ? " down " : " up ") + e.name + "\n";
  return s;
}

// The events not pushed yet, and the keyboard reads seen so far.
std::vector<KeyEvent> pending;
int keyboard_reads = 0;

// The game window's SDL id (0 when there is none yet), so the window hears the keys too.
Uint32 GameWindowId() {
  for (Uint32 id = 1; id < 64; ++id)
    if (SDL_GetWindowFromID(id) != nullptr) return id;
  return 0;
}

// The game samples the keyboard twice a frame, at its end: all keys, then the pad state
// with the keyboard's bits. After the second read the events due in the next frame are
// pushed, so that frame's sample sees them in both reads, as it sees the input script's.
void PushDueKeys() {
  if (++keyboard_reads % 2 != 0) return;
  const uint64_t next = plat::presentation::PresentedFrames() + 2;
  while (!pending.empty() && uint64_t(pending.front().frame) <= next) {
    const KeyEvent& k = pending.front();
    SDL_Event e{};
    e.type = k.down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = k.down ? SDL_PRESSED : SDL_RELEASED;
    e.key.windowID = GameWindowId();
    e.key.keysym.scancode = k.key;
    e.key.keysym.sym = SDL_GetKeyFromScancode(k.key);
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    pending.erase(pending.begin());
  }
}

class SyntheticKeysTest : public apptest::LibraryTest {
 protected:
  // As the program starts: nothing of the library's test set-up but the resets, the lock
  // and the folder.
  void SetUp() override {
    alarm(300);
    ResetEverything();
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(reference_.CopyDemoWorld());
    plat::window::SetInstanceLockPath(dir_.File("instance.lock"));
    plat::timer::UseVirtualClock(true, 0);
    old_dir_ = plat::fs::CurrentDirectory();
    plat::fs::SetCurrentDirectory(data_);
    // The objects that read their files as the program starts read them again here.
    game::TheTitleScreen.LoadPrologue();
    game::KeyInput = game::KeyCast();
  }
  void TearDown() override {
    plat::input::SetCallObserver(nullptr);
    nltest::ClearHarnessHere();
    LibraryTest::TearDown();
  }

  const std::string data_ = dir_.File("data");
  // The program played by its input script, and the game played in this process; both on
  // the same data folder, each with its own lock and frames.
  nltest::GameRun reference_{data_, dir_.File("scripted")}, pushed_{data_, dir_.File("pushed")};
};

TEST_F(SyntheticKeysTest, PushedKeyEventsPlayTheTitleIntoTheTown) {
  // The reference: the program itself, the same presses from its input script.
  ASSERT_TRUE(reference_.InputText(InputScript()));
  reference_.Capture(FrameList());
  reference_.ExitAfter(kExitAfter);
  reference_.Output("/dev/null", "/dev/null");
  ASSERT_EQ(reference_.Run(), 0);
  reference_.RemoveLog();

  // Every keyboard read of the game reports to the observer: the keys due are pushed
  // there, on the game's own thread, and the event pump takes them from SDL's queue.
  pending.assign(std::begin(kPlay), std::end(kPlay));
  keyboard_reads = 0;
  plat::input::SetCallObserver([](plat::input::Call call, plat::input::DeviceGuid device, int32_t) {
    if (call == plat::input::Call::GetDeviceState && device == plat::input::kSysKeyboard) PushDueKeys();
  });
  pushed_.Capture(FrameList());
  pushed_.ExitAfter(kExitAfter);
  pushed_.ApplyHere();
  EXPECT_EQ(game::RunGame(), 0);

  EXPECT_TRUE(pending.empty()) << pending.size() << " key events never pushed";
  EXPECT_EQ(plat::presentation::PresentedFrames(), uint64_t(kExitAfter));
  EXPECT_EQ(game::GameMode, game::MODE_FIELD) << "the game ended in the field";
  for (int n : kCompared) {
    const std::optional<nltest::Png> scripted = reference_.Frame(n), pushed = pushed_.Frame(n);
    ASSERT_TRUE(scripted && pushed) << "frame " << n;
    EXPECT_TRUE(scripted->rgb == pushed->rgb) << "frame " << n << " differs from the scripted run's";
  }
  // The title moved on: its menu frame is not its opening frame, the cursor moved, and the
  // town is neither.
  const auto title = pushed_.Frame(59), menu = pushed_.Frame(65), moved = pushed_.Frame(75), town = pushed_.Frame(200);
  ASSERT_TRUE(title && menu && moved && town);
  EXPECT_TRUE(title->rgb != menu->rgb);
  EXPECT_TRUE(menu->rgb != moved->rgb);
  EXPECT_TRUE(moved->rgb != town->rgb);
}

}  // namespace
