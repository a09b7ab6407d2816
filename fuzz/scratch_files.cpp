#include "scratch_files.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace nlfuzz {

namespace {

char scratch[] = "/tmp/nl_fuzz_XXXXXX";

void RemoveScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
}

}  // namespace

void EnterScratchDir() {
  static bool entered = false;
  if (entered) return;
  entered = true;
  if (mkdtemp(scratch) == nullptr || chdir(scratch) != 0) std::abort();
  std::atexit(RemoveScratchDir);
}

bool WriteGameFile(std::string_view path, const uint8_t* data, size_t size) {
  std::string host(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  std::filesystem::path file(host);
  if (file.has_parent_path()) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
  }
  std::FILE* f = std::fopen(host.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace nlfuzz
