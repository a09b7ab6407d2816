#include "music/org_error_log.h"

#include <cstdio>

#include "platform/fs/fs.h"

namespace music {

void LogOrgError(std::string_view text) {
  std::FILE* file = plat::fs::OpenFile(kOrgErrorLogName, "a+t");
  if (file == nullptr) return;
  std::fprintf(file, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fclose(file);
}

}  // namespace music
