#include "vexal/app/log/screen_log.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/text/text_encoding.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/fonts/font_cache.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

struct FreeDeleter {
  void operator()(char* p) const { std::free(p); }
};
using LineBuffer = std::unique_ptr<char, FreeDeleter>;

constexpr int kScreenLogFontSize = 16;      // pixels
constexpr int kScreenLogFontThickness = 4;  // weight / 100
constexpr int kScreenLogFontType = 1;       // edged
constexpr int kCharWidthWithoutFont = 8;    // pixels a byte while the log has no font

int FontCharWidth(const char* bytes, int byte_count);

struct ScreenLogState {
  int ScreenLogFont = -1;                                      // font handle, -1 until one is made
  int ScreenLogLineHeight = kScreenLogLineHeight;              // pixels
  int ScreenLogTabWidth = kScreenLogTabWidth;                  // spaces per tab
  std::array<LineBuffer, kScreenLogLineSlots> ScreenLogLines;  // zero-filled buffers or null
  int ScreenLogCurrentLine = 0;                                // line being filled
  int ScreenLogCharCount = 0;                                  // bytes in the current line
  int ScreenLogLineWidth = 0;                                  // pixels in the current line
  int ScreenLogUsed = 0;                                       // set by ScreenLogPrintf
  ScreenLogCharWidthFunc CharWidth = FontCharWidth;            // measure of one character
};

ScreenLogState ScreenLog;  // the one on-screen log

// The handle still holds the log's own font, not another font made in its freed slot.
bool IsScreenLogFont(int handle) {
  const FontRecord* f = FindFontRecord(handle);
  return f != nullptr && f->Name.empty() && f->Size == kScreenLogFontSize && f->Thickness == kScreenLogFontThickness &&
         f->Type == kScreenLogFontType;
}

int FontCharWidth(const char* bytes, int byte_count) {
  if (CheckFontHandle(ScreenLog.ScreenLogFont) == 0) return kCharWidthWithoutFont * byte_count;
  return MeasureFontString(bytes, byte_count, ScreenLog.ScreenLogFont, 0);
}

LineBuffer AllocateLine() {
  LineBuffer line(static_cast<char*>(std::calloc(kScreenLogLineBytes, 1)));
  if (!line) FatalErrorExit("ログ格納用のメモリの確保に失敗しました");
  return line;
}

void NewLine() {
  int h = 0;
  GetScreenSize(nullptr, &h);
  int& cur = ScreenLog.ScreenLogCurrentLine;
  bool full = h < (cur + 2) * ScreenLog.ScreenLogLineHeight || cur >= kScreenLogLineSlots - 1;
  if (full) {
    int last = std::min(cur + 1, kScreenLogLineSlots - 1);
    for (int i = 1; i <= last; ++i) ScreenLog.ScreenLogLines[i - 1] = std::move(ScreenLog.ScreenLogLines[i]);
    ScreenLog.ScreenLogLines[last].reset();
  } else {
    ++cur;
  }
  ScreenLog.ScreenLogLineWidth = 0;
  ScreenLog.ScreenLogCharCount = 0;
  ScreenLog.ScreenLogLines[cur] = AllocateLine();
}

// Adds the character at text[i]; returns the bytes it took (1 or 2).
int AddChar(std::string_view text, size_t i) {
  int bytes = plat::IsSjisLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size() && text[i + 1] != '\0' ? 2 : 1;
  int width = ScreenLog.CharWidth(text.data() + i, bytes);
  int screen_w = 0;
  GetScreenSize(&screen_w, nullptr);
  if (ScreenLog.ScreenLogLineWidth + width >= screen_w ||
      ScreenLog.ScreenLogCharCount + bytes > kScreenLogLineBytes - 1) {
    NewLine();
  }
  char* line = ScreenLog.ScreenLogLines[ScreenLog.ScreenLogCurrentLine].get();
  std::memcpy(line + ScreenLog.ScreenLogCharCount, text.data() + i, static_cast<size_t>(bytes));
  ScreenLog.ScreenLogCharCount += bytes;
  ScreenLog.ScreenLogLineWidth += width;
  return bytes;
}

}  // namespace

int ScreenLogInit() {
  // One font for the whole run: a screen-mode change keeps it, or makes it again under the
  // same handle when the change took the fonts away, so the 20 handles never run out.
  const int old_font = ScreenLog.ScreenLogFont;
  if (!IsScreenLogFont(old_font)) {
    int font = old_font >= 0 ? CreateFontHandle(nullptr, kScreenLogFontSize, kScreenLogFontThickness,
                                                kScreenLogFontType, old_font)
                             : -1;
    if (font == -1) {
      font = CreateFontHandle(nullptr, kScreenLogFontSize, kScreenLogFontThickness, kScreenLogFontType, -1);
    }
    ScreenLog.ScreenLogFont = font;
  }
  ScreenLog.ScreenLogLineHeight = kScreenLogLineHeight;
  ScreenLog.ScreenLogUsed = 0;
  ScreenLog.ScreenLogTabWidth = kScreenLogTabWidth;
  ScreenLog.ScreenLogCurrentLine = 0;
  ScreenLog.ScreenLogCharCount = 0;
  ScreenLog.ScreenLogLineWidth = 0;
  for (LineBuffer& line : ScreenLog.ScreenLogLines) line.reset();
  return 0;
}

int ScreenLogAddText(std::string_view text) {
  if (!ScreenLog.ScreenLogLines[ScreenLog.ScreenLogCurrentLine]) {
    ScreenLog.ScreenLogLines[ScreenLog.ScreenLogCurrentLine] = AllocateLine();
  }
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    switch (static_cast<uint8_t>(text[i])) {
      case 0x07:
      case 0x08:
      case 0x0B:
      case 0x0C:
      case 0x0D:
      case '?': break;
      case '\t':
        for (int s = 0; s < ScreenLog.ScreenLogTabWidth; ++s) AddChar(" ", 0);
        break;
      case '\n': NewLine(); break;
      default:
        if (AddChar(text, i) == 2) ++i;
    }
  }
  return 0;
}

int ScreenLogPrintf(const char* format, ...) {
  char buffer[kLogFormatBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  ScreenLog.ScreenLogUsed = 1;
  return ScreenLogAddText(buffer);
}

int ScreenLogIsUsed() { return ScreenLog.ScreenLogUsed; }

int ScreenLogClear() {
  for (LineBuffer& line : ScreenLog.ScreenLogLines) line.reset();
  ScreenLog.ScreenLogCurrentLine = 0;
  ScreenLog.ScreenLogCharCount = 0;
  ScreenLog.ScreenLogLineWidth = 0;
  ScreenLog.ScreenLogUsed = 0;
  return 0;
}

std::string_view ScreenLogLine(int i) {
  if (i < 0 || i >= kScreenLogLineSlots || !ScreenLog.ScreenLogLines[i]) return {};
  return ScreenLog.ScreenLogLines[i].get();
}

int ScreenLogCurrentLineIndex() { return ScreenLog.ScreenLogCurrentLine; }

void SetScreenLogCharWidthFunc(ScreenLogCharWidthFunc f) { ScreenLog.CharWidth = f != nullptr ? f : FontCharWidth; }

int ScreenLogFontHandle() { return ScreenLog.ScreenLogFont; }

}  // namespace vexal
