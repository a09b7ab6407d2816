// The music list text (Org\music.csv).
#include <string_view>

#include "music/music_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  music::MusicListTable list{};
  music::ParseMusicList(std::string_view(reinterpret_cast<const char*>(data), size), list);
  return 0;
}
