// The synthesiser's cost: a demo song rendered offline through the ticks and the mixer
// (reported as times real time on one core), and the song timer's share of a core while
// a song plays on the real clock.
#include <benchmark/benchmark.h>
#include <time.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "music/music_device.h"
#include "music/music_player.h"
#include "music/org_song.h"
#include "music/song_timer.h"
#include "music/wave_table.h"
#include "platform/fs/fs.h"
#include "platform/sound/sound.h"
#include "platform/timer/timer.h"

namespace {

namespace ps = plat::sound;
constexpr uint32_t kRate = 44100;

double CpuSeconds(clockid_t clock) {
  timespec ts;
  clock_gettime(clock, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// The demo world's song on a manual mixer at 44,100 Hz 16-bit stereo.
bool LoadDemoSong(const char* song) {
  ps::ResetSoundForTests();
  ps::SetBackendForTests(ps::Backend::kManual);
  ps::Device* device = nullptr;
  ps::Buffer* primary = nullptr;
  ps::BufferDesc desc{ps::kBufferPrimary, 0, {}};
  if (!ps::Succeeded(ps::CreateDevice(&device)) || !ps::Succeeded(ps::CreateBuffer(device, desc, &primary))) {
    return false;
  }
  ps::SetBufferFormat(primary, ps::PcmFormat(kRate, 2, 16));
  music::MusicDirectSound = device;
  if (!plat::fs::SetCurrentDirectory(NL_DATA_DIR)) return false;
  if (music::LoadWaveTable("Org\\Wave100.dat") == 0) return false;
  if (music::OrgSong.tracks[0].pool == nullptr) music::OrgSong.SetSongDefaults();
  return music::OrgSong.LoadOrgSong(song) == 1;
}

// One pass of the battle song: each tick, then the frames until the next.
void BM_RenderSongOffline(benchmark::State& state) {
  if (!LoadDemoSong("Org\\battle.org")) {
    state.SkipWithError("demo data missing");
    return;
  }
  const music::Song& song = music::OrgSong;
  std::vector<uint8_t> out;
  double audio_seconds = 0;
  for (auto _ : state) {
    music::OrgSong.SeekSong(0);
    uint64_t frames_done = 0;
    for (int32_t tick = 0; tick < song.repeatEnd; ++tick) {
      {
        std::lock_guard<std::mutex> lock(music::SongPlayMutex);
        music::PlaySongTick(music::OrgSong);
      }
      const uint64_t until = static_cast<uint64_t>(tick + 1) * song.tickPeriod * kRate / 1000;
      out.resize((until - frames_done) * 4);
      ps::MixFrames(out);
      frames_done = until;
    }
    benchmark::DoNotOptimize(out.data());
    audio_seconds += static_cast<double>(frames_done) / kRate;
  }
  state.counters["x_real_time"] = benchmark::Counter(audio_seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderSongOffline)->Unit(benchmark::kMillisecond);

// The song timer on the real clock for two seconds while this thread sleeps: the process
// time spent is the timer thread's (the manual mixer has no thread of its own).
void BM_SongTimerThreadLoad(benchmark::State& state) {
  if (!LoadDemoSong("Org\\battle.org")) {
    state.SkipWithError("demo data missing");
    return;
  }
  double share = 0;
  for (auto _ : state) {
    const double cpu0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double wall0 = CpuSeconds(CLOCK_MONOTONIC);
    music::StartSong();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    music::StopMusic();
    share = (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) / (CpuSeconds(CLOCK_MONOTONIC) - wall0);
  }
  state.counters["timer_core_percent"] = share * 100;
  state.counters["ticks"] = music::PlayPosition.load();
}
BENCHMARK(BM_SongTimerThreadLoad)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
