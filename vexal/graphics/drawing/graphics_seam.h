// Graphics-core calls whose modules are not built yet stand in the *_pending files: minimal
// versions that do nothing and succeed, or keep the one value a caller reads back. Each
// moves to its own module as that module is built. A test can watch the calls and set the
// few answers callers decide on.
//
// The application layer reaches the whole graphics core through this header, so it also
// brings in the headers of the modules that are built.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/fonts/font_cache.h"
#include "vexal/graphics/fonts/screen_log_draw.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/graphs/graph_restore.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/pictures/dib_section.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/main_surfaces.h"
#include "vexal/graphics/screen/palette.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"
#include "vexal/graphics/screen/screen_present.h"

namespace vexal {

// One past the highest slot in use (tests watch the walks over the table through it).
int GetBmpDataEnd();

// Hands the call's name to the trace hook, if any, and gives back `result`.
int SeamTraced(std::string_view call, int result = 0);

// ---- Tests ----

// No restore handler installed.
void SeamClearGraphRestoreHandler();
// The BMP data table from now on: slot i holds records[i] (null: empty); see
// SetBmpDataTableForTests. The span must outlive its use.
void SeamSetBmpDataTable(std::span<BmpDataRecord*> records);
// Receives the name of every stand-in call that the library makes; null stops it.
void SeamSetTraceHook(std::function<void(std::string_view)> hook);
// Back to the state at load.
void ResetGraphicsSeam();

}  // namespace vexal
