// nl_org_render [--ms N] [--wave FILE] SONG OUTPUT.wav: renders a song file offline with
// the game's own synthesiser: the song timer runs on the virtual clock and the mixer
// renders, frame-exact, what the ticks play (44,100 Hz, 16-bit stereo). A tick at time T
// takes effect at output frame floor(T x 44100 / 1000); the first tick is at one tick
// period. Drums are found beside the song (its folder's Org\ folder), the waveforms in
// Org\Wave100.dat of the working directory unless --wave names a file. The default length
// is one pass to the repeat end.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "music/music_device.h"
#include "music/music_player.h"
#include "music/org_song.h"
#include "music/wave_table.h"
#include "platform/capture/audio_capture.h"
#include "platform/sound/sound.h"
#include "platform/timer/timer.h"

namespace ps = plat::sound;

namespace {

constexpr uint32_t kOutputRate = 44100;
constexpr uint32_t kSilenceBytes = 400;

int Usage() {
  std::fprintf(stderr, "usage: nl_org_render [--ms N] [--wave FILE] SONG OUTPUT.wav\n");
  return 2;
}

// The game's paths use '\'; a host path is turned into one so the song's folder is found.
std::string GamePath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  long ms = -1;
  std::string wave = "Org\\Wave100.dat";
  int i = 1;
  for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
    if (std::strcmp(argv[i], "--ms") == 0)
      ms = std::strtol(argv[i + 1], nullptr, 10);
    else if (std::strcmp(argv[i], "--wave") == 0)
      wave = argv[i + 1];
    else
      return Usage();
  }
  if (argc - i != 2) return Usage();
  const std::string song = GamePath(argv[i]);
  const char* output = argv[i + 1];

  plat::timer::UseVirtualClock(true, 0);
  ps::SetBackendForTests(ps::Backend::kClockDriven);
  ps::Device* device = nullptr;
  ps::Buffer* primary = nullptr;
  ps::Buffer* silence = nullptr;
  const ps::WaveFormat format = ps::PcmFormat(kOutputRate, 2, 16);
  ps::BufferDesc primary_desc{ps::kBufferPrimary, 0, {}};
  ps::BufferDesc silence_desc{ps::kBufferStatic, kSilenceBytes, format};
  if (!ps::Succeeded(ps::CreateDevice(&device)) || !ps::Succeeded(ps::CreateBuffer(device, primary_desc, &primary)) ||
      !ps::Succeeded(ps::SetBufferFormat(primary, format)) ||
      !ps::Succeeded(ps::CreateBuffer(device, silence_desc, &silence))) {
    std::fprintf(stderr, "nl_org_render: no sound device\n");
    return 1;
  }
  if (!plat::audio_capture::Open(output, format)) {
    std::fprintf(stderr, "nl_org_render: cannot write %s\n", output);
    return 1;
  }
  // A silent loop from time 0 starts the output stream, so frames count from 0.
  ps::PlayBuffer(silence, ps::kPlayLooping);

  music::MusicDirectSound = device;
  if (music::LoadWaveTable(wave) == 0) {
    std::fprintf(stderr, "nl_org_render: cannot read %s\n", wave.c_str());
    return 1;
  }
  music::OrgSong.SetSongDefaults();
  if (music::OrgSong.LoadOrgSong(song) == 0) {
    std::fprintf(stderr, "nl_org_render: cannot load %s\n", argv[i]);
    return 1;
  }
  if (ms < 0) ms = static_cast<long>(music::OrgSong.repeatEnd) * music::OrgSong.tickPeriod;
  music::StartSong();
  plat::timer::AdvanceVirtualClock(static_cast<uint32_t>(ms));
  music::StopMusic();
  ps::ReleaseDevice(device);  // renders what is due and brings the file's header up to date
  plat::audio_capture::Close();
  return 0;
}
