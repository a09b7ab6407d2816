// The log file. Written by absolute path in the start directory, so no message changes
// the current directory (safe while other threads open files by relative names).
#include "vexal/app/log/log_file.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/fs/fs.h"
#include "platform/sys/debug_out.h"
#include "platform/timer/timer.h"
#include "vexal/app/startup/app_state.h"

namespace vexal {
namespace {

std::string LogFilePath() {
  if (AppState.StartDirectory.empty()) return kLogFileName;
  return AppState.StartDirectory + "/" + kLogFileName;
}

}  // namespace

int LogWrite(std::string_view text) {
  if (AppState.LogDisabled || AppState.StartDirectory.empty()) return -1;
  // An empty message would only stamp a line it adds nothing to.
  if (text.empty()) return -1;
  std::FILE* file = plat::fs::OpenFile(LogFilePath(), "a");
  AppState.LogFile = file != nullptr;
  if (file == nullptr) return -1;
  if (!AppState.LogContinuation) {
    auto elapsed = static_cast<int32_t>(plat::timer::TimeMs() - AppState.LogTimeBase);
    std::fprintf(file, "%d:", elapsed);
    for (int i = 0; i < AppState.LogIndent; ++i) {
      std::fputc('\t', file);
      plat::DebugOutput("\t");
    }
  }
  std::fwrite(text.data(), 1, text.size(), file);
  plat::DebugOutput(text);
  AppState.LogContinuation = text.back() != '\n';
  std::fclose(file);
  return -1;
}

int LogWriteFmt(const char* format, ...) {
  char buffer[kLogFormatBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  std::string line(buffer);
  line += '\n';
  return LogWrite(line);
}

int LogIndentIn() {
  if (AppState.LogFile) ++AppState.LogIndent;
  return 0;
}

int LogIndentOut() {
  if (AppState.LogFile && AppState.LogIndent > 0) --AppState.LogIndent;
  return 0;
}

int SetLogEnabled(int flag) {
  AppState.LogDisabled = flag == 0 ? 1 : 0;
  return 0;
}

void StartLogFile() {
  if (AppState.LogDisabled) return;
  std::FILE* file = plat::fs::OpenFile(LogFilePath(), "w");
  AppState.LogFile = file != nullptr;
  if (file != nullptr) std::fclose(file);
  AppState.LogIndent = 0;
  AppState.LogContinuation = 0;
  AppState.LogTimeBase = plat::timer::TimeMs();
}

}  // namespace vexal
