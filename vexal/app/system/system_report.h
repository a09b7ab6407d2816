// The system report written to the log once at start-up: library version, operating
// system, DirectX generation and processor. It ends the program when the DirectX
// generation is below 7.
#pragma once

namespace vexal {

inline constexpr unsigned kRequiredDirectXVersion = 0x070000;

// 0, or ends the process with status -1 after a message box.
int LogSystemInfo();

}  // namespace vexal
