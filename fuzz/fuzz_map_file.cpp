// A packed map as the field enters it: unpacked, checked, its events placed and paged, its
// chip set and script looked up by the names it holds, then field frames over it.
//
// A byte changed in the packed stream mostly breaks the stream, so half the mutations
// unpack the map, change a few bytes of one of its parts and pack it again: the checks
// behind the codec get reached.
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "field_fuzz.h"
#include "game/codec/lz_codec.h"
#include "platform/fs/fs.h"
#include "scratch_files.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t max_size);

namespace {

constexpr char kFuzzMapName[] = "fuzz.map";

bool ReadFile(const char* path, std::vector<uint8_t>& out) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  out.clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  std::fclose(f);
  return true;
}

// The map's parts, as offsets into the unpacked file.
struct Part {
  size_t at, size;
};
constexpr Part kParts[] = {
    {0, game::kMapPlanesBytes},
    {game::kMapPlanesBytes, game::kMapHeaderBytes},
    {game::kMapPlanesBytes + game::kMapHeaderBytes, game::kMapEventsBytes},
    {game::kMapPlanesBytes + game::kMapHeaderBytes + game::kMapEventsBytes, game::kMapStringsBytes},
};

// Frees a random event slot below the last used one (page-0 x = 0xFFFF) after changing a
// few bytes of its pages; false when the map uses fewer than two events.
bool FreeASlotBelowTheLast(std::vector<uint8_t>& plain, std::minstd_rand& rng) {
  constexpr size_t kEvents = game::kMapPlanesBytes + game::kMapHeaderBytes;
  auto x_of = [&](int e) -> uint8_t* { return plain.data() + kEvents + size_t(e) * game::kMapEventBytes; };
  int last = 0;
  for (int e = 0; e < game::kMapEventCount; ++e)
    if (x_of(e)[0] != 0xFF || x_of(e)[1] != 0xFF) last = e;
  if (last < 2) return false;
  const int e = 1 + int(rng() % uint32_t(last - 1));
  LLVMFuzzerMutate(x_of(e), game::kMapEventBytes, game::kMapEventBytes);
  x_of(e)[0] = x_of(e)[1] = 0xFF;
  return true;
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size, unsigned seed) {
  std::minstd_rand rng(seed);
  if (rng() % 2 == 0) return LLVMFuzzerMutate(data, size, max_size);
  nlfuzz::EnterScratchDir();
  std::vector<uint8_t> plain;
  if (!nlfuzz::WriteGameFile("mutate.lz", data, size) ||
      game::PackFile("mutate.lz", "mutate.bin", game::kPackFileModeUnpack) != game::kPackFileOk ||
      !ReadFile("mutate.bin", plain) || plain.size() != game::kMapFileBytes) {
    return LLVMFuzzerMutate(data, size, max_size);
  }
  // The events and strings are small beside the planes but hold most of what is checked.
  // The fifth kind frees a slot below the last used event and changes its pages: free
  // slots there get a page applied too.
  static constexpr int kWeights[] = {1, 1, 3, 2, 2};
  std::discrete_distribution<int> which(std::begin(kWeights), std::end(kWeights));
  const int kind = which(rng);
  if (kind != 4 || !FreeASlotBelowTheLast(plain, rng)) {
    const Part part = kParts[kind % 4];
    const size_t window = std::min<size_t>(part.size, 64);
    const size_t at = part.at + rng() % (part.size - window + 1);
    LLVMFuzzerMutate(plain.data() + at, window, window);
  }
  std::vector<uint8_t> packed;
  if (!nlfuzz::WriteGameFile("mutate.bin", plain.data(), plain.size()) ||
      game::PackFile("mutate.bin", "mutate.lz", game::kPackFileModePack) != game::kPackFileOk ||
      !ReadFile("mutate.lz", packed) || packed.size() > max_size) {
    return LLVMFuzzerMutate(data, size, max_size);
  }
  std::copy(packed.begin(), packed.end(), data);
  return packed.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  game::Field& field = nlfuzz::FreshField();
  if (!nlfuzz::WriteGameFile(std::string("map\\") + kFuzzMapName, data, size)) return 0;
  if (field.LoadMapFile(kFuzzMapName)) nlfuzz::RunFieldFrames(16);
  return 0;
}
