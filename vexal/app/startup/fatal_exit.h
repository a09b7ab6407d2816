// The one way the library ends the program on an error it cannot go on from.
#pragma once

namespace vexal {

// Logs the message, shuts the library down in its fixed order, logs
// "ソフトをエラー終了します" and ends the process with status -1.
[[noreturn]] void FatalErrorExit(const char* text);
// The same with a printf-style message, cut to 1023 bytes.
[[noreturn]] void FatalErrorExitFmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vexal
