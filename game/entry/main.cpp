// The game program. For now it starts the library's foundation in its data folder,
// writes the system report to AppLog.txt and says what it has.
#include <cstdio>

#include "platform/fs.h"
#include "vexal/app/app_state.h"
#include "vexal/app/log_file.h"
#include "vexal/app/system_report.h"

int main() {
  vexal::AppState.StartDirectory = plat::fs::CurrentDirectory();
  vexal::StartLogFile();
  vexal::LogSystemInfo();
  std::printf(
      "nightloom: the library foundation runs (log, clocks, random numbers, streams,\n"
      "system report); the window, the screen and the game are not built yet.\n"
      "The system report is in %s/AppLog.txt.\n",
      vexal::AppState.StartDirectory.c_str());
  return 0;
}
