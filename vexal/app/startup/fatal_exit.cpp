// The fatal exit: the message, the whole shut-down, then the end of the process.
#include "vexal/app/startup/fatal_exit.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/message_pump.h"

namespace vexal {
namespace {

bool g_exiting = false;  // a fatal exit is running; one failing inside it ends at once

}  // namespace

void FatalErrorExit(const char* text) {
  LogWrite(text);
  LogWrite("\n");
  if (!g_exiting) {
    g_exiting = true;
    RunShutdownSequence();
    if (AppState.MainWindow != 0) {
      while (!AppState.QuitFlag && PumpMessages() == 0) {
      }
    }
  }
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
