// What moves the mixer: SDL's audio thread pulling frames, or the clock (rendering the
// frames due whenever the module is called), and the hand-off of every rendered frame to
// the audio capture.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/capture/audio_capture.h"
#include "platform/sound/sound_state.h"
#include "platform/sys/debug_out.h"
#include "platform/timer/timer.h"

namespace plat::sound {
namespace {

constexpr uint16_t kSdlPullFrames = 512;  // frames SDL asks for at a time
constexpr uint64_t kCatchUpChunkFrames = 4096;

void SdlPull(void*, Uint8* stream, int len) {
  std::lock_guard<std::mutex> lock(g_sound.mutex);
  const WaveFormat& out = g_sound.output;
  const uint8_t silence = out.bits_per_sample == 8 ? 0x80 : 0x00;
  if (!g_sound.stream_running || g_sound.active != ActiveBackend::kSdl || g_sound.sdl_device == 0) {
    std::memset(stream, silence, static_cast<size_t>(len));
    return;
  }
  const uint32_t frames = static_cast<uint32_t>(len) / out.block_align;
  RenderFrames(stream, frames);
  const size_t used = static_cast<size_t>(frames) * out.block_align;
  std::memset(stream + used, silence, static_cast<size_t>(len) - used);
}

// Opens SDL output in the output format (SDL converts to what the hardware takes),
// paused: SDL calls SdlPull under its device lock, so the lock order is SDL's, then ours,
// and the unpause, which takes SDL's lock, waits until ours is released (StartPendingSdl).
bool OpenSdl() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(g_sound.output.samples_per_sec);
  want.format = g_sound.output.bits_per_sample == 16 ? AUDIO_S16LSB : AUDIO_U8;
  want.channels = static_cast<Uint8>(g_sound.output.channels);
  want.samples = kSdlPullFrames;
  want.callback = SdlPull;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  g_sound.sdl_device = id;
  g_sound.sdl_start_pending = id;
  return true;
}

void CloseSdl(std::unique_lock<std::mutex>& lock, SDL_AudioDeviceID id) {
  if (id == 0) return;
  if (g_sound.sdl_start_pending == id) g_sound.sdl_start_pending = 0;
  // SDL waits for its audio thread, which may be waiting for our lock.
  lock.unlock();
  {
    std::lock_guard<std::mutex> sdl(g_sound.sdl_mutex);
    SDL_CloseAudioDevice(id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  lock.lock();
}

void FlushAtExit() {
  std::unique_lock<std::mutex> lock(g_sound.mutex);
  StopStream(lock);
  audio_capture::Close();
}

}  // namespace

void CatchUp() {
  if (!g_sound.stream_running || g_sound.active != ActiveBackend::kClockDriven) return;
  const int64_t now = timer::PerfCounter();
  if (now < g_sound.stream_origin) {  // the clock was set back: start counting again
    g_sound.stream_origin = now;
    g_sound.frames_rendered = 0;
    return;
  }
  const uint32_t rate = g_sound.output.samples_per_sec;
  const uint64_t due = static_cast<uint64_t>(static_cast<unsigned __int128>(now - g_sound.stream_origin) * rate /
                                             static_cast<uint64_t>(timer::PerfFrequency()));
  if (due <= g_sound.frames_rendered) return;
  uint64_t owed = due - g_sound.frames_rendered;
  g_sound.frames_rendered = due;
  if (!audio_capture::IsOpen()) {
    AdvancePlaying(owed, rate);
    return;
  }
  while (owed > 0) {
    const uint32_t n = static_cast<uint32_t>(std::min(owed, kCatchUpChunkFrames));
    g_sound.out_scratch.resize(static_cast<size_t>(n) * g_sound.output.block_align);
    RenderFrames(g_sound.out_scratch.data(), n);
    owed -= n;
  }
}

std::unique_lock<std::mutex> EnterSound() {
  std::unique_lock<std::mutex> lock(g_sound.mutex);
  CatchUp();
  return lock;
}

void StartStream() {
  if (g_sound.stream_running) return;
  g_sound.stream_running = true;
  if (g_sound.active == ActiveBackend::kSdl && OpenSdl()) return;
  if (g_sound.active == ActiveBackend::kSdl) g_sound.active = ActiveBackend::kClockDriven;
  g_sound.stream_origin = timer::PerfCounter();
  g_sound.frames_rendered = 0;
}

void StartPendingSdl(std::unique_lock<std::mutex>& lock) {
  const SDL_AudioDeviceID id = g_sound.sdl_start_pending;
  if (id == 0) return;
  g_sound.sdl_start_pending = 0;
  lock.unlock();
  // A close made meanwhile waits for this; an id closed before it is refused by SDL.
  std::lock_guard<std::mutex> sdl(g_sound.sdl_mutex);
  SDL_PauseAudioDevice(id, 0);
}

void StopStream(std::unique_lock<std::mutex>& lock) {
  CatchUp();
  const SDL_AudioDeviceID id = g_sound.sdl_device;
  g_sound.sdl_device = 0;
  g_sound.stream_running = false;
  audio_capture::Flush();
  CloseSdl(lock, id);
}

void ChangeOutputFormat(std::unique_lock<std::mutex>& lock, const WaveFormat& format) {
  const WaveFormat& now = g_sound.output;
  if (now.channels == format.channels && now.samples_per_sec == format.samples_per_sec &&
      now.bits_per_sample == format.bits_per_sample) {
    return;  // the same format again: the stream and the capture run on untouched
  }
  CatchUp();
  const bool was_running = g_sound.stream_running;
  const SDL_AudioDeviceID id = g_sound.sdl_device;
  g_sound.sdl_device = 0;
  g_sound.stream_running = false;
  g_sound.output = format;
  if (audio_capture::IsOpen() && !audio_capture::SetFormat(format)) {
    DebugOutput("audio capture: the output format changed after recording began; the capture is closed\n");
    audio_capture::Close();
  }
  CloseSdl(lock, id);
  if (was_running && g_sound.device != nullptr) StartStream();
}

void SetUpCapture() {
  if (!g_sound.capture_tried) {
    g_sound.capture_tried = true;
    const std::string path = audio_capture::PathFromEnvironment();
    if (!path.empty()) audio_capture::Open(path, g_sound.output);
  }
  if (!g_sound.exit_handler_registered) {
    g_sound.exit_handler_registered = true;
    std::atexit(FlushAtExit);
  }
}

}  // namespace plat::sound
