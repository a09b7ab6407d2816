// The font table and the life of each font record: the system font, the cache bitmap laid
// out in square cells, the emptied entries and lookup, and the text cache surface.
#include "vexal/graphics/fonts/font_table.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <new>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

namespace pg = plat::gdi;

struct FontTableRecord {
  std::array<std::unique_ptr<FontRecord>, kFontHandleCount> Slots;  // empty slots are null
  int DefaultFont = -1;  // the library's default font handle, -1 before the first one
};

FontTableRecord FontTable;  // every font handle

// Fonts can be neither made nor changed without a device or while drawing is suspended.
bool FontsUnavailable() { return GetGraphSuspendFlag() != 0 || GetDirectDrawObject() == nullptr; }

pg::Font* MakeSystemFont(const char* name, int size, int thickness) {
  // Held to the int range, a thickness past the weights the font system takes is refused.
  const int weight = SaturatedCoordinate(int64_t{thickness} * 100);
  const bool named = name != nullptr && name[0] != '\0';
  const char* face = named ? name : nullptr;
  const int first_charset = named ? pg::kDefaultCharset : pg::kShiftJisCharset;
  pg::Font* font = pg::CreateFont(size, weight, first_charset, pg::kNonAntialiasedQuality, face);
  if (font == nullptr) font = pg::CreateFont(size, weight, pg::kShiftJisCharset, pg::kNonAntialiasedQuality, face);
  return font;
}

int CacheBitCount(int type) {
  if (type == 0) return 1;
  return type == kFontTypeMax ? 16 : 8;
}

void ClearCacheEntries(FontRecord* f) {
  f->Lookup.fill(-1);
  for (int i = 0; i <= kFontCacheEntryMax; ++i) f->Entries[i] = FontCacheEntry{0, i, 0, 0, -1};
  f->Entries[f->EntryCount].Cell = -1;
  f->NextEntry = 0;
}

// The screen-sized surface with a mask buffer the string step draws into, always in
// system memory because it is locked and written pixel by pixel.
int AddTextCache() {
  int w = 0, h = 0;
  GetScreenSize(&w, &h);
  const int use_video = GetUseVideoMemory();
  SetUseVideoMemory(0);
  const int index = AddBmpData(w, h, 0, 0, 0, 0, nullptr, 0, 0, 1);
  SetUseVideoMemory(use_video);
  return index;
}

BmpDataRecord* OwnTextCache(const FontRecord& f) {
  BmpDataRecord* r = f.TextCache >= 0 ? GetBmpData(f.TextCache) : nullptr;
  return r != nullptr && r == f.TextCacheRecord ? r : nullptr;
}

void FreeRecord(int handle) {
  std::unique_ptr<FontRecord>& slot = FontTable.Slots[static_cast<size_t>(handle)];
  if (OwnTextCache(*slot) != nullptr) DeleteBmpData(slot->TextCache);
  slot.reset();
}

}  // namespace

uint8_t* FontRecord::CellBits(int cell) {
  const int column = cell / CellsPerColumn;
  const int row = cell % CellsPerColumn;
  const size_t x_bytes =
      static_cast<size_t>(column) * static_cast<size_t>(Cell) * static_cast<size_t>(CacheBitCount) / 8;
  return CacheBits.data() + static_cast<size_t>(row) * static_cast<size_t>(Cell) * static_cast<size_t>(CachePitch) +
         x_bytes;
}

FontCacheGeometry ComputeFontCacheGeometry(int max_char_width, int type) {
  FontCacheGeometry g;
  g.Cell =
      max_char_width + (max_char_width & 1) + ((type & kFontTypeEdge) != 0 ? kFontEdgeCellGrowth : 0) + kFontCellMargin;
  // A cell larger than the area still gets one entry, or the cache could hold nothing.
  g.EntryCount = std::clamp(kFontCacheArea / (g.Cell * g.Cell), 1, kFontCacheEntryMax);
  g.DibWidth = g.Cell;
  g.DibHeight = g.Cell * g.EntryCount;
  if (type == 0) {
    if (g.DibHeight > kFontCacheMaxDibHeight) {
      g.DibHeight = std::max(1, kFontCacheMaxDibHeight / g.Cell) * g.Cell;
      g.EntryCount = g.DibHeight / g.Cell;
    }
  } else {
    while (g.DibHeight > kFontCacheMaxDibHeight) {
      const bool odd = (g.DibHeight & 1) != 0;
      g.DibWidth *= 2;
      g.DibHeight = g.DibHeight / 2 + (odd ? g.Cell : 0);
    }
  }
  g.CellsPerColumn = g.DibHeight / g.Cell;
  g.EntryCount = std::min(g.EntryCount, (g.DibWidth / g.Cell) * g.CellsPerColumn);
  return g;
}

void FontHandleFatal(const char* detail_format, ...) {
  char detail[kLogFormatBufferSize];
  va_list args;
  va_start(args, detail_format);
  std::vsnprintf(detail, sizeof detail, detail_format, args);
  va_end(args);
  LogWrite("フォントハンドル値が異常です終了します\n");
  LogWriteFmt("%s", detail);
  FatalErrorExit("");
}

BmpDataRecord* GetFontTextCache(FontRecord* f) {
  if (BmpDataRecord* r = OwnTextCache(*f); r != nullptr) return r;
  f->TextCache = AddTextCache();
  f->TextCacheRecord = f->TextCache >= 0 ? GetBmpData(f->TextCache) : nullptr;
  return f->TextCacheRecord;
}

FontRecord* FindFontRecord(int handle) {
  if (handle < 0 || handle >= kFontHandleCount) return nullptr;
  return FontTable.Slots[static_cast<size_t>(handle)].get();
}

int CheckFontHandle(int handle) { return FindFontRecord(handle) != nullptr ? 1 : 0; }

int GetDefaultFontHandle() { return FontTable.DefaultFont; }

FontRecord* GetFontManageDataToHandle(int handle) {
  if (FontsUnavailable()) return nullptr;
  FontRecord* f = FindFontRecord(handle);
  if (f == nullptr) FontHandleFatal("\tin GetFontManageDataToHandle  FontHanle =%d   ", handle);
  return f;
}

int GetFontStateToHandle(int handle, std::string* name, int* size, int* thickness) {
  if (FontsUnavailable()) return -1;
  const FontRecord* f = FindFontRecord(handle);
  if (f == nullptr) {
    FontHandleFatal("\tin GetFontStateToHandle  FontName = %s  Size = %p  Thinck = %p  FontHandle = %d ",
                    name != nullptr ? name->c_str() : "", static_cast<void*>(size), static_cast<void*>(thickness),
                    handle);
  }
  if (name != nullptr) *name = f->Name;
  if (size != nullptr) *size = f->Size;
  if (thickness != nullptr) *thickness = f->Thickness;
  return 0;
}

int CreateFontHandle(const char* name, int size, int thickness, int type, int handle) {
  if (FontsUnavailable()) return -1;
  if (handle == -1) {
    const auto free_slot = std::find(FontTable.Slots.begin(), FontTable.Slots.end(), nullptr);
    if (free_slot == FontTable.Slots.end()) {
      LogWriteFmt("作成できるフォントハンドル数 %d の限界を超えました", kFontHandleCount);
      FatalErrorExit("");
    }
    handle = static_cast<int>(free_slot - FontTable.Slots.begin());
  } else if (handle < 0 || handle >= kFontHandleCount || FontTable.Slots[static_cast<size_t>(handle)] != nullptr) {
    return -1;
  }
  std::unique_ptr<FontRecord> record;
  try {
    record = std::make_unique<FontRecord>();
  } catch (const std::bad_alloc&) {
    FatalErrorExit("フォント管理用メモリ領域の確保に失敗しました");
  }
  FontRecord* f = record.get();
  type = std::clamp(type, 0, kFontTypeMax);
  if (GetScreenColorBits() == 8) type &= ~kFontTypeAntialias;
  f->Size = size == -1 ? kDefaultFontSize : size;
  f->Thickness = thickness == -1 ? kDefaultFontThickness : thickness;
  f->Name = name != nullptr ? std::string(name).substr(0, kFontNameMax) : std::string();

  // A refused font leaves no record behind: the slot stays free for the next font.
  f->Font = MakeSystemFont(f->Name.c_str(), f->Size, f->Thickness);
  if (f->Font == nullptr) {
    LogWrite(f->Name.empty() ? "フォントの作成に失敗しました\n" : "指定のフォントの作成に失敗しました\n");
    return -1;
  }
  pg::TextMetrics metrics;
  pg::GetTextMetrics(f->Font, &metrics);
  const FontCacheGeometry g = ComputeFontCacheGeometry(metrics.max_char_width, type);
  f->Cell = g.Cell;
  f->EntryCount = g.EntryCount;
  f->DibWidth = g.DibWidth;
  f->DibHeight = g.DibHeight;
  f->CellsPerColumn = g.CellsPerColumn;
  f->CacheBitCount = CacheBitCount(type);
  f->CachePitch = (f->DibWidth * f->CacheBitCount + 31) / 32 * 4;
  try {
    f->CacheBits.assign(static_cast<size_t>(f->CachePitch) * static_cast<size_t>(f->DibHeight), 0);
  } catch (const std::bad_alloc&) {
    FatalErrorExit("メモリの確保に失敗しました in CFont");
  }
  ClearCacheEntries(f);
  f->Type = type;
  FontTable.Slots[static_cast<size_t>(handle)] = std::move(record);
  return handle;
}

int DeleteFontHandle(int handle) {
  if (FontsUnavailable() || FindFontRecord(handle) == nullptr) return -1;
  FreeRecord(handle);
  return 0;
}

int CreateDefaultFont(std::string_view name, int size, int thickness) {
  if (FontsUnavailable()) return -1;
  if (CheckFontHandle(FontTable.DefaultFont) != 0) DeleteFontHandle(FontTable.DefaultFont);
  const std::string face(name);
  FontTable.DefaultFont = CreateFontHandle(face.c_str(), size, thickness, 0, -1);
  return 0;
}

int InitFontManage() {
  if (FontsUnavailable()) return -1;
  LogWrite("フォントの初期化を行います");
  LogIndentIn();
  std::string name;
  int size = kDefaultFontSize, thickness = kDefaultFontThickness;
  if (const FontRecord* old_default = FindFontRecord(FontTable.DefaultFont); old_default != nullptr) {
    name = old_default->Name;
    size = old_default->Size;
    thickness = old_default->Thickness;
  }
  for (int i = 0; i < kFontHandleCount; ++i) {
    if (FontTable.Slots[static_cast<size_t>(i)] != nullptr) DeleteFontHandle(i);
  }
  FontTable.DefaultFont = CreateFontHandle(name.c_str(), size, thickness, 0, -1);
  LogIndentOut();
  LogWrite("フォントの初期化は正常に終了しました\n");
  return 0;
}

int RefreshAllFontHandle() {
  for (int i = 0; i < kFontHandleCount; ++i) {
    const FontRecord* f = FindFontRecord(i);
    if (f == nullptr) continue;
    const std::string name = f->Name;
    const int size = f->Size, thickness = f->Thickness, type = f->Type;
    DeleteFontHandle(i);
    CreateFontHandle(name.c_str(), size, thickness, type, i);
  }
  for (int i = 0; i < GraphTable.EndIndex; ++i) {
    if (GraphTable.Slots[static_cast<size_t>(i)] != nullptr) GraphTable.Slots[static_cast<size_t>(i)]->NeedsRestore = 1;
  }
  if (GraphTable.RestoreHandler != nullptr) GraphTable.RestoreHandler();
  return 0;
}

void ResetFontTable() {
  for (auto& slot : FontTable.Slots) slot.reset();
  FontTable.DefaultFont = -1;
}

}  // namespace vexal
