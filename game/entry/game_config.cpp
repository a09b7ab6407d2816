// Reading system\nlconfig.inf.
#include "game/entry/game_config.h"

#include <cstdio>

#include "platform/fs/fs.h"

namespace game {

GameConfigTable ReadGameConfig(std::string_view file) {
  GameConfigTable config{};
  std::FILE* in = plat::fs::OpenFile(file, "rt");
  if (in == nullptr) return config;
  char header[kGameConfigHeaderBytes];
  // The header is ignored, but a long one must not run past its buffer.
  static_assert(kGameConfigHeaderBytes == 256, "the width below is the buffer less its NUL");
  if (std::fscanf(in, "%255s", header) == 1) {
    std::fscanf(in, "%*[^ \t\r\n]");  // what is left of a longer header
    for (int& entry : config) {
      int value = 0;
      if (std::fscanf(in, "%d", &value) != 1) break;
      entry = value;
    }
  }
  std::fclose(in);
  return config;
}

int ConfiguredFontSheet(const GameConfigTable& config) {
  int n = config[kConfigFontSheet];
  return n >= 0 && n <= kLastFontSheet ? n : 0;
}

}  // namespace game
