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

#include "vexal/graphics/bmp_data_record.h"
#include "vexal/graphics/bmp_data_table.h"
#include "vexal/graphics/color_format.h"
#include "vexal/graphics/color_value.h"
#include "vexal/graphics/ddraw_device.h"
#include "vexal/graphics/draw_calls.h"
#include "vexal/graphics/draw_state.h"
#include "vexal/graphics/graph_load.h"
#include "vexal/graphics/graph_manage.h"
#include "vexal/graphics/graph_restore.h"
#include "vexal/graphics/main_surfaces.h"
#include "vexal/graphics/palette.h"
#include "vexal/graphics/screen_access.h"
#include "vexal/graphics/screen_mode.h"
#include "vexal/graphics/screen_present.h"
#include "vexal/graphics/draw_target.h"
#include "vexal/graphics/font_cache.h"
#include "vexal/graphics/screen_log_draw.h"
#include "vexal/graphics/mask.h"
#include "vexal/graphics/dib_section.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/texture_formats.h"

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
