#include "game/data/save_icons.h"

#include <cstdio>
#include <vector>

#include "platform/fs/fs.h"

namespace game {
namespace {

// The whole content of an open file from its start; false on a read error.
bool ReadAll(std::FILE* file, std::vector<uint8_t>* bytes) {
  bytes->clear();
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
  return std::ferror(file) == 0;
}

}  // namespace

SaveIconPack TheSaveIconPack;

void SaveIconPack::LoadSaveIcons() {
  entries_.fill(0);
  std::FILE* file = plat::fs::OpenFile(kSaveIconFile, "rb");
  if (file == nullptr) return;
  // A short file keeps what it holds; the icons it does not reach stay zero.
  std::fread(entries_.data(), 1, entries_.size(), file);
  std::fclose(file);
}

int SaveIconPack::AddSaveIcon(std::string_view path, int n) const {
  if (n < 0 || n >= kSaveIconCount) return 0;
  std::FILE* file = plat::fs::OpenFile(path, "r+b");
  if (file == nullptr) return -1;
  std::vector<uint8_t> old;
  bool ok = ReadAll(file, &old);
  if (ok) {
    std::rewind(file);
    const uint8_t* icon = entries_.data() + n * kSaveIconEntryBytes;
    ok = std::fwrite(kSaveIconHeader.data(), 1, kSaveIconHeader.size(), file) == kSaveIconHeader.size() &&
         std::fwrite(icon, 1, kSaveIconUsedBytes, file) == static_cast<size_t>(kSaveIconUsedBytes) &&
         std::fwrite(old.data(), 1, old.size(), file) == old.size();
  }
  if (std::fclose(file) != 0) ok = false;
  return ok ? 0 : -1;
}

int SaveIconPack::StripSaveIcon(std::string_view source, std::string_view destination) {
  std::FILE* in = plat::fs::OpenFile(source, "rb");
  if (in == nullptr) return -1;
  std::vector<uint8_t> bytes;
  const bool read_ok = ReadAll(in, &bytes);
  std::fclose(in);
  if (!read_ok) return -1;
  std::FILE* out = plat::fs::OpenFile(destination, "wb");
  if (out == nullptr) return -1;
  bool ok = true;
  if (bytes.size() > static_cast<size_t>(kSaveIconPrefixBytes)) {
    const size_t n = bytes.size() - kSaveIconPrefixBytes;
    ok = std::fwrite(bytes.data() + kSaveIconPrefixBytes, 1, n, out) == n;
  }
  if (std::fclose(out) != 0) ok = false;
  return ok ? 0 : -1;
}

}  // namespace game
