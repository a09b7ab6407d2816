// Until the window and the devices exist there is nothing to shut down: the fatal exit
// logs and ends the process.
#include "vexal/app/fatal_exit.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "vexal/app/log_file.h"

namespace vexal {

void FatalErrorExit(const char* text) {
  LogWrite(text);
  LogWrite("\n");
  LogWrite("ソフトをエラー終了します");
  std::exit(-1);
}

void FatalErrorExitFmt(const char* format, ...) {
  char buffer[kLogFormatBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  FatalErrorExit(buffer);
}

}  // namespace vexal
