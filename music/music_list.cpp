#include "music/music_list.h"

#include <cctype>
#include <cstring>

namespace music {
namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// One line as "%d,%[^,]%s" takes it; false when it does not fit the entry.
bool ParseLine(std::string_view line, std::array<char, kMusicPathBytes>& entry) {
  size_t i = 0;
  while (i < line.size() && IsSpace(line[i])) ++i;
  if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
  const size_t digits = i;
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])) != 0) ++i;
  if (i == digits || i >= line.size() || line[i] != ',') return false;
  const size_t path_start = ++i;
  const size_t comma = line.find(',', path_start);
  if (comma == std::string_view::npos || comma == path_start) return false;
  const std::string_view path = line.substr(path_start, comma - path_start);
  if (path.size() >= kMusicPathBytes) return false;  // refused, not cut
  size_t word_end = comma;
  while (word_end < line.size() && !IsSpace(line[word_end])) ++word_end;
  if (word_end - comma >= kMusicWordBytes) return false;
  for (size_t k = word_end; k < line.size(); ++k) {
    if (!IsSpace(line[k])) return false;  // more than three fields
  }
  entry.fill('\0');
  std::memcpy(entry.data(), path.data(), path.size());
  return true;
}

}  // namespace

int ParseMusicList(std::string_view text, MusicListTable& list) {
  int entries = 0;
  size_t at = 0;
  while (at < text.size() && entries < kMusicListEntries) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    bool blank = true;
    for (char c : line) blank = blank && IsSpace(c);
    if (blank) continue;
    if (!ParseLine(line, list[entries])) list[entries].fill('\0');
    ++entries;
  }
  return entries + 1;
}

}  // namespace music
