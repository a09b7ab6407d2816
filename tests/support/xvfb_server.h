// An X server of a test's own: Xvfb on a display number it picks itself, with nothing else
// on it (no window manager). It ends with the object, or with the test program when that
// one is killed.
#pragma once

#include <sys/types.h>

#include <string>

namespace nltest {

// The first executable `program` on PATH, or empty.
std::string FindOnPath(const char* program);

class XvfbServer {
 public:
  // A screen of width x height at 24 bits; name() is empty when Xvfb is missing or did not
  // come up within ten seconds.
  XvfbServer(int width, int height);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& name() const { return name_; }  // ":N"

 private:
  pid_t pid_ = 0;
  std::string name_;
};

}  // namespace nltest
