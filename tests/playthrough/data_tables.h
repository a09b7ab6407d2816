// The data tree's tables as the game reads them, for tests that work out what a fight
// drew on instead of pinning what one seeded run drew.
#pragma once

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace playtest {

// A table of the data tree as the game reads it: words, up to the "---" marker skipped, then
// rows of a number, `names` words and `values` numbers. Rows by their number, or (when
// `by_order`) by their place from 0, as the item table's are.
inline std::map<int, std::vector<int>> TableRows(const std::string& text, int names, int values,
                                                 bool by_order = false) {
  std::map<int, std::vector<int>> rows;
  std::istringstream words(text);
  std::string w;
  while (words >> w && w.rfind("---", 0) != 0) {
  }
  for (int order = 0; words >> w; ++order) {
    const int number = by_order ? order : std::atoi(w.c_str());
    for (int i = 0; i < names && words >> w; ++i) {
    }
    std::vector<int> row(size_t(values), 0);
    for (int& v : row) {
      if (!(words >> w)) return rows;
      v = std::atoi(w.c_str());
    }
    rows[number] = row;
  }
  return rows;
}

}  // namespace playtest
