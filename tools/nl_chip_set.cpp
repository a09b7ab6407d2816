// Writes a chip-set file from its readable source: nl_chip_set <source.txt> <out.chp>.
//   image town.png            the chip image in img\ (the data tree's)
//   second town               the second name
//   chip 3 frames=10,11 period=8 attr=0:1,4:3
// A chip left out has no frames and no attributes.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "game/field/chip_set.h"

namespace {

bool ToInt(const std::string& s, long& v) {
  char* end = nullptr;
  v = std::strtol(s.c_str(), &end, 10);
  return !s.empty() && *end == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nl_chip_set <source.txt> <out.chp>\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "nl_chip_set: cannot read %s\n", argv[1]);
    return 1;
  }
  game::ChipSetImage set;
  std::string line;
  int number = 0;
  auto fail = [&](const char* why) {
    std::fprintf(stderr, "%s: line %d: %s\n", argv[1], number, why);
    return 1;
  };
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string key, arg;
    words >> key;
    if (key == "image" || key == "second") {
      words >> arg;
      auto& name = key == "image" ? set.ImageName : set.SecondName;
      if (arg.size() >= name.size()) return fail("name too long");
      arg.copy(name.data(), arg.size());
      continue;
    }
    long n = 0;
    if (key != "chip" || !(words >> arg) || !ToInt(arg, n) || n < 0 || n >= game::kChipRecordCount)
      return fail("expected chip <0..511>");
    game::ChipRecord& r = set.Records[n];
    while (words >> arg) {
      const size_t eq = arg.find('=');
      if (eq == std::string::npos) return fail("expected key=value");
      const std::string k = arg.substr(0, eq);
      std::istringstream values(arg.substr(eq + 1));
      std::string v;
      long a = 0, b = 0;
      if (k == "frames") {
        r.FrameCount = 0;
        while (std::getline(values, v, ',')) {
          if (!ToInt(v, a) || a < 0 || a >= game::kChipCellCount || r.FrameCount >= game::kChipFrameCount)
            return fail("bad frame list");
          r.Frames[r.FrameCount++] = uint16_t(a);
        }
      } else if (k == "period") {
        if (!ToInt(arg.substr(eq + 1), a) || a < 0 || a >= game::kChipPeriodLimit) return fail("bad period");
        r.Period = uint16_t(a);
      } else if (k == "attr") {
        while (std::getline(values, v, ',')) {
          const size_t colon = v.find(':');
          if (colon == std::string::npos || !ToInt(v.substr(0, colon), a) || !ToInt(v.substr(colon + 1), b) || a < 0 ||
              a >= game::kChipAttributeCount || b < 0 || b > 65535)
            return fail("bad attribute list");
          r.Attributes[a] = uint16_t(b);
        }
      } else {
        return fail("unknown key");
      }
    }
  }
  const std::vector<uint8_t> bytes = game::SerializeChipSet(set);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "nl_chip_set: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
