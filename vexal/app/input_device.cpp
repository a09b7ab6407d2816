#include "vexal/app/input_device.h"

namespace vexal {

InputStateRecord InputState;  // the one input device

int InitDirectInput() {
  if (InputState.Started) return 0;
  InputState = InputStateRecord{};
  InputState.Started = 1;
  return 0;
}

int EndDirectInput() {
  InputState.Started = 0;
  return 0;
}

int SetF10Down() {
  InputState.F10Down = 1;
  return 0;
}

int SetF10Up() {
  InputState.F10Down = 0;
  return 0;
}

int SetF12Down() {
  InputState.F12Down = 1;
  return 0;
}

int SetF12Up() {
  InputState.F12Down = 0;
  return 0;
}

}  // namespace vexal
