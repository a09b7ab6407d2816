// A long run of the game under the virtual clock: the party walks from the title to the
// field and wanders there, fighting whatever it meets, for NL_SOAK_FRAMES frames (5,000
// by default; scripts/run-soak runs 100,000). Every 500 frames the process's resident
// memory and the handle tables are sampled; the run fails if either grows once the
// first battle is over. The game runs in this process (its own frame loop, as the
// program's) so that the tables can be read between frames.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "game/data/game_data.h"
#include "game/data/play_timer.h"
#include "game/entry/battle_wiring.h"
#include "game/entry/debug_switch.h"
#include "game/entry/frame_loop.h"
#include "game/entry/game_start.h"
#include "game/entry/title_screen.h"
#include "game/input/key_cast.h"
#include "game/menu/field_menu.h"
#include "platform/sound.h"
#include "tests/support/temp_dir.h"
#include "vexal/app/sound_handle.h"
#include "vexal/app/window_mode.h"
#include "vexal/graphics/bmp_data_table.h"
#include "vexal/graphics/draw_target.h"
#include "vexal/graphics/font_table.h"
#include "vexal/graphics/graph_table.h"
#include "vexal/graphics/graphics_seam.h"
#include "vexal/graphics/screen_present.h"

// Freed memory goes back to the allocator at once, so that the resident size measures
// what the game holds rather than the sanitizer's quarantine.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=0:thread_local_quarantine_size_kb=0"; }

namespace {

constexpr int kDefaultFrames = 5000;
constexpr int kSampleEvery = 500;
constexpr int kFirstWanderFrame = 700;  // the party stands in the field by then
constexpr int kWanderPeriod = 120;      // frames of one round there
// Resident memory may move by allocator noise; more than this over the run is growth.
constexpr long kRssSlackKb = 2048;

struct Sample {
  int frame = 0;
  long rss_kb = 0;
  int graphs = 0, bmp_data = 0, sounds = 0, fonts = 0;
  size_t sound_buffers = 0;
};

long ResidentKb() {
  long pages_total = 0, pages_resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return -1;
  const int n = std::fscanf(f, "%ld %ld", &pages_total, &pages_resident);
  std::fclose(f);
  return n == 2 ? pages_resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

Sample TakeSample(int frame) {
  Sample s;
  s.frame = frame;
  s.rss_kb = ResidentKb();
  s.graphs = vexal::GraphTable.Count;
  s.bmp_data = vexal::BmpDataTable.Count;
  s.sounds = static_cast<int>(std::count_if(vexal::SoundHandleTable.Records.begin(), vexal::SoundHandleTable.Records.end(),
                                            [](const vexal::SoundRecord& r) { return r.InUse != 0; }));
  for (int h = 0; h < vexal::kFontHandleCount; ++h) s.fonts += vexal::CheckFontHandle(h);
  s.sound_buffers = plat::sound::LiveBufferCount();
  return s;
}

// The play-through's way into the field (its lines before frame 700: the town, the chest,
// the shop, the gate and a step up), then rounds of two taps west, two east, two east and
// two west along the row above the gate (walls at both ends), decide tapped after each
// pair so that fights and their messages go on.
std::string WanderScript(const std::string& new_game, int frames) {
  std::string script;
  size_t at = 0;
  while (at < new_game.size()) {
    size_t end = new_game.find('\n', at);
    if (end == std::string::npos) end = new_game.size();
    const std::string line = new_game.substr(at, end - at);
    if (!line.empty() && line[0] != '#' && std::atoi(line.c_str()) < kFirstWanderFrame) script += line + "\n";
    at = end + 1;
  }
  auto tap = [&script](int frame, const char* input) {
    script += std::to_string(frame) + " down " + input + "\n" + std::to_string(frame + 1) + " up " + input + "\n";
  };
  for (int f = kFirstWanderFrame; f + kWanderPeriod <= frames; f += kWanderPeriod) {
    int t = f;
    for (const char* way : {"Left", "Right", "Right", "Left"}) {
      tap(t, way), tap(t + 10, way), tap(t + 20, "X");
      t += 30;
    }
  }
  return script;
}

int SoakFrames() {
  const char* v = std::getenv("NL_SOAK_FRAMES");
  const int n = v != nullptr ? std::atoi(v) : 0;
  return n > 0 ? n : kDefaultFrames;
}

TEST(SoakTest, WanderingAndBattlesHoldNoMoreMemoryOrHandlesOverTime) {
  nltest::TempDir dir;
  const std::string data = dir.File("data");
  std::filesystem::copy(NL_DEMO_DATA_DIR, data, std::filesystem::copy_options::recursive);
  const int frames = SoakFrames();
  ASSERT_TRUE(nltest::WriteFileBytes(
      dir.File("soak.input"),
      WanderScript(nltest::ReadFileBytes(NL_PLAYTHROUGH_DIR "/new_game.input"), frames)));
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("NIGHTLOOM_CLOCK", "virtual", 1);
  setenv("NIGHTLOOM_INPUT", dir.File("soak.input").c_str(), 1);
  setenv("NIGHTLOOM_INSTANCE_LOCK", dir.File("instance.lock").c_str(), 1);
  ASSERT_EQ(chdir(data.c_str()), 0);

  // The program's own start and loop (game_main.cpp), with a look between frames.
  vexal::ChangeWindowMode(1);
  vexal::SetDrawTarget(vexal::kBackScreen);
  vexal::AllowDirect3DGraphs(0);
  vexal::SetDrawOptionFlag(1);
  game::TheDebugOut.SetDebugOut(0);
  ASSERT_EQ(game::InitGame(), 0);
  game::SetGameModeHandler(game::MODE_TITLE, game::TitleModeFrame);
  game::WireBattle();
  game::SetGameModeHandler(game::MODE_MENU, game::FieldMenuFrame);
  game::ThePlayTimer.StartPlayTimer(0);
  game::TheTitleScreen.EnterTitle();

  std::vector<Sample> samples;
  int battles = 0, first_battle_end = -1, frame = 1;
  int last_mode = game::GameMode;
  for (; frame <= frames; ++frame) {
    vexal::ClearDrawTarget();
    game::RunGameModeFrame();
    if (game::EndFrame() != 0 || game::QuitRequested != 0) break;
    vexal::PresentScreen();
    if (game::GameMode == game::MODE_BATTLE && last_mode != game::MODE_BATTLE) ++battles;
    if (game::GameMode == game::MODE_FIELD && last_mode == game::MODE_BATTLE && first_battle_end < 0)
      first_battle_end = frame;
    last_mode = game::GameMode;
    // The party is healed between fights so that the wandering never ends at the title.
    if (game::GameMode == game::MODE_FIELD) {
      for (game::PartyMember& m : game::TheGameData().Members) {
        m[game::kMemberHp] = m[game::kMemberMaxHp];
        m[game::kMemberPp] = m[game::kMemberMaxPp];
      }
    }
    if (frame % kSampleEvery == 0) samples.push_back(TakeSample(frame));
  }
  const int played = frame - 1;
  game::ShutdownGame();

  for (const Sample& s : samples) {
    std::printf("frame %6d  rss %7ld KiB  graphs %4d  bmp data %3d  sounds %3d  fonts %2d  sound buffers %3zu\n",
                s.frame, s.rss_kb, s.graphs, s.bmp_data, s.sounds, s.fonts, s.sound_buffers);
  }
  std::printf("%d frames, %d battles, the first over at frame %d\n", played, battles, first_battle_end);
  ASSERT_EQ(played, frames) << "the game ended early";
  ASSERT_GT(battles, 0) << "no battle was fought";

  // Samples after the first battle, in two halves: what the second half reaches, the
  // first must have reached already (battle pictures and sounds come and go; a leak only
  // climbs).
  std::vector<Sample> after;
  std::copy_if(samples.begin(), samples.end(), std::back_inserter(after),
               [&](const Sample& s) { return s.frame > first_battle_end; });
  ASSERT_GE(after.size(), 4u) << "too few samples after the first battle";
  const size_t half = after.size() / 2;
  auto highest = [&](size_t from, size_t to, auto field) {
    auto v = field(after[from]);
    for (size_t i = from; i < to; ++i) v = std::max(v, field(after[i]));
    return v;
  };
  auto no_growth = [&](const char* what, auto field, long slack) {
    const auto first = highest(0, half, field), second = highest(half, after.size(), field);
    std::printf("%-14s first half up to %ld, second half up to %ld\n", what, static_cast<long>(first),
                static_cast<long>(second));
    EXPECT_LE(static_cast<long>(second), static_cast<long>(first) + slack) << what << " grew";
  };
  no_growth("rss KiB", [](const Sample& s) { return s.rss_kb; }, kRssSlackKb);
  no_growth("graphs", [](const Sample& s) { return s.graphs; }, 0);
  no_growth("BMP data", [](const Sample& s) { return s.bmp_data; }, 0);
  no_growth("sounds", [](const Sample& s) { return s.sounds; }, 0);
  no_growth("fonts", [](const Sample& s) { return s.fonts; }, 0);
  no_growth("sound buffers", [](const Sample& s) { return s.sound_buffers; }, 0);
}

}  // namespace
