// The record that fake backend rows write: one "row:slot args" text per call, in order.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace graphicstest {

inline std::vector<std::string> Calls;  // every recorded call, oldest first

inline std::string Args(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out += (out.empty() ? "" : ",") + std::to_string(v);
  return out;
}

inline void Record(int row, int slot, std::initializer_list<int> values) {
  Calls.push_back(std::to_string(row) + ":" + std::to_string(slot) + " " + Args(values));
}

}  // namespace graphicstest
