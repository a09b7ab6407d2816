// The synthesiser's text error log, "ORG_ERROR.TXT" in the working directory.
#pragma once

#include <string_view>

namespace music {

inline constexpr char kOrgErrorLogName[] = "ORG_ERROR.TXT";

// Appends the text and a newline; a log that cannot be opened drops the line.
void LogOrgError(std::string_view text);

}  // namespace music
