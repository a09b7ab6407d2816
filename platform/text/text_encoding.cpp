// Conversions through iconv, opened once per direction and kept for the process.
#include "platform/text/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace plat {
namespace {

std::string Convert(iconv_t cd, std::mutex& lock, std::string_view in) {
  std::string out;
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    out.assign(in);
    return out;
  }
  std::lock_guard<std::mutex> guard(lock);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.resize(in.size() * 4 + 8);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  while (src_left > 0) {
    if (iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      size_t used = static_cast<size_t>(dst - out.data());
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
      continue;
    }
    // EILSEQ or EINVAL (a sequence cut at the end): replace one byte and go on.
    if (dst_left == 0) {
      size_t used = static_cast<size_t>(dst - out.data());
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
    }
    *dst++ = '?';
    --dst_left;
    ++src;
    --src_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(static_cast<size_t>(dst - out.data()));
  return out;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  static iconv_t cd = iconv_open("UTF-8", "CP932");
  static std::mutex lock;
  return Convert(cd, lock, cp932);
}

std::string Utf8ToCp932(std::string_view utf8) {
  static iconv_t cd = iconv_open("CP932", "UTF-8");
  static std::mutex lock;
  return Convert(cd, lock, utf8);
}

}  // namespace plat
