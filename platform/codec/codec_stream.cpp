// The table of open conversion streams and the manager's seven calls; the decoding
// itself is in codec_mpeg.cpp and codec_ima_adpcm.cpp.
#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "platform/codec/codec_decoder.h"

namespace plat::codec {

struct Stream {
  sound::WaveFormat source{};        // source format
  sound::WaveFormat dest{};          // the PCM format it converts to
  std::vector<uint8_t> record;       // the source format record as given
  std::unique_ptr<Decoder> decoder;  // the decoder, remade by kConvertStart
};

namespace {

std::mutex g_mutex;                                              // guards the table and hook
std::unordered_map<Stream*, std::unique_ptr<Stream>> g_streams;  // every open stream
std::function<Result(Op)> g_hook;                                // test injection, or empty

Result AskHook(Op op) { return g_hook ? g_hook(op) : Result::kOk; }

Stream* Find(Stream* s) { return s != nullptr && g_streams.count(s) != 0 ? s : nullptr; }

// Reads a source record: the 18-byte format and the extra bytes it announces.
bool ParseSource(std::span<const uint8_t> record, sound::WaveFormat* format, std::span<const uint8_t>* extra) {
  if (record.size() < sound::kWaveFormatBytes) return false;
  sound::ReadWaveFormat(record, format);
  if (format->extra_size > record.size() - sound::kWaveFormatBytes) return false;
  *extra = record.subspan(sound::kWaveFormatBytes, format->extra_size);
  return true;
}

bool TargetFor(const sound::WaveFormat& source, std::span<const uint8_t> extra, sound::WaveFormat* pcm) {
  switch (source.format_tag) {
    case sound::kFormatImaAdpcm: return ImaAdpcmTarget(source, extra, pcm);
    case sound::kFormatMpegLayer3: return MpegTarget(source, pcm);
    default: return false;
  }
}

std::unique_ptr<Decoder> DecoderFor(const Stream& s) {
  sound::WaveFormat f;
  std::span<const uint8_t> extra;
  ParseSource(s.record, &f, &extra);
  if (f.format_tag == sound::kFormatImaAdpcm) return MakeImaAdpcmDecoder(f, extra);
  return MakeMpegDecoder(f);
}

bool SameFormat(const sound::WaveFormat& a, const sound::WaveFormat& b) {
  return a.format_tag == b.format_tag && a.channels == b.channels && a.samples_per_sec == b.samples_per_sec &&
         a.bits_per_sample == b.bits_per_sample && a.block_align == b.block_align;
}

}  // namespace

Result SuggestFormat(std::span<const uint8_t> source_format, sound::WaveFormat* dest, uint32_t flags) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (Result r = AskHook(Op::kSuggest); r != Result::kOk) return r;
  if (dest == nullptr || (flags & ~kSuggestFormatTag) != 0) return Result::kInvalidParam;
  sound::WaveFormat source;
  std::span<const uint8_t> extra;
  if (!ParseSource(source_format, &source, &extra)) return Result::kInvalidParam;
  if ((flags & kSuggestFormatTag) != 0 && dest->format_tag != sound::kFormatPcm) {
    return Result::kNotPossible;
  }
  sound::WaveFormat pcm;
  if (!TargetFor(source, extra, &pcm)) return Result::kNotPossible;
  *dest = pcm;
  return Result::kOk;
}

Result OpenStream(Stream** out, std::span<const uint8_t> source_format, const sound::WaveFormat& dest) {
  if (out == nullptr) return Result::kInvalidParam;
  *out = nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (Result r = AskHook(Op::kOpen); r != Result::kOk) return r;
  auto s = std::make_unique<Stream>();
  std::span<const uint8_t> extra;
  if (!ParseSource(source_format, &s->source, &extra)) return Result::kInvalidParam;
  if (!TargetFor(s->source, extra, &s->dest) || !SameFormat(s->dest, dest)) {
    return Result::kNotPossible;
  }
  s->record.assign(source_format.begin(), source_format.begin() + sound::kWaveFormatBytes + s->source.extra_size);
  s->decoder = DecoderFor(*s);
  if (s->decoder == nullptr) return Result::kFailed;
  Stream* raw = s.get();
  g_streams.emplace(raw, std::move(s));
  *out = raw;
  return Result::kOk;
}

Result StreamSize(Stream* stream, uint32_t bytes, uint32_t* out, uint32_t direction) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Stream* s = Find(stream);
  if (s == nullptr) return Result::kInvalidHandle;
  if (Result r = AskHook(Op::kSize); r != Result::kOk) return r;
  if (out == nullptr) return Result::kInvalidParam;
  if (direction == kSizeFromSource) {
    const uint64_t n = s->decoder->MaxOutputBytes(bytes);
    if (n > UINT32_MAX) return Result::kNotPossible;
    *out = static_cast<uint32_t>(n);
    return Result::kOk;
  }
  if (direction != kSizeFromDestination) return Result::kInvalidParam;
  // The largest source whose bound fits: the bound grows with the source.
  uint64_t lo = 0;
  uint64_t hi = UINT32_MAX;
  while (lo < hi) {
    const uint64_t mid = (lo + hi + 1) / 2;
    if (s->decoder->MaxOutputBytes(mid) <= bytes) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  *out = static_cast<uint32_t>(lo);
  return Result::kOk;
}

Result PrepareHeader(Stream* stream, StreamHeader* header) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Stream* s = Find(stream);
  if (s == nullptr) return Result::kInvalidHandle;
  if (Result r = AskHook(Op::kPrepare); r != Result::kOk) return r;
  if (header == nullptr) return Result::kInvalidParam;
  header->status = kHeaderPrepared;
  return Result::kOk;
}

Result Convert(Stream* stream, StreamHeader* header, uint32_t flags) {
  Stream* s;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    s = Find(stream);
    if (s == nullptr) return Result::kInvalidHandle;
    if (Result r = AskHook(Op::kConvert); r != Result::kOk) return r;
  }
  if (header == nullptr) return Result::kInvalidParam;
  if ((flags & ~(kConvertBlockAlign | kConvertStart | kConvertEnd)) != 0) {
    return Result::kInvalidParam;
  }
  if ((header->status & kHeaderPrepared) == 0) return Result::kUnprepared;
  // The decoding runs without the table lock: a stream belongs to one caller at a time.
  if ((flags & kConvertStart) != 0) {
    s->decoder = DecoderFor(*s);
    if (s->decoder == nullptr) return Result::kFailed;
  }
  header->source_used = 0;
  header->destination_used = 0;
  header->status &= ~kHeaderDone;
  const Result r = s->decoder->Convert(*header, flags);
  header->status |= kHeaderDone;
  return r;
}

Result UnprepareHeader(Stream* stream, StreamHeader* header) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Stream* s = Find(stream);
  if (s == nullptr) return Result::kInvalidHandle;
  if (Result r = AskHook(Op::kUnprepare); r != Result::kOk) return r;
  if (header == nullptr) return Result::kInvalidParam;
  if ((header->status & kHeaderPrepared) == 0) return Result::kUnprepared;
  header->status &= ~kHeaderPrepared;
  return Result::kOk;
}

Result CloseStream(Stream* stream) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Stream* s = Find(stream);
  if (s == nullptr) return Result::kInvalidHandle;
  if (Result r = AskHook(Op::kClose); r != Result::kOk) return r;
  g_streams.erase(s);
  return Result::kOk;
}

void SetFailureHook(std::function<Result(Op)> hook) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_hook = std::move(hook);
}

void ResetCodecForTests() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_streams.clear();
  g_hook = nullptr;
}

}  // namespace plat::codec
