// Sound buffers: creation and release, locking, playing and stopping, cursors, and the
// frequency, volume, pan and format controls.
#include <new>

#include "platform/sound/sound_state.h"

namespace plat::sound {
namespace {

// The live buffer behind a pointer, or null for anything this module did not make.
Buffer* Find(Buffer* buffer) {
  if (buffer == nullptr) return nullptr;
  return g_sound.buffers.count(buffer) != 0 ? buffer : nullptr;
}

bool InsideData(const Buffer& b, std::span<uint8_t> region) {
  if (region.empty()) return true;
  const uint8_t* begin = b.data.data();
  const uint8_t* end = begin + b.data.size();
  return region.data() >= begin && region.data() + region.size() <= end;
}

bool PrimaryAccepts(const WaveFormat& f, const DeviceCaps& caps) {
  if (!IsPlayableFormat(f)) return false;
  if (f.samples_per_sec < caps.min_secondary_rate || f.samples_per_sec > caps.max_secondary_rate) {
    return false;
  }
  const uint32_t channel_cap = f.channels == 2 ? kCapPrimaryStereo : kCapPrimaryMono;
  const uint32_t bits_cap = f.bits_per_sample == 16 ? kCapPrimary16Bit : kCapPrimary8Bit;
  return (caps.flags & channel_cap) != 0 && (caps.flags & bits_cap) != 0;
}

Result CreatePrimary(const BufferDesc& desc, Buffer** out) {
  if (Result r = AskHook(Op::kCreatePrimary); r != Result::kOk) return r;
  if (desc.bytes != 0 || desc.flags != kBufferPrimary) return Result::kInvalidParam;
  if (g_sound.primary != nullptr) return Result::kInvalidCall;
  auto b = std::make_unique<Buffer>();
  b->primary = true;
  b->flags = desc.flags;
  Buffer* raw = b.get();
  g_sound.buffers.emplace(raw, std::move(b));
  g_sound.primary = raw;
  *out = raw;
  return Result::kOk;
}

Result CreateSecondary(const BufferDesc& desc, Buffer** out) {
  if (Result r = AskHook(Op::kCreateBuffer); r != Result::kOk) return r;
  if (!IsPlayableFormat(desc.format)) return Result::kBadFormat;
  const uint32_t frame_bytes = desc.format.channels * (desc.format.bits_per_sample / 8u);
  if (desc.bytes < frame_bytes || desc.bytes > kMaxBufferBytes) return Result::kInvalidParam;
  auto b = std::make_unique<Buffer>();
  try {
    b->data.assign(desc.bytes, desc.format.bits_per_sample == 8 ? 0x80 : 0x00);
  } catch (const std::bad_alloc&) {
    return Result::kOutOfMemory;
  }
  b->flags = desc.flags;
  b->format = desc.format;
  b->frame_bytes = frame_bytes;
  b->frames = desc.bytes / frame_bytes;
  b->frequency = desc.format.samples_per_sec;
  Buffer* raw = b.get();
  g_sound.buffers.emplace(raw, std::move(b));
  RecordCall(Op::kCreateBuffer, raw, desc.bytes);
  *out = raw;
  return Result::kOk;
}

}  // namespace

Result CreateBuffer(Device* device, const BufferDesc& desc, Buffer** out) {
  if (out == nullptr) return Result::kInvalidParam;
  *out = nullptr;
  auto lock = EnterSound();
  if (device == nullptr || device != g_sound.device.get()) return Result::kInvalidParam;
  if ((desc.flags & kBufferPrimary) != 0) return CreatePrimary(desc, out);
  return CreateSecondary(desc, out);
}

Result ReleaseBuffer(Buffer* buffer) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (!b->primary) RecordCall(Op::kRelease, b, 0);
  if (b == g_sound.primary) g_sound.primary = nullptr;
  ForgetPlaying(b);
  g_sound.buffers.erase(b);
  return Result::kOk;
}

Result LockBuffer(Buffer* buffer, uint32_t offset, uint32_t bytes, LockedRegions* out, uint32_t flags) {
  if (out == nullptr) return Result::kInvalidParam;
  *out = {};
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (Result r = AskHook(Op::kLock); r != Result::kOk) return r;
  if (b->primary) return Result::kInvalidCall;
  const uint32_t size = static_cast<uint32_t>(b->data.size());
  if ((flags & kLockFromWriteCursor) != 0) {
    offset = static_cast<uint32_t>(b->position >> 32) * b->frame_bytes;
  }
  if ((flags & kLockEntireBuffer) != 0) bytes = size;
  if (bytes == 0 || bytes > size || offset >= size) return Result::kInvalidParam;
  const uint32_t first = bytes <= size - offset ? bytes : size - offset;
  out->first = std::span<uint8_t>(b->data.data() + offset, first);
  if (first < bytes) out->second = std::span<uint8_t>(b->data.data(), bytes - first);
  ++b->locks;
  return Result::kOk;
}

Result UnlockBuffer(Buffer* buffer, const LockedRegions& regions) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (Result r = AskHook(Op::kUnlock); r != Result::kOk) return r;
  if (b->locks == 0) return Result::kInvalidCall;
  if (!InsideData(*b, regions.first) || !InsideData(*b, regions.second)) {
    return Result::kInvalidParam;
  }
  --b->locks;
  return Result::kOk;
}

Result PlayBuffer(Buffer* buffer, uint32_t flags) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (!b->primary) RecordCall(Op::kPlay, b, flags);
  if (Result r = AskHook(Op::kPlay); r != Result::kOk) return r;
  // Without a device there is no output to move the buffer: it would play forever.
  if (g_sound.device == nullptr) return Result::kInvalidCall;
  b->looping = (flags & kPlayLooping) != 0;
  if (b->playing) return Result::kOk;
  b->playing = true;
  if (!b->primary) g_sound.playing.push_back(b);
  StartStream();
  StartPendingSdl(lock);
  return Result::kOk;
}

Result StopBuffer(Buffer* buffer) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (!b->primary) RecordCall(Op::kStop, b, 0);
  if (Result r = AskHook(Op::kStop); r != Result::kOk) return r;
  b->playing = false;
  ForgetPlaying(b);
  return Result::kOk;
}

Result GetBufferStatus(Buffer* buffer, uint32_t* status) {
  if (status == nullptr) return Result::kInvalidParam;
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (Result r = AskHook(Op::kGetStatus); r != Result::kOk) return r;
  *status = b->playing ? (kStatusPlaying | (b->looping ? kStatusLooping : 0u)) : 0u;
  return Result::kOk;
}

Result GetBufferPosition(Buffer* buffer, uint32_t* play_cursor, uint32_t* write_cursor) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (Result r = AskHook(Op::kGetPosition); r != Result::kOk) return r;
  const uint32_t cursor = static_cast<uint32_t>(b->position >> 32) * b->frame_bytes;
  if (play_cursor != nullptr) *play_cursor = cursor;
  if (write_cursor != nullptr) *write_cursor = cursor;
  return Result::kOk;
}

Result SetBufferPosition(Buffer* buffer, uint32_t position) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (!b->primary) RecordCall(Op::kSetPosition, b, position);
  if (Result r = AskHook(Op::kSetPosition); r != Result::kOk) return r;
  if (b->primary) return Result::kInvalidCall;
  const uint32_t frame = position / b->frame_bytes;
  if (frame >= b->frames) return Result::kInvalidParam;
  b->position = static_cast<uint64_t>(frame) << 32;
  return Result::kOk;
}

Result SetBufferFrequency(Buffer* buffer, uint32_t hz) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (!b->primary) RecordCall(Op::kSetFrequency, b, hz);
  if (Result r = AskHook(Op::kSetFrequency); r != Result::kOk) return r;
  if ((b->flags & kBufferCtrlFrequency) == 0) return Result::kNoControl;
  if (hz < kMinFrequency || hz > kMaxFrequency) return Result::kInvalidParam;
  b->frequency = hz;
  return Result::kOk;
}

Result GetBufferFrequency(Buffer* buffer, uint32_t* hz) {
  if (hz == nullptr) return Result::kInvalidParam;
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if ((b->flags & kBufferCtrlFrequency) == 0) return Result::kNoControl;
  *hz = b->frequency;
  return Result::kOk;
}

Result SetBufferVolume(Buffer* buffer, int32_t volume) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (!b->primary) RecordCall(Op::kSetVolume, b, volume);
  if (Result r = AskHook(Op::kSetVolume); r != Result::kOk) return r;
  if ((b->flags & kBufferCtrlVolume) == 0) return Result::kNoControl;
  if (volume < kMinVolume || volume > kMaxVolume) return Result::kInvalidParam;
  b->volume = volume;
  ComputeGains(b->volume, b->pan, &b->gain_left, &b->gain_right);
  return Result::kOk;
}

Result GetBufferVolume(Buffer* buffer, int32_t* volume) {
  if (volume == nullptr) return Result::kInvalidParam;
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if ((b->flags & kBufferCtrlVolume) == 0) return Result::kNoControl;
  *volume = b->volume;
  return Result::kOk;
}

Result SetBufferPan(Buffer* buffer, int32_t pan) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (!b->primary) RecordCall(Op::kSetPan, b, pan);
  if (Result r = AskHook(Op::kSetPan); r != Result::kOk) return r;
  if ((b->flags & kBufferCtrlPan) == 0) return Result::kNoControl;
  if (pan < kMinPan || pan > kMaxPan) return Result::kInvalidParam;
  b->pan = pan;
  ComputeGains(b->volume, b->pan, &b->gain_left, &b->gain_right);
  return Result::kOk;
}

Result GetBufferPan(Buffer* buffer, int32_t* pan) {
  if (pan == nullptr) return Result::kInvalidParam;
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if ((b->flags & kBufferCtrlPan) == 0) return Result::kNoControl;
  *pan = b->pan;
  return Result::kOk;
}

Result SetBufferFormat(Buffer* buffer, const WaveFormat& format) {
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  if (Result r = AskHook(Op::kSetFormat); r != Result::kOk) return r;
  if (!b->primary) return Result::kInvalidCall;
  if (!PrimaryAccepts(format, g_sound.caps)) return Result::kBadFormat;
  ChangeOutputFormat(lock, PcmFormat(format.samples_per_sec, format.channels, format.bits_per_sample));
  StartPendingSdl(lock);
  return Result::kOk;
}

Result GetBufferFormat(Buffer* buffer, WaveFormat* out) {
  if (out == nullptr) return Result::kInvalidParam;
  auto lock = EnterSound();
  Buffer* b = Find(buffer);
  if (b == nullptr) return Result::kInvalidParam;
  *out = b->primary ? g_sound.output : b->format;
  return Result::kOk;
}

}  // namespace plat::sound
