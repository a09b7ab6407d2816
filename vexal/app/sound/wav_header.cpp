// The RIFF WAVE chunk walk: the format chunk must come first, then chunks are skipped
// until "data". Sizes come from the file, so none is trusted past the file's end.
#include <algorithm>
#include <cstring>

#include "platform/numeric/little_endian.h"
#include "vexal/app/sound/sound_decode.h"
#include "vexal/app/sound/sound_stream_util.h"

namespace vexal {

using plat::numeric::LoadLe32;

namespace {

constexpr int kChunkHeaderBytes = 8;      // 4-byte id, 4-byte little-endian size
constexpr uint32_t kFormatMinBytes = 16;  // a format record without its extra-size field
constexpr size_t kFormatRecordBytes = 18;

struct ChunkHeader {
  char id[4];
  uint32_t size;
};

// false at the end of the file (a header cut short counts as the end).
bool ReadChunkHeader(const SoundSource& s, ChunkHeader* out) {
  uint8_t raw[kChunkHeaderBytes];
  if (ReadBytes(s, raw, kChunkHeaderBytes) != kChunkHeaderBytes) return false;
  std::memcpy(out->id, raw, 4);
  out->size = LoadLe32(raw + 4);
  return true;
}

bool IdIs(const char* id, const char* want) { return std::memcmp(id, want, 4) == 0; }

}  // namespace

int32_t ParseWavHeader(const SoundSource& s, std::vector<uint8_t>* format) {
  format->clear();
  const int64_t file_size = StreamSize(s);
  uint8_t head[8];
  if (ReadBytes(s, head, 8) != 8 || std::memcmp(head, "RIFF", 4) != 0) {
    s.funcs->Seek(s.stream, 0, 0);
    return ProbeMp3(s, format);
  }
  uint8_t wave[4];
  if (ReadBytes(s, wave, 4) != 4 || std::memcmp(wave, "WAVE", 4) != 0) return -1;
  ChunkHeader chunk;
  if (!ReadChunkHeader(s, &chunk) || !IdIs(chunk.id, "fmt ")) return -1;
  if (chunk.size < kFormatMinBytes || chunk.size > file_size - s.funcs->Tell(s.stream)) return -1;
  std::vector<uint8_t> record(std::max<size_t>(chunk.size, kFormatRecordBytes), 0);
  if (ReadBytes(s, record.data(), chunk.size) != chunk.size) return -1;
  // The format chunk's own pad byte is not skipped: files in use rely on that.
  while (!s.funcs->Eof(s.stream)) {
    if (!ReadChunkHeader(s, &chunk)) break;
    const int64_t here = s.funcs->Tell(s.stream);
    const int64_t remaining = file_size - here;
    if (IdIs(chunk.id, "data")) {
      *format = std::move(record);
      return static_cast<int32_t>(std::min<int64_t>(chunk.size, remaining));
    }
    const int64_t skip = static_cast<int64_t>(chunk.size) + (chunk.size & 1);
    if (skip > remaining) break;
    if (s.funcs->Seek(s.stream, static_cast<int32_t>(here + skip), 0) != 0) break;
  }
  return -1;
}

}  // namespace vexal
