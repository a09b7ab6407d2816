#include "tools/map_source/map_source.h"

#include <iconv.h>

#include <cstring>
#include <map>
#include <sstream>
#include <vector>

namespace nltool {
namespace {

std::string ToSjis(const std::string& utf8, bool& ok) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  char* o = out.data();
  size_t out_left = out.size();
  ok = cd != iconv_t(-1) && iconv(cd, &in, &in_left, &o, &out_left) != size_t(-1);
  if (cd != iconv_t(-1)) iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

bool ToInt(const std::string& s, long& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtol(s.c_str(), &end, 10);
  return *end == 0;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, sep)) out.push_back(part);
  return out;
}

bool PutString(game::MapFileImage& map, int index, const std::string& value) {
  if (value.size() >= game::kMapStringBytes) return false;
  map.strings[index].fill(0);
  std::memcpy(map.strings[index].data(), value.data(), value.size());
  return true;
}

}  // namespace

std::string ParseMapSource(std::string_view source, game::MapFileImage& map) {
  map = game::MapFileImage();
  std::map<char, int> legend;
  std::istringstream in{std::string(source)};
  std::string line;
  int number = 0;
  int grid_x = -1, grid_y = 0, grid_row = 0;
  int event = -1;
  auto fail = [&](const std::string& why) { return "line " + std::to_string(number) + ": " + why; };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (grid_x >= 0) {
      if (line == "end") {
        grid_x = -1;
        continue;
      }
      const int y = grid_y + grid_row++;
      for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ') continue;
        const int x = grid_x + int(i);
        if (x >= game::kMapSize || y >= game::kMapSize) return fail("grid cell outside the map");
        const auto it = legend.find(line[i]);
        if (it == legend.end()) return fail(std::string("no legend for '") + line[i] + "'");
        map.Cell(0, x, y) = uint16_t(it->second);
      }
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string key;
    words >> key;
    std::string rest;
    std::getline(words >> std::ws, rest);
    const std::vector<std::string> args = Split(rest, ' ');
    long a = 0, b = 0, c = 0;
    if (key == "chipset" || key == "script") {
      if (!PutString(map, key == "chipset" ? 0 : 2, rest)) return fail("name too long");
    } else if (key == "name") {
      bool ok = false;
      if (!PutString(map, 1, ToSjis(rest, ok)) || !ok) return fail("name not convertible to Shift-JIS");
    } else if (key == "marks" && ToInt(rest, a)) {
      map.header[0] = int32_t(a);
    } else if (key == "fill" && ToInt(rest, a) && a >= 0 && a < game::kChipRecordCount) {
      for (int i = 0; i < game::kMapCells; ++i) map.planes[i] = uint16_t(a);
    } else if (key == "legend" && args.size() == 2 && args[0].size() == 1 && ToInt(args[1], a) && a >= 0 &&
               a < game::kChipRecordCount) {
      legend[args[0][0]] = int(a);
    } else if (key == "grid" && args.size() == 2 && ToInt(args[0], a) && ToInt(args[1], b) && a >= 0 && b >= 0) {
      grid_x = int(a), grid_y = int(b), grid_row = 0;
    } else if (key == "event" && args.size() == 3 && ToInt(args[0], a) && ToInt(args[1], b) && ToInt(args[2], c) &&
               a >= 0 && a < game::kMapEventCount && b >= 0 && b < game::kMapSize && c >= 0 && c < game::kMapSize) {
      event = int(a);
      for (auto& page : map.events[event]) {
        page.fill(0);
        page[game::kPageAreaHighX] = page[game::kPageAreaHighY] = game::kMapSize - 1;
      }
      map.events[event][0][game::kPageX] = uint16_t(b);
      map.events[event][0][game::kPageY] = uint16_t(c);
    } else if (key == "page" && event >= 0 && !args.empty() && ToInt(args[0], a) && a >= 0 &&
               a < game::kEventPageCount) {
      game::MapEventPage& p = map.events[event][a];
      static const std::map<std::string, int> kWords = {
          {"fixed", game::kPageFixed},        {"graphic", game::kPageGraphic},   {"dir", game::kPageDirection},
          {"period", game::kPagePeriod},      {"move", game::kPageMoveType},     {"chance", game::kPageWalkChance},
          {"nocoll", game::kPageNoCollision}, {"second", game::kPageSecondPass}, {"blink", game::kPageBlink},
          {"word16", game::kPageWord16},      {"act", game::kPageActivation},    {"block", game::kPageBlock}};
      for (size_t i = 1; i < args.size(); ++i) {
        const size_t eq = args[i].find('=');
        if (eq == std::string::npos) return fail("expected key=value: " + args[i]);
        const std::string k = args[i].substr(0, eq);
        const std::vector<std::string> values = Split(args[i].substr(eq + 1), ',');
        std::vector<long> n;
        for (const std::string& v : values) {
          if (!ToInt(v, a) || a < -32768 || a > 65535) return fail("bad number in " + args[i]);
          n.push_back(a);
        }
        if (k == "area" && n.size() == 4) {
          for (int j = 0; j < 4; ++j) p[game::kPageAreaLowX + j] = uint16_t(n[j]);
        } else if (k == "tests" && n.size() <= game::kPageTestCount) {
          for (size_t j = 0; j < n.size(); ++j) p[game::kPageFirstTest + j] = uint16_t(n[j]);
        } else if (kWords.contains(k) && n.size() == 1) {
          p[kWords.at(k)] = uint16_t(n[0]);
        } else {
          return fail("unknown page key " + k);
        }
      }
    } else {
      return fail("cannot read: " + line);
    }
  }
  if (grid_x >= 0) return fail("grid without end");
  for (int e = 0; e < game::kMapEventCount; ++e) {
    const std::string why = game::CheckMapEvent(map.events[e]);
    if (!why.empty()) return "event " + std::to_string(e) + ": " + why;
  }
  return {};
}

}  // namespace nltool
