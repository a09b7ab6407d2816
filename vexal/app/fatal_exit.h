// The one way the library ends the program on an error it cannot go on from.
#pragma once

namespace vexal {

// Logs the message and "ソフトをエラー終了します", then ends the process with status -1.
[[noreturn]] void FatalErrorExit(const char* text);
[[noreturn]] void FatalErrorExitFmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vexal
