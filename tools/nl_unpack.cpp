// nl_unpack INPUT OUTPUT: unpacks a file packed with the game's LZ codec.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/codec/lz_codec.h"
#include "platform/fs/fs.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nl_unpack INPUT OUTPUT\n");
    return 2;
  }
  std::FILE* probe = plat::fs::OpenFile(argv[1], "rb");
  if (probe == nullptr) {
    std::fprintf(stderr, "nl_unpack: cannot open %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  std::fclose(probe);
  if (game::PackFile(argv[1], argv[2], game::kPackFileModeUnpack) != game::kPackFileOk) {
    std::fprintf(stderr, "nl_unpack: %s is not a valid packed file, or %s cannot be written\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}
