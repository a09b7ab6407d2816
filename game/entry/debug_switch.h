// The debug switch: when it is turned on, debugout.txt in the start directory is emptied.
// The program turns it off at its start, so the file is left alone.
#pragma once

#include <cstdint>
#include <cstdio>

namespace game {

inline constexpr char kDebugOutFile[] = "debugout.txt";

class DebugOut {
 public:
  DebugOut() = default;
  virtual ~DebugOut() = default;

  // Stores the switch; on (non-zero) empties the file.
  void SetDebugOut(int on);
  bool IsOn() const { return switch_ != 0; }

 private:
  uint8_t switch_ = 0;         // the debug switch
  std::FILE* file_ = nullptr;  // open only while the file is being emptied
};

// The game's one debug switch.
extern DebugOut TheDebugOut;

}  // namespace game
