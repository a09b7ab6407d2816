#include "game/field/chip_set.h"

#include <cstring>

#include "platform/numeric/little_endian.h"

namespace game {
namespace {

using plat::numeric::LoadLe16;

}  // namespace

std::string ParseChipSet(std::span<const uint8_t> bytes, ChipSetImage& out) {
  if (bytes.size() < kChipSetFileBytes) return "chip-set file shorter than 27904 bytes";
  ChipSetImage s;
  std::memcpy(s.ImageName.data(), bytes.data(), kChipNameBytes);
  std::memcpy(s.SecondName.data(), bytes.data() + kChipNameBytes, kChipNameBytes);
  s.ImageName.back() = 0;
  s.SecondName.back() = 0;
  size_t at = 2 * kChipNameBytes;
  for (int i = 0; i < kChipRecordCount; ++i) {
    ChipRecord& r = s.Records[i];
    r.FrameCount = LoadLe16(&bytes[at]);
    r.Period = LoadLe16(&bytes[at + 2]);
    for (int f = 0; f < kChipFrameCount; ++f) r.Frames[f] = LoadLe16(&bytes[at + 4 + 2 * f]);
    for (int a = 0; a < kChipAttributeCount; ++a) r.Attributes[a] = LoadLe16(&bytes[at + 20 + 2 * a]);
    at += kChipRecordBytes;
    const std::string where = "chip " + std::to_string(i) + ": ";
    if (r.FrameCount > kChipFrameCount) return where + "frame count above 8";
    if (r.Period >= kChipPeriodLimit) return where + "period above 31";
    for (uint16_t c : r.Frames)
      if (c >= kChipCellCount) return where + "cell above 1023";
  }
  out = std::move(s);
  return {};
}

std::vector<uint8_t> SerializeChipSet(const ChipSetImage& set) {
  std::vector<uint8_t> b(kChipSetFileBytes);
  std::memcpy(b.data(), set.ImageName.data(), kChipNameBytes);
  std::memcpy(b.data() + kChipNameBytes, set.SecondName.data(), kChipNameBytes);
  size_t at = 2 * kChipNameBytes;
  auto put = [&](size_t p, uint16_t v) {
    b[p] = uint8_t(v);
    b[p + 1] = uint8_t(v >> 8);
  };
  for (const ChipRecord& r : set.Records) {
    put(at, r.FrameCount);
    put(at + 2, r.Period);
    for (int f = 0; f < kChipFrameCount; ++f) put(at + 4 + 2 * f, r.Frames[f]);
    for (int a = 0; a < kChipAttributeCount; ++a) put(at + 20 + 2 * a, r.Attributes[a]);
    at += kChipRecordBytes;
  }
  return b;
}

}  // namespace game
