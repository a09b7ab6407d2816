// nl_scramble INPUT OUTPUT: scrambles a file with the game's one-byte key, as map scripts are stored.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/codec/scrambled_copy.h"
#include "platform/fs/fs.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nl_scramble INPUT OUTPUT\n");
    return 2;
  }
  std::FILE* probe = plat::fs::OpenFile(argv[1], "rb");
  if (probe == nullptr) {
    std::fprintf(stderr, "nl_scramble: cannot open %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  std::fclose(probe);
  if (game::XorCopyFile(argv[1], argv[2]) != 0) {
    std::fprintf(stderr, "nl_scramble: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
