// Sound files to PCM: a RIFF WAVE file or an MPEG audio file, read through a stream, and
// anything that is not PCM converted by the compression manager (plat::codec). Nothing
// here logs; every failure is -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sound/sound.h"
#include "vexal/app/streams/stream.h"

namespace vexal {

// A stream and the functions that read it (read, seek, tell and the end test are used).
struct SoundSource {
  const StreamFuncTable* funcs;
  void* stream;
};

// Size of the record made for an MPEG file, and its fixed fields.
inline constexpr int kMp3FormatBytes = 30;
inline constexpr uint16_t kMp3FormatExtraBytes = 12;
inline constexpr uint16_t kMp3FormatId = 1;  // MPEG, ISO padding
inline constexpr uint16_t kMp3CodecDelay = 1393;
inline constexpr int kId3v2HeaderBytes = 10;  // and the footer of a v2.4 tag
inline constexpr int kId3v1Bytes = 128;

// One MPEG audio frame header, as the probe reads it.
struct Mp3FrameHeader {
  int mpeg1;  // 1 MPEG-1, 0 MPEG-2
  int layer;  // 1, 2 or 3
  int kbps;
  int sample_rate;  // Hz
  int padding;      // 0 or 1
  int channels;     // 1 or 2
};

// Decodes header bytes 1..3 (byte 0 is the 0xFF of the sync). false for a reserved layer,
// a free-format (0) or bad (15) bitrate index, or the reserved sample-rate index 3.
bool DecodeMp3FrameHeader(uint8_t b1, uint8_t b2, uint8_t b3, Mp3FrameHeader* out);
// Length of a frame in bytes, padding included.
int Mp3FrameLength(const Mp3FrameHeader& h);

// Places the stream at the first byte of a WAV file's sound data and returns its size
// (clamped to what the file holds), with the format record (at least 18 bytes) in
// `format`. A file that is not RIFF is tried as MPEG audio (ProbeMp3).
int32_t ParseWavHeader(const SoundSource& source, std::vector<uint8_t>* format);
// Places the stream at the first frame of an MPEG audio file and returns the size of the
// frame data (ID3 tags left out), with a 30-byte MPEG Layer-3 format record.
int32_t ProbeMp3(const SoundSource& source, std::vector<uint8_t>* format);
// A PCM sound the sound buffers can hold: a format a buffer accepts, at least one frame
// and no more than the largest buffer. Anything else would fail buffer creation, which is
// fatal, for a bad file.
bool IsUsablePcm(const plat::sound::WaveFormat& format, size_t bytes);
// The whole sound as PCM the sound buffers can play: its bytes and its format record.
// Size of the data, or -1 (both outputs then empty).
int32_t ConvertSoundToPcm(const SoundSource& source, std::vector<uint8_t>* pcm, std::vector<uint8_t>* format);

}  // namespace vexal
