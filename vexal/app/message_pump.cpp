// Until the window exists there are no messages: the pump only reports quit.
#include "vexal/app/message_pump.h"

namespace vexal {

int PumpMessages() { return 0; }

}  // namespace vexal
