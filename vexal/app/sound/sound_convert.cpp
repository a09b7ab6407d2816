// A whole sound file to one block of PCM: PCM passes through, anything else goes through
// one conversion of the compression manager over the whole data.
#include <algorithm>
#include <span>

#include "platform/codec/codec.h"
#include "platform/sound/sound.h"
#include "vexal/app/sound/sound_decode.h"
#include "vexal/app/sound/sound_stream_util.h"
#include "vexal/app/window/message_pump.h"

namespace vexal {
namespace {

namespace ps = plat::sound;
namespace pc = plat::codec;

// Converts `source` (format record `record`) to PCM. false on any failure.
bool ConvertThroughCodec(std::span<const uint8_t> record, std::span<const uint8_t> source, std::vector<uint8_t>* pcm,
                         ps::WaveFormat* dest) {
  *dest = ps::WaveFormat{};
  dest->format_tag = ps::kFormatPcm;
  if (pc::SuggestFormat(record, dest, pc::kSuggestFormatTag) != pc::Result::kOk) return false;
  pc::Stream* stream = nullptr;
  if (pc::OpenStream(&stream, record, *dest) != pc::Result::kOk) return false;
  bool ok = false;
  uint32_t estimate = 0;
  pc::StreamHeader header;
  bool prepared = false;
  do {
    if (pc::StreamSize(stream, static_cast<uint32_t>(source.size()), &estimate, pc::kSizeFromSource) !=
        pc::Result::kOk) {
      break;
    }
    pcm->assign(estimate, 0);
    header.source = source;
    header.destination = std::span<uint8_t>(*pcm);
    if (pc::PrepareHeader(stream, &header) != pc::Result::kOk) break;
    prepared = true;
    if (pc::Convert(stream, &header, pc::kConvertBlockAlign) != pc::Result::kOk) break;
    pcm->resize(std::min(header.destination_used, estimate));
    if (PumpMessages() == -1) break;
    pc::Result r = pc::UnprepareHeader(stream, &header);
    while (r == pc::Result::kBusy) {
      if (PumpMessages() == -1) break;
      r = pc::UnprepareHeader(stream, &header);
    }
    if (r != pc::Result::kOk) break;
    prepared = false;
    ok = true;
  } while (false);
  if (prepared) pc::UnprepareHeader(stream, &header);
  if (pc::CloseStream(stream) != pc::Result::kOk) ok = false;
  return ok;
}

}  // namespace

bool IsUsablePcm(const ps::WaveFormat& f, size_t bytes) {
  if (f.channels < 1 || f.channels > 2 || (f.bits_per_sample != 8 && f.bits_per_sample != 16)) return false;
  if (f.samples_per_sec < ps::kMinFrequency || f.samples_per_sec > ps::kMaxFrequency) return false;
  return bytes >= static_cast<size_t>(f.channels) * (f.bits_per_sample / 8) && bytes <= ps::kMaxBufferBytes;
}

int32_t ConvertSoundToPcm(const SoundSource& s, std::vector<uint8_t>* pcm, std::vector<uint8_t>* format) {
  pcm->clear();
  format->clear();
  std::vector<uint8_t> record;
  const int32_t size = ParseWavHeader(s, &record);
  if (size < 0) return -1;
  std::vector<uint8_t> data(static_cast<size_t>(size));
  data.resize(ReadBytes(s, data.data(), static_cast<uint32_t>(size)));

  ps::WaveFormat f;
  if (!ps::ReadWaveFormat(record, &f)) return -1;
  if (f.format_tag == ps::kFormatPcm) {
    if (!IsUsablePcm(f, data.size())) return -1;
    *pcm = std::move(data);
    *format = std::move(record);
    return static_cast<int32_t>(pcm->size());
  }
  if (f.channels == 0 || f.samples_per_sec == 0 || data.empty()) return -1;

  std::vector<uint8_t> out;
  ps::WaveFormat dest;
  if (!ConvertThroughCodec(record, data, &out, &dest) || !IsUsablePcm(dest, out.size())) return -1;
  const auto dest_record = ps::WriteWaveFormat(dest);
  *pcm = std::move(out);
  format->assign(dest_record.begin(), dest_record.end());
  return static_cast<int32_t>(pcm->size());
}

}  // namespace vexal
