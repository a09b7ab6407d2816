#include "vexal/graphics/screen/ddraw_state.h"

namespace vexal {

DDrawStateRecord DDrawState;  // the one device and screen

void ResetDDrawState() { DDrawState = DDrawStateRecord{}; }

}  // namespace vexal
