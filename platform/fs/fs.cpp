#include "platform/fs/fs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "platform/text/text_encoding.h"

namespace plat::fs {
namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool PathExists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

// Splits at '/' and at every '\' that is not the trail byte of a double-byte character.
std::vector<std::string> SplitComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsSjisLeadByte(c) && i + 1 < path.size()) {
      current += path[i];
      current += path[++i];
      continue;
    }
    if (c == '/' || c == '\\') {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
      continue;
    }
    current += path[i];
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

// The entry of dir whose name equals name ignoring case, first in byte order.
bool FindCaseInsensitive(const std::string& dir, const std::string& name, std::string* found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return false;
  bool any = false;
  while (dirent* e = ::readdir(d)) {
    std::string_view entry(e->d_name);
    if (EqualsIgnoringAsciiCase(entry, name) && (!any || entry < *found)) {
      *found = std::string(entry);
      any = true;
    }
  }
  ::closedir(d);
  return any;
}

}  // namespace

std::string HostPath(std::string_view path) {
  bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
  std::string result = absolute ? "/" : "";
  bool resolving = true;  // stays true while every earlier component exists
  for (const std::string& part : SplitComponents(path)) {
    std::string dir = result;
    std::string candidate = result;
    if (!candidate.empty() && candidate.back() != '/') candidate += '/';
    std::string name = part;
    if (resolving && part != "." && part != "..") {
      if (!PathExists(candidate + part)) {
        std::string found;
        if (FindCaseInsensitive(dir, part, &found)) {
          name = found;
        } else {
          resolving = false;
        }
      }
    }
    result = candidate + name;
  }
  if (result.empty()) return ".";
  return result;
}

std::FILE* OpenFile(std::string_view path, const char* mode) {
  // An empty name would resolve to the current folder, and the host opens folders for
  // reading: neither is a file.
  if (path.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  std::FILE* file = std::fopen(HostPath(path).c_str(), mode);
  if (file == nullptr) return nullptr;
  struct stat st;
  if (::fstat(::fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(file);
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

bool DeleteFile(std::string_view path) { return ::unlink(HostPath(path).c_str()) == 0; }

bool Exists(std::string_view path) { return PathExists(HostPath(path)); }

std::string CurrentDirectory() {
  std::vector<char> buf(PATH_MAX);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buf.resize(buf.size() * 2);
  }
  return std::string(buf.data());
}

bool SetCurrentDirectory(std::string_view path) { return ::chdir(HostPath(path).c_str()) == 0; }

}  // namespace plat::fs
