// nl_sjis_text INPUT OUTPUT: a UTF-8 text file rewritten in Shift-JIS (code page 932), the
// encoding of every text the game reads. A character with no Shift-JIS form is an error.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/text/text_encoding.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nl_sjis_text INPUT OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "nl_sjis_text: cannot open %s\n", argv[1]);
    return 1;
  }
  const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string sjis = plat::Utf8ToCp932(utf8);
  // '?' stands for what did not convert; the source must convert whole.
  if (plat::Cp932ToUtf8(sjis) != utf8) {
    std::fprintf(stderr, "nl_sjis_text: %s holds characters without a Shift-JIS form\n", argv[1]);
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(sjis.data(), static_cast<std::streamsize>(sjis.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "nl_sjis_text: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
