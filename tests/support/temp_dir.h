// A fresh directory for a test's files, removed with everything in it at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nltest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(std::string_view name) const;

 private:
  std::string path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Writes bytes to a file, creating or replacing it; false on failure.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// The little-endian number of `count` bytes (1-4) at `at`; the bytes must be there.
inline uint32_t ReadLe(std::string_view bytes, size_t at, int count) {
  uint32_t v = 0;
  for (int i = 0; i < count; ++i) v |= uint32_t(uint8_t(bytes[at + size_t(i)])) << (8 * i);
  return v;
}

}  // namespace nltest
