// Writes a map script from its readable source: nl_script_pack <source.txt> <out.scr>.
// Labels ("*n", "+n") and commands ("@...") stay ASCII; every other line is a message,
// written in UTF-8 and stored in the bitmap font's glyph codes. Lines end with CR LF and
// the whole file is scrambled as the game stores it. Block labels must ascend, since
// the game finds "*1" at the head of "*12" when that comes first.
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "game/codec/glyph_codes.h"
#include "game/codec/scrambled_copy.h"

namespace {

bool ToSjis(const std::string& utf8, std::string& out) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == iconv_t(-1)) return false;
  out.assign(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  char* o = out.data();
  size_t out_left = out.size();
  const bool ok = iconv(cd, &in, &in_left, &o, &out_left) != size_t(-1);
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nl_script_pack <source.txt> <out.scr>\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "nl_script_pack: cannot read %s\n", argv[1]);
    return 1;
  }
  std::string text, line;
  int number = 0;
  long last_label = -1;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;  // comment, not copied
    if (!line.empty() && line[0] == '*') {
      const long label = std::strtol(line.c_str() + 1, nullptr, 10);
      if (label <= last_label) {
        std::fprintf(stderr, "%s: line %d: block labels must ascend\n", argv[1], number);
        return 1;
      }
      last_label = label;
    }
    if (line.empty() || line[0] == '*' || line[0] == '+' || line[0] == '@') {
      text += line + "\r\n";
      continue;
    }
    std::string sjis;
    std::vector<uint8_t> codes(sjis.size() + 256);
    if (!ToSjis(line, sjis) || sjis.size() > 127) {
      std::fprintf(stderr, "%s: line %d: message not convertible or longer than 127 bytes\n", argv[1], number);
      return 1;
    }
    codes.assign(sjis.size() + 1, 0);
    const int n = game::SjisToGlyphCodes(sjis, codes);
    for (int i = 0; i < n; ++i)
      if (codes[i] == '*' || codes[i] == '+' || codes[i] == '\r' || codes[i] == '\n') {
        std::fprintf(stderr, "%s: line %d: message holds a label byte\n", argv[1], number);
        return 1;
      }
    text.append(reinterpret_cast<const char*>(codes.data()), size_t(n));
    text += "\r\n";
  }
  const std::string plain = std::string(argv[2]) + ".plain";
  std::ofstream out(plain, std::ios::binary);
  out.write(text.data(), std::streamsize(text.size()));
  out.close();
  const int scrambled = out ? game::XorCopyFile(plain, argv[2]) : 1;
  std::remove(plain.c_str());
  if (scrambled != 0) {
    std::fprintf(stderr, "nl_script_pack: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
