// Reading and writing system/nlconfig.inf.
#include "config_tool/settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

namespace nlconfig {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Walks the text field by field, counting lines for the messages.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // The next field with its surrounding blanks removed; false at the end of the text.
  // Blanks and line ends before a field are skipped, as the game skips them too.
  bool Next(std::string_view& field) {
    while (at_ < text_.size() && (IsBlank(text_[at_]) || IsLineEnd(text_[at_]))) SkipOne();
    if (at_ >= text_.size()) return false;
    field_line_ = line_;
    const size_t start = at_;
    while (at_ < text_.size() && text_[at_] != ',' && !IsLineEnd(text_[at_])) ++at_;
    size_t end = at_;
    while (end > start && IsBlank(text_[end - 1])) --end;
    field = text_.substr(start, end - start);
    if (at_ < text_.size()) SkipOne();  // the comma or line end that closed the field
    return true;
  }

  int FieldLine() const { return field_line_; }

 private:
  void SkipOne() {
    const char c = text_[at_++];
    if (c == '\n' || (c == '\r' && (at_ >= text_.size() || text_[at_] != '\n'))) ++line_;
  }

  std::string_view text_;
  size_t at_ = 0;
  int line_ = 1;
  int field_line_ = 1;
};

// An optionally signed decimal integer and nothing else. A magnitude beyond what an int
// holds is kept as one past the int range, which EntryFault refuses.
bool ParseEntry(std::string_view field, int64_t& value, std::string& why) {
  constexpr int64_t kBeyondInt = int64_t{std::numeric_limits<int32_t>::max()} + 2;
  size_t i = 0;
  const bool negative = !field.empty() && field[0] == '-';
  if (!field.empty() && (field[0] == '-' || field[0] == '+')) i = 1;
  if (i == field.size()) {
    why = "not a number";
    return false;
  }
  int64_t magnitude = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') {
      why = "not a whole number";
      return false;
    }
    magnitude = std::min(magnitude * 10 + (field[i] - '0'), kBeyondInt);
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

std::string HeaderFault(std::string_view header) {
  if (header.empty()) return "the header is empty";
  if (header.size() > kMaxHeaderChars) return "the header is longer than 255 characters";
  for (char c : header) {
    if (IsBlank(c)) return "the header holds a blank";
    if (c < 0x21 || c > 0x7E) return "the header holds a character that is not printable ASCII";
  }
  return {};
}

// What the dialog's controls cannot show, or the game's int could not hold, for an entry
// read or about to be written. The entries past the font list take any int: the game
// reads each entry as one, and they pass through the dialog unchanged.
std::string EntryFault(int entry, int64_t value) {
  if (entry < kCheckBoxEntries && (value < 0 || value > kCheckGrey)) return "a check box takes 0, 1 or 2";
  if (entry == kFontEntry && (value < kNoFontSelected || value > kLastFontItem)) return "the font list takes -1 to 9";
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return "beyond the 32 bits the game reads";
  return {};
}

// Writes all of bytes to fd; false with errno set when it could not.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

LoadResult ParseSettings(std::string_view text) {
  LoadResult result;
  FieldReader reader(text);
  std::string_view field;
  if (!reader.Next(field)) {
    result.error = "the file is empty";
    return result;
  }
  if (std::string fault = HeaderFault(field); !fault.empty()) {
    result.error = "line " + std::to_string(reader.FieldLine()) + ": " + fault;
    return result;
  }
  result.settings.ConfigHeader = field;
  for (int entry = 0; entry < kGameConfigEntries; ++entry) {
    if (!reader.Next(field)) {
      result.error = "the file ends after " + std::to_string(entry) + " of 256 entries";
      return result;
    }
    int64_t value = 0;
    std::string fault;
    if (ParseEntry(field, value, fault)) fault = EntryFault(entry, value);
    if (!fault.empty()) {
      result.error = "line " + std::to_string(reader.FieldLine()) + ", entry " + std::to_string(entry) + " \"" +
                     std::string(field.substr(0, 40)) + "\": " + fault;
      return result;
    }
    result.settings.GameConfig[entry] = static_cast<int>(value);
  }
  result.ok = true;
  return result;
}

std::string FormatSettings(const Settings& settings) {
  std::string text = settings.ConfigHeader + "\r\n";
  for (int value : settings.GameConfig) {
    // " n " for a value of zero or more, "-n " below zero.
    text += value < 0 ? std::to_string(value) + " " : " " + std::to_string(value) + " ";
    text += "\r\n";
  }
  return text;
}

LoadResult LoadSettings(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    LoadResult result;
    result.error = std::string("cannot open: ") + std::strerror(errno);
    return result;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) {
    LoadResult result;
    result.error = "cannot read the file";
    return result;
  }
  return ParseSettings(bytes.view());
}

std::string SaveSettings(const std::string& path, const Settings& settings) {
  // Whatever is written must read back the same, in this tool and in the game.
  if (std::string fault = HeaderFault(settings.ConfigHeader); !fault.empty()) return fault;
  for (int entry = 0; entry < kGameConfigEntries; ++entry) {
    if (std::string fault = EntryFault(entry, settings.GameConfig[entry]); !fault.empty())
      return "entry " + std::to_string(entry) + ": " + fault;
  }

  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return std::string("cannot create a temporary file beside it: ") + std::strerror(errno);
  // The new file keeps the permissions the player gave the old one.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

  auto fail = [&](const char* what) {
    const std::string error = std::string(what) + ": " + std::strerror(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    return error;
  };
  if (!WriteAll(fd, FormatSettings(settings))) return fail("cannot write");
  if (::fsync(fd) != 0) return fail("cannot write");
  if (::close(fd) != 0) {
    const std::string error = std::string("cannot write: ") + std::strerror(errno);
    ::unlink(temp.c_str());
    return error;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string error = std::string("cannot replace the file: ") + std::strerror(errno);
    ::unlink(temp.c_str());
    return error;
  }
  return {};
}

}  // namespace nlconfig
