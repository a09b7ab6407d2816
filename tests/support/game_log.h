// The game's log (AppLog.txt) read back: its lines are "<ms>:<tabs><message>", one a line
// feed. What it says, when, and the fights it tells of; under the virtual clock its times
// give the frames things happened on.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nltest {

bool Logged(const std::string& log, const std::string& text);
int CountLogged(const std::string& log, const std::string& text);
// The lines whose message (after the time stamp and the indent) is exactly `message`.
int CountLines(const std::string& log, const std::string& message);
// The log without its time stamps: each line from after its colon, the indent kept.
std::string LogMessages(const std::string& log);

// The milliseconds of the first line from `from` on that holds `text`, and where the text
// is; -1 and npos when there is none.
std::pair<long, size_t> LogTime(const std::string& log, const std::string& text, size_t from = 0);

// Frames from the log: under the virtual clock a frame lasts 35 ms, and the shut-down's
// first line comes in the frame after the last one presented (`last_frame`).
inline constexpr int kFrameMs = 35;
int FrameAt(const std::string& log, long ms, int last_frame);

// A fight as the log tells it: the group, where a wandering one was met (none for a scripted
// one), when it began and ended, the money found and the purse after it.
struct LoggedFight {
  std::array<int, 8> group{};
  std::optional<std::pair<int, int>> met;
  long begins_ms = -1, ends_ms = -1;
  bool won = false;
  int found = -1;
  long money_after = -1;
};
std::vector<LoggedFight> Fights(const std::string& log);

}  // namespace nltest
