// Files named the way the game names them: '\' separates folders and names match
// without regard to letter case, as on the system the game was written for.
//
// A path is looked up one component at a time: the exact name first, then the first
// (in byte order) directory entry that equals it ignoring ASCII case. Components that
// match nothing are kept as given, so a new file is created under the name the caller
// used. A '\' that is the second byte of a Shift-JIS character is part of the name.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace plat::fs {

// The host path for a game path: separators turned into '/', each existing component
// replaced by its name on disk. Absolute host paths ("/...") pass through the same way.
std::string HostPath(std::string_view path);

// fopen on the host path; null on failure, with errno set. An empty name or a folder is
// no file: null.
std::FILE* OpenFile(std::string_view path, const char* mode);

// Removes a file; false when it could not be removed.
bool DeleteFile(std::string_view path);

// True when the path names an existing file or folder.
bool Exists(std::string_view path);

// The process's current directory (host form); empty when it cannot be read.
std::string CurrentDirectory();

// Changes the current directory; false on failure.
bool SetCurrentDirectory(std::string_view path);

}  // namespace plat::fs
