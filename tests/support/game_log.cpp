#include "tests/support/game_log.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace nltest {

bool Logged(const std::string& log, const std::string& text) { return log.find(text) != std::string::npos; }

int CountLogged(const std::string& log, const std::string& text) {
  int n = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
  return n;
}

int CountLines(const std::string& log, const std::string& message) {
  std::istringstream in(log);
  int n = 0;
  for (std::string line; std::getline(in, line);) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const size_t text = line.find_first_not_of('\t', colon + 1);
    if (text != std::string::npos && line.compare(text, std::string::npos, message) == 0) ++n;
  }
  return n;
}

std::string LogMessages(const std::string& log) {
  std::string out;
  for (size_t start = 0; start < log.size();) {
    size_t end = log.find('\n', start);
    end = end == std::string::npos ? log.size() : end + 1;
    const size_t colon = log.find(':', start);
    out += log.substr(colon < end ? colon + 1 : start, end - (colon < end ? colon + 1 : start));
    start = end;
  }
  return out;
}

std::pair<long, size_t> LogTime(const std::string& log, const std::string& text, size_t from) {
  const size_t at = log.find(text, from);
  if (at == std::string::npos) return {-1, at};
  size_t start = log.rfind('\n', at);
  start = start == std::string::npos ? 0 : start + 1;
  return {std::strtol(log.c_str() + start, nullptr, 10), at};
}

int FrameAt(const std::string& log, long ms, int last_frame) {
  const long end = LogTime(log, "DirectDraw 関連の終了処理をおこないます").first;
  return last_frame + 1 - static_cast<int>((end - ms) / kFrameMs);
}

std::vector<LoggedFight> Fights(const std::string& log) {
  std::vector<LoggedFight> fights;
  std::optional<std::pair<int, int>> met;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    const long ms = std::strtol(line.c_str(), nullptr, 10);
    int a = 0, b = 0, c = 0, d = 0, e = 0, f = 0, g = 0, h = 0, map = 0;
    long m = 0;
    if (size_t at = line.find("encounter: map ");
        at != std::string::npos && std::sscanf(line.c_str() + at, "encounter: map %d at (%d, %d)", &map, &a, &b) == 3) {
      met = std::pair{a, b};
    } else if (size_t at = line.find("battle: begins, enemies ");
               at != std::string::npos &&
               std::sscanf(line.c_str() + at, "battle: begins, enemies %d %d %d %d %d %d %d %d", &a, &b, &c, &d, &e, &f,
                           &g, &h) == 8) {
      fights.push_back({{a, b, c, d, e, f, g, h}, met, ms});
      met.reset();
    } else if (size_t at = line.find("battle: won, ");
               at != std::string::npos && !fights.empty() &&
               std::sscanf(line.c_str() + at, "battle: won, %d R found", &a) == 1) {
      fights.back().won = true;
      fights.back().found = a;
    } else if (size_t at = line.find("battle: ends, money ");
               at != std::string::npos && !fights.empty() &&
               std::sscanf(line.c_str() + at, "battle: ends, money %ld", &m) == 1) {
      fights.back().ends_ms = ms;
      fights.back().money_after = m;
    }
  }
  return fights;
}

}  // namespace nltest
