// A sound file: the WAV header walk (which falls back to the MPEG probe), and the MPEG
// probe on its own.
#include <vector>

#include "vexal/app/sound/sound_decode.h"
#include "vexal/app/streams/stream.h"

namespace {

void Probe(std::vector<uint8_t>& bytes, bool mpeg) {
  vexal::MemStream* stream = vexal::MemStreamOpen(bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (stream == nullptr) return;
  vexal::SoundSource source{vexal::GetMemStreamFuncs(), stream};
  std::vector<uint8_t> format;
  if (mpeg) {
    vexal::ProbeMp3(source, &format);
  } else {
    vexal::ParseWavHeader(source, &format);
  }
  vexal::MemStreamClose(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  Probe(bytes, false);
  Probe(bytes, true);
  return 0;
}
