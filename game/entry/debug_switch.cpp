// The debug switch.
#include "game/entry/debug_switch.h"

#include "platform/fs/fs.h"

namespace game {

DebugOut TheDebugOut;  // set by the program's entry

void DebugOut::SetDebugOut(int on) {
  switch_ = on != 0 ? 1 : 0;
  if (switch_ == 0) return;
  file_ = plat::fs::OpenFile(kDebugOutFile, "w+t");
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

}  // namespace game
