// Inside the sound module: the buffer record, the module's one state table and the
// helpers its sources share. Not for callers of the module; they use sound.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <unordered_map>
#include <vector>

#include "platform/sound/sound.h"

namespace plat::sound {

struct Buffer {
  bool primary = false;
  uint32_t flags = 0;           // creation flags (controls)
  WaveFormat format{};          // the data's format (primary: unused)
  std::vector<uint8_t> data;    // the whole buffer
  uint32_t frame_bytes = 0;     // channels x bytes per sample
  uint32_t frames = 0;          // whole frames in data
  uint64_t position = 0;        // 32.32 fixed-point frame index of the next frame mixed
  uint32_t frequency = 0;       // Hz
  int32_t volume = 0;           // 1/100 dB
  int32_t pan = 0;              // 1/100 dB
  int32_t gain_left = 1 << 16;  // Q16 amplitude
  int32_t gain_right = 1 << 16;
  bool playing = false;
  bool looping = false;
  uint32_t locks = 0;  // locks not yet unlocked
};

struct Device {
  int unused = 0;
};

// The backend that moves the mixer of the device that exists now.
enum class ActiveBackend { kSdl, kClockDriven, kManual };

struct SoundState {
  std::mutex mutex;                                              // guards everything below
  std::unordered_map<Buffer*, std::unique_ptr<Buffer>> buffers;  // every live buffer
  std::vector<Buffer*> playing;                                  // the buffers the mixer visits
  std::unique_ptr<Device> device;                                // the one device, or null
  Buffer* primary = nullptr;                                     // the primary buffer, or null
  WaveFormat output{};                                           // output stream format
  Backend backend_choice = Backend::kAuto;                       // for devices made from now on
  ActiveBackend active = ActiveBackend::kManual;                 // backend of the device
  bool stream_running = false;                                   // first Play seen since creation
  int64_t stream_origin = 0;                                     // clock-driven: counter at start
  uint64_t frames_rendered = 0;                                  // clock-driven: frames since origin
  uint32_t sdl_device = 0;                                       // open SDL audio device, or 0
  uint32_t sdl_start_pending = 0;                                // opened, to unpause unlocked
  std::mutex sdl_mutex;                             // SDL's open device: unpause versus close; never taken with `mutex`
  DeviceCaps caps{};                                // reported capabilities
  std::vector<DeviceInfo> device_list;              // reported devices
  std::function<Result(Op)> failure_hook;           // test injection, or empty
  std::function<void(const CallRecord&)> recorder;  // test observer, or empty
  std::vector<int32_t> mix_scratch;                 // stereo sums of one chunk
  std::vector<uint8_t> out_scratch;                 // one chunk in output format
  bool exit_handler_registered = false;             // program-exit flush is set up
  bool capture_tried = false;                       // NIGHTLOOM_AUDIO_OUT was looked at
};

extern SoundState g_sound;

// Puts the state back to program start (buffers and device gone, output closed).
void ResetSoundState(std::unique_lock<std::mutex>& lock);

// The hook's answer for an operation (kOk when there is none). Caller holds the lock.
Result AskHook(Op op);
// Hands a buffer call to the test's recorder, if any. Caller holds the lock.
void RecordCall(Op op, Buffer* buffer, int64_t value);

// --- sound_format.cpp ---
// True when a secondary buffer can hold this format.
bool IsPlayableFormat(const WaveFormat& format);
// The format of the output stream before the primary's is set.
WaveFormat DefaultOutputFormat();

// --- sound_mixer.cpp ---
// Q16 amplitudes of both channels for a volume and pan (the law in sound.h).
void ComputeGains(int32_t volume, int32_t pan, int32_t* left, int32_t* right);
// Position step per output frame, 32.32 fixed point.
uint64_t StepFor(uint32_t frequency, uint32_t output_rate);
// Adds `frames` stereo frames of every playing buffer to `sums` and advances them; a
// buffer that ends leaves the playing list. Caller holds the lock.
void MixPlaying(std::span<int32_t> sums, uint32_t frames, uint32_t output_rate);
// Advances every playing buffer by `frames` output frames without producing samples,
// to the very state that mixing them would leave.
void AdvancePlaying(uint64_t frames, uint32_t output_rate);
// Writes stereo sums as frames of the output format.
void WriteOutputFrames(std::span<const int32_t> sums, uint32_t frames, const WaveFormat& output, uint8_t* out);
// Mixes, converts and hands the frames to the capture. Caller holds the lock.
void RenderFrames(uint8_t* out, uint32_t frames);
// Takes a buffer out of the playing list.
void ForgetPlaying(Buffer* buffer);

// --- sound_output.cpp ---
// Takes the lock and renders what the clock-driven backend owes; every operation of the
// module starts with it.
std::unique_lock<std::mutex> EnterSound();
// Clock-driven backend: renders the frames due by now. Every operation calls it first,
// with the lock held.
void CatchUp();
// Starts the output stream (on the first Play). Lock held. An SDL device it opened stays
// paused until StartPendingSdl.
void StartStream();
// Unpauses the SDL device that StartStream opened, if any, after releasing the lock (SDL
// takes its device lock before it calls for frames, which takes ours). Leaves it released.
void StartPendingSdl(std::unique_lock<std::mutex>& lock);
// Stops the output. Takes the lock itself; an SDL device is closed outside it.
void StopStream(std::unique_lock<std::mutex>& lock);
// The output format changes: renders what is due in the old one, rebases the stream and
// tells the capture. May reopen SDL; takes the lock itself as StopStream does.
void ChangeOutputFormat(std::unique_lock<std::mutex>& lock, const WaveFormat& format);
// Opens the capture file that NIGHTLOOM_AUDIO_OUT names (once) and arranges the flush at
// program exit. Lock held.
void SetUpCapture();

}  // namespace plat::sound
