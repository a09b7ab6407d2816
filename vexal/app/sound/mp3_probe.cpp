// The MPEG audio probe: ID3 tags are stepped over, every frame header is checked on a
// walk through the file, and the first frame's header becomes the format record that the
// compression manager decodes from.
#include <cstring>

#include "platform/numeric/little_endian.h"
#include "platform/sound/sound.h"
#include "vexal/app/sound/sound_decode.h"
#include "vexal/app/sound/sound_stream_util.h"

namespace vexal {

using plat::numeric::StoreLe16;
using plat::numeric::StoreLe32;

namespace {

// kbit/s by bitrate index 1..14 (index 0, free format, has no entry and is refused).
// Rows: MPEG-1 Layer I, II, III; MPEG-2 Layer I, II and III (the last two are equal).
constexpr int kBitrates[5][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};
constexpr int kSampleRates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};  // [mpeg1]
constexpr int kHeaderBytes = 4;
constexpr uint8_t kId3FooterFlag = 0x10;

// Finds the next sync (0xFF, then a byte whose high nibble is 0xF) from `from`, with its
// whole header before `limit`. Its offset, or -1.
int64_t FindSync(const SoundSource& s, int64_t from, int64_t limit) {
  if (from >= limit || s.funcs->Seek(s.stream, static_cast<int32_t>(from), 0) != 0) return -1;
  int64_t pos = from;
  uint8_t b = 0;
  while (pos + kHeaderBytes <= limit) {
    if (ReadBytes(s, &b, 1) != 1) return -1;
    ++pos;
    if (b != 0xFF) continue;
    if (ReadBytes(s, &b, 1) != 1) return -1;
    ++pos;
    if ((b & 0xF0) == 0xF0) return pos - 2;
  }
  return -1;
}

// Reads and decodes the header at `at`.
bool ReadHeaderAt(const SoundSource& s, int64_t at, Mp3FrameHeader* h) {
  uint8_t raw[kHeaderBytes];
  if (s.funcs->Seek(s.stream, static_cast<int32_t>(at), 0) != 0) return false;
  if (ReadBytes(s, raw, kHeaderBytes) != kHeaderBytes) return false;
  return DecodeMp3FrameHeader(raw[1], raw[2], raw[3], h);
}

}  // namespace

bool DecodeMp3FrameHeader(uint8_t b1, uint8_t b2, uint8_t b3, Mp3FrameHeader* out) {
  const int mpeg1 = (b1 >> 3) & 1;
  const int layer_bits = (b1 >> 1) & 3;
  const int bitrate_index = b2 >> 4;
  const int rate_index = (b2 >> 2) & 3;
  if (layer_bits == 0 || bitrate_index == 0 || bitrate_index == 15 || rate_index == 3) return false;
  out->mpeg1 = mpeg1;
  out->layer = 4 - layer_bits;
  const int row = mpeg1 ? out->layer - 1 : (out->layer == 1 ? 3 : 4);
  out->kbps = kBitrates[row][bitrate_index - 1];
  out->sample_rate = kSampleRates[mpeg1][rate_index];
  out->padding = (b2 >> 1) & 1;
  out->channels = (b3 >> 6) == 3 ? 1 : 2;
  return true;
}

int Mp3FrameLength(const Mp3FrameHeader& h) {
  if (h.layer == 1) return (12000 * h.kbps / h.sample_rate + h.padding) * 4;
  if (!h.mpeg1 && h.layer == 3) return 72000 * h.kbps / h.sample_rate + h.padding;
  return 144000 * h.kbps / h.sample_rate + h.padding;
}

int32_t ProbeMp3(const SoundSource& s, std::vector<uint8_t>* format) {
  format->clear();
  const int64_t file_size = StreamSize(s);

  int64_t tag_length = 0;
  uint8_t id3[kId3v2HeaderBytes];
  if (ReadBytes(s, id3, kId3v2HeaderBytes) >= 3 && std::memcmp(id3, "ID3", 3) == 0) {
    if (file_size < kId3v2HeaderBytes) return -1;
    // The size bytes are taken whole, as the files in use were written.
    tag_length = kId3v2HeaderBytes + ((int64_t{id3[6]} * 128 + id3[7]) * 128 + id3[8]) * 128 + id3[9];
    if (id3[3] == 4 && (id3[5] & kId3FooterFlag) != 0) tag_length += kId3v2HeaderBytes;
  }

  int64_t audio_end = file_size;
  if (file_size > kId3v1Bytes) {
    uint8_t tag[3];
    s.funcs->Seek(s.stream, static_cast<int32_t>(file_size - kId3v1Bytes), 0);
    if (ReadBytes(s, tag, 3) == 3 && std::memcmp(tag, "TAG", 3) == 0) audio_end -= kId3v1Bytes;
  }

  // Every frame header on the way must be valid; frames end the walk at the audio's end.
  Mp3FrameHeader h;
  for (int64_t pos = tag_length;;) {
    const int64_t at = FindSync(s, pos, audio_end);
    if (at < 0) break;
    if (!ReadHeaderAt(s, at, &h)) return -1;
    const int64_t frame_end = at + Mp3FrameLength(h);
    if (frame_end >= audio_end) break;
    pos = frame_end;
  }

  const int64_t first = FindSync(s, tag_length, audio_end);
  if (first < 0 || !ReadHeaderAt(s, first, &h)) return -1;
  const int64_t data_size = audio_end - first;
  if (data_size <= 0) return -1;

  format->assign(kMp3FormatBytes, 0);
  uint8_t* f = format->data();
  StoreLe16(f + 0, plat::sound::kFormatMpegLayer3);
  StoreLe16(f + 2, static_cast<uint16_t>(h.channels));
  StoreLe32(f + 4, static_cast<uint32_t>(h.sample_rate));
  StoreLe32(f + 8, static_cast<uint32_t>(h.kbps * 125));
  StoreLe16(f + 12, 1);  // block align
  StoreLe16(f + 14, 0);  // bits per sample
  StoreLe16(f + 16, kMp3FormatExtraBytes);
  StoreLe16(f + 18, kMp3FormatId);
  StoreLe32(f + 20, 0);  // flags: ISO padding
  StoreLe16(f + 24, static_cast<uint16_t>(Mp3FrameLength(h)));
  StoreLe16(f + 26, 1);  // frames per block
  StoreLe16(f + 28, kMp3CodecDelay);
  s.funcs->Seek(s.stream, static_cast<int32_t>(first), 0);
  return static_cast<int32_t>(data_size);
}

}  // namespace vexal
