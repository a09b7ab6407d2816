// nl_pack INPUT OUTPUT: packs a file with the game's LZ codec, as the game's maps,
// character sheet and saves are stored.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/codec/lz_codec.h"
#include "platform/fs/fs.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nl_pack INPUT OUTPUT\n");
    return 2;
  }
  std::FILE* probe = plat::fs::OpenFile(argv[1], "rb");
  if (probe == nullptr) {
    std::fprintf(stderr, "nl_pack: cannot open %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  std::fclose(probe);
  if (game::PackFile(argv[1], argv[2], game::kPackFileModePack) != game::kPackFileOk) {
    std::fprintf(stderr, "nl_pack: cannot pack %s into %s\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}
