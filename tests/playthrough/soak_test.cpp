// A long run of the game under the virtual clock: the party walks from the title to the
// field and wanders there, fighting whatever it meets, for NL_SOAK_FRAMES frames (5,000
// by default; scripts/run-soak runs 100,000). The handle tables are counted every frame
// and the process's resident memory every 500; the run fails if either grows once the
// first battle is over. The game runs in this process (its own frame loop, as the
// program's) so that the tables can be read between frames.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "game/data/game_data.h"
#include "game/data/sound_table.h"
#include "game/input/key_cast.h"
#include "platform/sound/sound.h"
#include "tests/playthrough/game_in_process.h"
#include "tests/support/game_run.h"
#include "vexal/app/sound/sound_handle.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"

// Freed memory goes back to the allocator at once, so that the resident size measures
// what the game holds rather than the sanitizer's quarantine.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=0:thread_local_quarantine_size_kb=0"; }

namespace {

constexpr int kDefaultFrames = 5000;
constexpr int kSampleEvery = 500;
constexpr int kFirstWanderFrame = 800;  // the party stands in the field by then
constexpr int kWanderPeriod = 120;      // frames of one round there
// Resident memory may move by allocator noise; more than this over the run is growth.
constexpr long kRssSlackKb = 2048;
constexpr int kNoFloor = std::numeric_limits<int>::max();

// The handle tables at one moment.
struct Counts {
  int graphs = 0, bmp_data = 0, sounds = 0, fonts = 0, sound_buffers = 0;
};

// One window of kSampleEvery frames: the resident memory at its end, the lowest count of
// each table over its frames in the field (kNoFloor when it had none) and the highest over
// all its frames.
struct Window {
  int frame = 0;  // its last frame
  long rss_kb = 0;
  Counts low, high;
};

long ResidentKb() {
  long pages_total = 0, pages_resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return -1;
  const int n = std::fscanf(f, "%ld %ld", &pages_total, &pages_resident);
  std::fclose(f);
  return n == 2 ? pages_resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// The sound-effect table's voices are a cache of at most 32 sounds (one buffer each) that
// fills as rows are first played, whenever that is: its sounds are left out of the counts,
// which then hold what nothing bounds.
Counts CountHandles() {
  Counts c;
  c.graphs = vexal::GraphTable.Count;
  c.bmp_data = vexal::BmpDataTable.Count;
  c.sounds =
      static_cast<int>(std::count_if(vexal::SoundHandleTable.Records.begin(), vexal::SoundHandleTable.Records.end(),
                                     [](const vexal::SoundRecord& r) { return r.InUse != 0; }));
  for (int h = 0; h < vexal::kFontHandleCount; ++h) c.fonts += vexal::CheckFontHandle(h);
  c.sound_buffers = static_cast<int>(plat::sound::LiveBufferCount());
  for (int v = 0; v < game::kSoundVoices; ++v) {
    if (game::TheSoundTable.VoiceRow(v) < 0 || game::TheSoundTable.VoiceHandle(v) == -1) continue;
    c.sounds -= 1;
    c.sound_buffers -= 1;
  }
  return c;
}

// Each table's count, named, for the checks and the printout.
constexpr struct {
  const char* name;
  int Counts::*count;
} kTables[] = {{"graphs", &Counts::graphs},
               {"BMP data", &Counts::bmp_data},
               {"sounds", &Counts::sounds},
               {"fonts", &Counts::fonts},
               {"sound buffers", &Counts::sound_buffers}};

// The play-through's way into the field (its lines before frame 800: the town, the chest,
// the brambles, the shop and the gate), then rounds of two taps west, two east, two east
// and two west along the row above the gate, decide tapped after each pair so that fights
// and their messages go on.
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
  nltest::GameRun run;
  ASSERT_TRUE(run.CopyDemoWorld());
  const int frames = SoakFrames();
  ASSERT_TRUE(run.InputText(WanderScript(nltest::ReadFileBytes(NL_PLAYTHROUGH_DIR "/new_game.input"), frames)));
  run.ApplyHere();
  ASSERT_EQ(chdir(run.DataDir().c_str()), 0);

  // The program's own start and loop, with a look between frames.
  ASSERT_TRUE(playtest::StartGameHere());

  std::vector<Window> windows;
  windows.reserve(frames / kSampleEvery + 1);  // no allocation while memory is measured
  Window window;
  int battles = 0, first_battle_end = -1, frame = 1;
  int last_mode = game::GameMode;
  for (; frame <= frames; ++frame) {
    if (!playtest::RunGameFrame()) break;
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
    const Counts now = CountHandles();
    const bool opens = frame % kSampleEvery == 1 || kSampleEvery == 1;
    // The floor is taken between fights only: a fight may fill a whole window.
    const bool between_fights = game::GameMode == game::MODE_FIELD;
    for (const auto& t : kTables) {
      if (opens) window.low.*t.count = kNoFloor;
      if (between_fights) window.low.*t.count = std::min(window.low.*t.count, now.*t.count);
      window.high.*t.count = opens ? now.*t.count : std::max(window.high.*t.count, now.*t.count);
    }
    if (frame % kSampleEvery == 0) {
      window.frame = frame;
      window.rss_kb = ResidentKb();
      windows.push_back(window);
    }
  }
  const int played = frame - 1;
  game::ShutdownGame();

  for (const Window& w : windows) {
    std::printf("frame %6d  rss %7ld KiB", w.frame, w.rss_kb);
    for (const auto& t : kTables) std::printf("  %s %d-%d", t.name, w.low.*t.count, w.high.*t.count);
    std::printf("\n");
  }
  std::printf("%d frames, %d battles, the first over at frame %d\n", played, battles, first_battle_end);
  ASSERT_EQ(played, frames) << "the game ended early";
  ASSERT_GT(battles, 0) << "no battle was fought";

  // The first half of the run warms up (each kind of enemy met keeps its pictures from
  // then on); the second half is measured, in quarters. A fight's pictures come and go,
  // but what stays held between fights is the floor: the lowest count in the field over
  // the last quarter may not rise above that over the first quarter. Resident memory at
  // the windows' ends may not rise by more than allocator noise.
  std::vector<Window> after;
  std::copy_if(windows.begin(), windows.end(), std::back_inserter(after),
               [&](const Window& w) { return w.frame - kSampleEvery >= std::max(first_battle_end, frames / 2); });
  ASSERT_GE(after.size(), 4u) << "too few windows after the warm-up";
  // The floors come from the windows with frames in the field: a long fight may fill one.
  std::vector<Window> floors;
  std::copy_if(after.begin(), after.end(), std::back_inserter(floors),
               [](const Window& w) { return w.low.graphs != kNoFloor; });
  ASSERT_GE(floors.size(), 2u) << "too few windows with frames in the field after the warm-up";
  const size_t quarter = std::max<size_t>(1, floors.size() / 4), last = floors.size() - quarter;
  for (const auto& t : kTables) {
    int first_floor = kNoFloor, last_floor = kNoFloor;
    for (size_t i = 0; i < quarter; ++i) first_floor = std::min(first_floor, floors[i].low.*t.count);
    for (size_t i = last; i < floors.size(); ++i) last_floor = std::min(last_floor, floors[i].low.*t.count);
    std::printf("%-14s lowest %d in the measured half's first quarter, %d in its last\n", t.name, first_floor,
                last_floor);
    EXPECT_LE(last_floor, first_floor) << t.name << " grew";
  }
  long first_rss = 0, last_rss = 0;
  for (size_t i = 0; i < after.size(); ++i) {
    long& half = i < after.size() / 2 ? first_rss : last_rss;
    half = std::max(half, after[i].rss_kb);
  }
  std::printf("rss            up to %ld KiB in the measured half's first half, %ld KiB in its second\n", first_rss,
              last_rss);
  EXPECT_LE(last_rss - first_rss, kRssSlackKb) << "resident memory grew";
}

}  // namespace
