// Graphics-core calls whose modules are not built yet (restoring all graphs, the mask
// flag, fonts, the mask, Direct3D, the draw-target code, the screen log's drawing, and
// the BMP data walk and test table that the device tests watch): minimal versions that do nothing and succeed, or keep the one value a caller
// reads back. Each moves to its own module as that module is built. A test can watch the
// calls and set the few answers callers decide on.
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
#include "vexal/graphics/graph_manage.h"
#include "vexal/graphics/main_surfaces.h"
#include "vexal/graphics/palette.h"
#include "vexal/graphics/screen_access.h"
#include "vexal/graphics/screen_mode.h"
#include "vexal/graphics/screen_present.h"

namespace vexal {

// ---- Draw state ----

// Masked drawing on (1) or off. 0.
int SetMaskTargetFlag(int flag);
int SetFrontScreenRect(int left, int top, int right, int bottom);
int RefreshAllFontHandle();

// ---- Draw-target code ----

// Points the draw surface at the front (-4) or back (-2) surface. 0.
int DDrawSetDrawTarget(int target);
// Fills the draw surface with colour 0. 0.
int ClearDrawTarget();

// ---- Graph restore ----

int RestoreAllGraph();

// ---- BMP data table ----

// One past the highest slot in use (tests watch the walks over the table through it).
int GetBmpDataEnd();

// ---- Fonts ----

int GetDefaultFontHandle();
// 0 for a font handle in use, -1 otherwise.
int CheckFontHandle(int font_handle);
int GetFontStateToHandle(int font_handle, std::string* name, int* size, int* thickness);
int CreateDefaultFont(const std::string& name, int size, int thickness);

// ---- Screen log ----

int ScreenLogDraw();

// ---- Mask ----

int DeleteMaskBuffer();
int RestoreMaskBuffer();
// Non-zero while the mask buffer exists (never, until the mask is built; tests may say so).
int MaskBufferExists();

// ---- Direct3D ----

int InitDirect3D();
int EndDirect3D();
int ReleaseDirect3D();
int RestoreDirect3D();
int EndPending3DScene();
int SetTextureBitDepth(int bits);

// ---- Picture files ----

// A picture file loaded into a device-independent bitmap; null when it cannot be.
struct DibSection {
  int32_t width = 0, height = 0;  // height > 0: rows bottom-up
  int32_t bits_per_pixel = 0;
  uint8_t* pixels = nullptr;      // rows padded to 4 bytes
};
using DibHandle = const DibSection*;
DibHandle CreateDIBGraph(const char* file, const void* memory, int memory_size, int source_is_memory,
                         int mirror, ColorFormatRecord* format);
// Width, height, bits and pixels of a bitmap. 0, or -1 for null.
int GetDibSectionInfo(DibHandle dib, DibSection* out);
int DeleteDibSection(DibHandle dib);

// ---- Tests ----

// No restore handler installed.
void SeamClearGraphRestoreHandler();
// CreateDIBGraph hands out this bitmap (for any file) from now on; nullopt: none.
void SeamSetDibImage(std::optional<DibSection> dib);
// The front screen's place as SetFrontScreenRect left it.
std::array<int, 4> SeamFrontScreenRect();
// The BMP data table from now on: slot i holds records[i] (null: empty); see
// SetBmpDataTableForTests. The span must outlive its use.
void SeamSetBmpDataTable(std::span<BmpDataRecord*> records);
// MaskBufferExists answers this from now on.
void SeamSetMaskBufferExists(int exists);
// Receives the name of every call above that the library makes; null stops it.
void SeamSetTraceHook(std::function<void(std::string_view)> hook);
// Back to the state at load.
void ResetGraphicsSeam();

}  // namespace vexal
