#include "vexal/graphics/fonts/screen_log_draw.h"

#include <algorithm>

#include "vexal/app/log/screen_log.h"
#include "vexal/graphics/drawing/call_trace.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

int ScreenLogDraw() {
  TraceCall("ScreenLogDraw");  // the presentation's tests watch this step
  const int font = ScreenLogFontHandle();
  // Without its font the log has nothing to draw with; drawing with a bad handle would end
  // the program.
  if (CheckFontHandle(font) == 0) return 0;
  int h = 0;
  GetScreenSize(nullptr, &h);
  const int rows = std::min(h / kScreenLogLineHeight, kScreenLogLineSlots);
  for (int i = 0; i < rows; ++i) {
    const std::string_view line = ScreenLogLine(i);
    if (line.empty()) continue;
    DrawStringToHandle(0, kScreenLogLineHeight * i, line.data(), MakeColorValue(255, 255, 255), font,
                       MakeColorValue(0, 0, 0), 0);
  }
  return 0;
}

}  // namespace vexal
