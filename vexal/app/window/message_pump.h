// The message pump that every loop of the program calls.
#pragma once

namespace vexal {

// Processes pending messages; 0, or -1 once the quit message has been seen.
int PumpMessages();

}  // namespace vexal
