// The log file "AppLog.txt" in the start directory. Each line begins with the
// milliseconds since start-up and a colon (file only), then one tab per indent level,
// then the message; indent and message also go to the debugger output. The file is
// opened and closed for every message, so a crash loses nothing already written.
#pragma once

#include <string_view>

namespace vexal {

// Name of the log file, in the start directory.
inline constexpr char kLogFileName[] = "AppLog.txt";

// Size of the buffer a formatted message is cut to, terminator included.
inline constexpr int kLogFormatBufferSize = 1024;

// Appends text to the log. Always -1, so a failing call can log and fail in one step.
int LogWrite(std::string_view text);

// printf-style message, cut to the format buffer, always closing its line. Always -1.
int LogWriteFmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One indent level more; only while the last opening of the log succeeded. 0.
int LogIndentIn();

// One indent level less, never below 0; only while the last opening succeeded. 0.
int LogIndentOut();

// flag 0 switches all logging off; the game calls it before start-up. 0.
int SetLogEnabled(int flag);

// Start-up step: empties the log file and starts the clock of its stamps.
void StartLogFile();

}  // namespace vexal
