// Packs a map from its readable source: nl_map_pack <source.txt> <out.map>. The map is
// written unpacked to <out.map>.plain first, then packed with the game's own codec.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "game/codec/lz_codec.h"
#include "tools/map_source/map_source.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nl_map_pack <source.txt> <out.map>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "nl_map_pack: cannot read %s\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  game::MapFileImage map;
  const std::string why = nltool::ParseMapSource(text.str(), map);
  if (!why.empty()) {
    std::fprintf(stderr, "%s: %s\n", argv[1], why.c_str());
    return 1;
  }
  const std::vector<uint8_t> bytes = game::SerializeMapFile(map);
  const std::string plain = std::string(argv[2]) + ".plain";
  std::ofstream out(plain, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "nl_map_pack: cannot write %s\n", plain.c_str());
    return 1;
  }
  const int packed = game::PackFile(plain, argv[2], game::kPackFileModePack);
  std::remove(plain.c_str());
  if (packed != game::kPackFileOk) {
    std::fprintf(stderr, "nl_map_pack: cannot pack %s\n", argv[2]);
    return 1;
  }
  return 0;
}
