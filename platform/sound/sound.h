// The sound device and its buffers: one software mixer plays every secondary buffer into
// one output stream.
//
// Device. At most one exists. It reports capabilities (which a test can replace), accepts
// a cooperative level, and makes buffers. The primary buffer has no data of its own: its
// format is the output stream's format (22050 Hz, 8-bit, stereo until it is set).
// Secondary buffers hold PCM (8-bit unsigned or 16-bit signed, mono or stereo, any rate of
// 100..100000 Hz) and play once or in a loop. Buffers outlive the device: releasing the
// device stops the output, but every buffer stays valid until it is released itself.
//
// Playback rules that callers rely on:
// - Play on a stopped buffer starts at its current position; Play on a playing buffer only
//   replaces the loop flag (the position runs on).
// - Stop keeps the position. A non-looping buffer that reaches its end stops with its
//   position back at 0.
// - SetFrequency accepts 100..100000 Hz; anything else is refused and the old rate kept.
// - Volume is in 1/100 dB, -10000..0; pan in 1/100 dB, -10000 (left) .. 10000 (right).
//   Values outside are refused and the old one kept. Gain law, per output channel:
//     amplitude = 10^(volume / 2000) x 10^(-|pan| / 2000) on the side the pan points away
//     from, 10^(volume / 2000) on the other; the amplitude is applied as a Q16 factor,
//     round(amplitude x 65536).
// - Frequency, volume and pan need the buffer's control flags; without them the call is
//   refused with kNoControl.
//
// Mixer. Per output frame and buffer: the position is a 32.32 fixed-point frame index
// that advances by floor(frequency x 2^32 / output rate); the sample is interpolated
// linearly between frame i and i + 1 with the top 16 bits of the fraction f:
//   s = a + (((b - a) x f) >> 16), 8-bit samples taken as (byte - 128) << 8;
// frame i + 1 of the last frame is frame 0 when looping, the last frame again when not.
// Each channel adds (s x gain) >> 16; the sum is clamped to 16 bits, then written in the
// output format (8-bit: (sum >> 8) + 128; mono: (left + right) >> 1 before clamping).
// A mono buffer feeds both channels.
//
// Who moves the mixer (the output stream starts at the first Play after the device was
// made; before that nothing is rendered):
// - SDL backend (real clock): SDL's audio thread pulls frames. Cursors move in steps of
//   one pull (512 frames).
// - Clock-driven backend: with the virtual clock (plat::timer::IsVirtualClock() at device
//   creation), when SDL audio cannot be opened, or when a test asks for it. Every call of
//   this module first renders exactly the frames due since the stream started:
//   floor(elapsed performance-counter time x output rate), and so do releasing the device
//   and program exit. Under the virtual clock a run therefore renders the same samples
//   every time. Without a capture file due frames only advance the buffers.
// - Manual backend (tests, benchmarks): only MixFrames moves the mixer.
// Whatever moves it, the frames go to the audio capture (NIGHTLOOM_AUDIO_OUT) when set.
//
// Threads: every call is safe from any thread (the game thread, the music timer thread,
// SDL's audio thread); one lock guards the mixer and the buffers. Locked regions are
// written without the lock, as with any such interface: a caller writes only where the
// mixer is not reading (a stopped buffer, or behind the play cursor).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace plat::sound {

// --- Wave formats -------------------------------------------------------------------

constexpr uint16_t kFormatPcm = 0x0001;
constexpr uint16_t kFormatImaAdpcm = 0x0011;
constexpr uint16_t kFormatMpegLayer3 = 0x0055;

// The format record of a wave: as stored in a file's format chunk (little-endian, 18
// bytes with the extra-size field; 16 bytes without it).
struct WaveFormat {
  uint16_t format_tag = 0;
  uint16_t channels = 0;
  uint32_t samples_per_sec = 0;
  uint32_t avg_bytes_per_sec = 0;
  uint16_t block_align = 0;
  uint16_t bits_per_sample = 0;
  uint16_t extra_size = 0;  // bytes of format-specific data that follow the 18 bytes
};
constexpr size_t kWaveFormatBytes = 18;
constexpr size_t kWaveFormatShortBytes = 16;  // a record without the extra-size field

// Reads a record of at least 16 bytes (extra_size 0 when it has only 16); false when
// shorter.
bool ReadWaveFormat(std::span<const uint8_t> record, WaveFormat* out);
// The 18-byte record of a format.
std::array<uint8_t, kWaveFormatBytes> WriteWaveFormat(const WaveFormat& format);
// A PCM format with block align and bytes per second filled in.
WaveFormat PcmFormat(uint32_t rate, uint16_t channels, uint16_t bits);

// --- Results --------------------------------------------------------------------------

enum class Result : int32_t {
  kOk = 0,
  kInvalidParam,  // an argument out of range, or an object this module does not know
  kInvalidCall,   // not allowed in this state (a second device, unlock without lock ...)
  kBadFormat,     // a format the device cannot play
  kNoControl,     // the buffer was made without the control this call needs
  kOutOfMemory,
  kNoDriver,  // the device cannot be made
  kFailed,    // injected by a test, or an unexpected failure
};
inline bool Succeeded(Result r) { return r == Result::kOk; }

// --- Device ---------------------------------------------------------------------------

struct Device;  // opaque
struct Buffer;  // opaque

// Capability flags of DeviceCaps::flags.
constexpr uint32_t kCapPrimaryMono = 0x0001;
constexpr uint32_t kCapPrimaryStereo = 0x0002;
constexpr uint32_t kCapPrimary8Bit = 0x0004;
constexpr uint32_t kCapPrimary16Bit = 0x0008;
constexpr uint32_t kCapSecondaryMono = 0x0100;
constexpr uint32_t kCapSecondaryStereo = 0x0200;
constexpr uint32_t kCapSecondary8Bit = 0x0400;
constexpr uint32_t kCapSecondary16Bit = 0x0800;

struct DeviceCaps {
  uint32_t flags = 0;
  uint32_t min_secondary_rate = 0;  // Hz
  uint32_t max_secondary_rate = 0;  // Hz
  uint32_t total_hw_mem_bytes = 0;
  uint32_t free_hw_mem_bytes = 0;
};

// Frequencies every buffer accepts, and the volume and pan ranges (1/100 dB).
constexpr uint32_t kMinFrequency = 100;
constexpr uint32_t kMaxFrequency = 100000;
constexpr int32_t kMinVolume = -10000;
constexpr int32_t kMaxVolume = 0;
constexpr int32_t kMinPan = -10000;
constexpr int32_t kMaxPan = 10000;

// Cooperative levels; the device accepts each and changes nothing for any of them.
constexpr uint32_t kLevelNormal = 1;
constexpr uint32_t kLevelPriority = 2;
constexpr uint32_t kLevelExclusive = 3;
constexpr uint32_t kLevelWritePrimary = 4;

struct DeviceInfo {
  std::array<uint8_t, 16> id{};  // all zero: the default device
  std::string description;
  std::string module;
};

// Makes the device (kInvalidCall when one exists, kNoDriver when a test injects it).
Result CreateDevice(Device** out);
// Writes the capture up to now, stops the output and every playing buffer (positions are
// kept) and forgets the device.
Result ReleaseDevice(Device* device);
Result SetCooperativeLevel(Device* device, uint32_t level);
Result GetDeviceCaps(Device* device, DeviceCaps* out);
// Calls back once per output device until the callback returns false.
Result EnumerateDevices(const std::function<bool(const DeviceInfo&)>& callback);

// --- Buffers --------------------------------------------------------------------------

// Buffer flags (BufferDesc::flags).
constexpr uint32_t kBufferPrimary = 0x0001;
constexpr uint32_t kBufferStatic = 0x0002;
constexpr uint32_t kBufferCtrlFrequency = 0x0020;
constexpr uint32_t kBufferCtrlPan = 0x0040;
constexpr uint32_t kBufferCtrlVolume = 0x0080;
constexpr uint32_t kBufferGlobalFocus = 0x8000;

// Largest secondary buffer, in bytes.
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

struct BufferDesc {
  uint32_t flags = 0;
  uint32_t bytes = 0;   // 0 for the primary; else at least one frame
  WaveFormat format{};  // unused for the primary
};

// Play flags, status bits and lock flags.
constexpr uint32_t kPlayLooping = 0x0001;
constexpr uint32_t kStatusPlaying = 0x0001;
constexpr uint32_t kStatusLooping = 0x0004;
constexpr uint32_t kLockFromWriteCursor = 0x0001;
constexpr uint32_t kLockEntireBuffer = 0x0002;

// The one or two parts of a lock: the second is the wrap to the buffer's start.
struct LockedRegions {
  std::span<uint8_t> first;
  std::span<uint8_t> second;
};

// A secondary buffer: PCM format tag, 1 or 2 channels, 8 or 16 bits, 100..100000 Hz,
// bytes 1 frame .. kMaxBufferBytes (a partial frame at the end is never played). Data
// starts zero (silence, 128 for 8-bit). The primary: kBufferPrimary without data; one at
// a time. A buffer starts at its format's rate, volume 0 and pan 0.
Result CreateBuffer(Device* device, const BufferDesc& desc, Buffer** out);
Result ReleaseBuffer(Buffer* buffer);

// Locks `bytes` from `offset` (or from the write cursor, or the whole buffer by flag);
// past the end the lock goes on at the start in the second region.
Result LockBuffer(Buffer* buffer, uint32_t offset, uint32_t bytes, LockedRegions* out, uint32_t flags = 0);
Result UnlockBuffer(Buffer* buffer, const LockedRegions& regions);

// kInvalidCall while no device exists: with no output nothing would ever move the buffer.
Result PlayBuffer(Buffer* buffer, uint32_t flags);
Result StopBuffer(Buffer* buffer);
Result GetBufferStatus(Buffer* buffer, uint32_t* status);
// Cursors in bytes. The mixer reads nothing ahead of its position, so the write cursor
// (where new data is safe) equals the play cursor.
Result GetBufferPosition(Buffer* buffer, uint32_t* play_cursor, uint32_t* write_cursor);
// Moves to a byte position below the size, rounded down to a frame.
Result SetBufferPosition(Buffer* buffer, uint32_t position);
Result SetBufferFrequency(Buffer* buffer, uint32_t hz);
Result GetBufferFrequency(Buffer* buffer, uint32_t* hz);
Result SetBufferVolume(Buffer* buffer, int32_t volume);
Result GetBufferVolume(Buffer* buffer, int32_t* volume);
Result SetBufferPan(Buffer* buffer, int32_t pan);
Result GetBufferPan(Buffer* buffer, int32_t* pan);
// Primary: sets the output format (PCM, 100..100000 Hz and within the device's secondary
// rate range, 1 channel or 2 with kCapPrimaryStereo, 8 bits with kCapPrimary8Bit or 16
// with kCapPrimary16Bit). Secondary buffers keep their format: kInvalidCall.
Result SetBufferFormat(Buffer* buffer, const WaveFormat& format);
Result GetBufferFormat(Buffer* buffer, WaveFormat* out);

// --- The mixer, for tests and benchmarks ---------------------------------------------

// The output stream's format (the primary's).
WaveFormat OutputFormat();
// Renders out.size() / block align frames of every playing buffer in the output format,
// advancing them as playback does. Meant for the manual backend.
Result MixFrames(std::span<uint8_t> out);

// --- Test hooks -----------------------------------------------------------------------

enum class Op {
  kCreateDevice,
  kSetCooperativeLevel,
  kGetDeviceCaps,
  kCreatePrimary,
  kCreateBuffer,
  kLock,
  kUnlock,
  kPlay,
  kStop,
  kGetStatus,
  kGetPosition,
  kSetPosition,
  kSetFrequency,
  kSetVolume,
  kSetPan,
  kSetFormat,
  kEnumerate,
  kRelease,
};
// Asked before each operation named in Op (after its arguments were found valid enough
// to name a buffer or the device): kOk lets it run, anything else is returned instead and
// the operation does nothing. Called with the module's lock held: it must not call the
// module. Null removes the hook.
void SetFailureHook(std::function<Result(Op)> hook);

// A buffer call as it was made: the buffer and the value handed in (bytes of a creation,
// play flags, position, Hz, volume, pan; 0 for stop and release). Refused calls are
// recorded too; a test reads the buffer to see what was kept.
struct CallRecord {
  Op op;
  Buffer* buffer;
  int64_t value;
};
// Receives every creation, release, play, stop and position, frequency, volume and pan
// call on a secondary buffer that this module knows, in call order (creations once made).
// Called with the module's lock held: it must not call the module. Null removes it.
void SetCallRecorder(std::function<void(const CallRecord&)> recorder);

// Buffers alive now (the primary included), for tests that watch for leaks.
size_t LiveBufferCount();

enum class Backend { kAuto, kClockDriven, kManual };
// The backend of devices made from now on (kAuto: SDL on the real clock, clock-driven on
// the virtual clock or when SDL fails).
void SetBackendForTests(Backend backend);
// Capabilities reported from now on. Default: every flag, 100..100000 Hz, no hardware
// memory.
void SetDeviceCapsForTests(const DeviceCaps& caps);
DeviceCaps DefaultDeviceCaps();
// Devices that EnumerateDevices reports. Default: one, the default output.
void SetDeviceListForTests(std::vector<DeviceInfo> devices);
// Releases the device and every buffer, closes the capture, and puts every setting and
// hook back (the next device reads NIGHTLOOM_AUDIO_OUT again).
void ResetSoundForTests();

}  // namespace plat::sound
