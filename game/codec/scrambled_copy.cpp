#include "game/codec/scrambled_copy.h"

#include <array>
#include <cstdio>

#include "platform/fs/fs.h"

namespace game {

int XorCopyFile(std::string_view input, std::string_view output) {
  std::FILE* in = plat::fs::OpenFile(input, "rb");
  if (in == nullptr) return 1;
  std::FILE* out = plat::fs::OpenFile(output, "wb");
  if (out == nullptr) {
    std::fclose(in);
    return 1;
  }
  std::array<uint8_t, kScrambleBlockBytes> block;
  bool ok = true;
  for (;;) {
    size_t n = std::fread(block.data(), 1, block.size(), in);
    if (n == 0) break;
    for (size_t i = 0; i < n; ++i) block[i] ^= kScrambleKey;
    if (std::fwrite(block.data(), 1, n, out) != n) {
      ok = false;
      break;
    }
  }
  if (std::ferror(in)) ok = false;
  std::fclose(in);
  if (std::fclose(out) != 0) ok = false;
  return ok ? 0 : 1;
}

}  // namespace game
