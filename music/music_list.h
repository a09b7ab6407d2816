// The music list file "Org\music.csv": one song a line, "number,path,word". A song's
// number is its line's place among the non-blank lines, counted from 0; the number field
// is read and not used, and the third field is a word without spaces that begins with
// the comma after the path.
#pragma once

#include <array>
#include <string_view>

namespace music {

inline constexpr int kMusicListEntries = 50;
inline constexpr size_t kMusicPathBytes = 32;   // a path of at most 31 bytes and its NUL
inline constexpr size_t kMusicWordBytes = 100;  // the third field, at most 99 bytes

using MusicListTable = std::array<std::array<char, kMusicPathBytes>, kMusicListEntries>;

// Reads the list text into `list` (entries that are not read stay as they are). A line
// that does not have the form, or whose path or word is too long, leaves its entry empty;
// lines after the 50th are not read. Returns the entries + 1 (the scan that meets the end
// is counted, as the title's music test expects).
int ParseMusicList(std::string_view text, MusicListTable& list);

}  // namespace music
