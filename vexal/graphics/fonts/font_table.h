// Font handles: the 20-slot font table and the record behind each handle — the system font,
// the glyph cache bitmap of square cells, its round-robin entries and the lookup from a
// character's Shift-JIS code to its entry, and the screen-sized text cache the string step
// draws into. The glyphs themselves are added and drawn by font_cache.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/gdi.h"

namespace vexal {

struct BmpDataRecord;

inline constexpr int kFontHandleCount = 20;      // font handles are 0..19
inline constexpr int kFontCacheEntryMax = 2024;  // entries one cache may use
inline constexpr int kFontCacheArea = 327680;    // pixels of cells a cache aims at
inline constexpr int kFontCacheMaxDibHeight = 16384;
inline constexpr int kFontLookupSize = 65536;    // one cell per 16-bit character code
inline constexpr int kDefaultFontSize = 16;      // pixels
inline constexpr int kDefaultFontThickness = 6;  // weight / 100
inline constexpr int kFontCellMargin = 10;       // cell = widest character + this (+ edge)
inline constexpr int kFontEdgeCellGrowth = 2;    // edged cells and glyphs are 2 pixels larger
inline constexpr size_t kFontNameMax = 255;      // bytes of a face name

// Font types: bit 0 draws an edge round each glyph, bit 1 anti-aliases.
inline constexpr int kFontTypeEdge = 1;
inline constexpr int kFontTypeAntialias = 2;
inline constexpr int kFontTypeMax = 3;

// One cache entry: cell Cell of the cache bitmap and the glyph drawn into it.
struct FontCacheEntry {
  uint8_t Used = 0;   // holds a character
  int32_t Cell = -1;  // its cell; -1 marks the entry after the last usable one
  int32_t Cx = 0;     // drawn size of the glyph (text extent, widened for edges)
  int32_t Cy = 0;
  int32_t Code = -1;  // the character code whose lookup cell points here, -1 for none
};

// Where the cells lie in the cache bitmap.
struct FontCacheGeometry {
  int Cell = 0;        // side of a square cell in pixels
  int EntryCount = 0;  // usable entries
  int DibWidth = 0;    // pixels
  int DibHeight = 0;
  int CellsPerColumn = 0;
};

struct FontRecord {
  std::array<FontCacheEntry, kFontCacheEntryMax + 1> Entries{};  // entry i owns cell i
  std::array<int16_t, kFontLookupSize> Lookup{};                 // entry of each character code, -1 for none
  int NextEntry = 0;                                             // round-robin place of the next entry to (re)use
  int EntryCount = 0;                                            // usable entries
  std::vector<uint8_t> CacheBits;                                // the cache bitmap, top row first
  int CachePitch = 0;                                            // bytes per bitmap row, a multiple of 4
  int CacheBitCount = 0;                                         // 1 (type 0), 8 (types 1, 2) or 16 (type 3)
  std::string Name;                                              // face name, empty for the default face
  int Thickness = kDefaultFontThickness;
  int Size = kDefaultFontSize;  // character height in pixels
  int Cell = 0;
  plat::gdi::Font* Font = nullptr;  // owned
  int Type = 0;                     // 0..3, see kFontType*
  int DibWidth = 0;
  int DibHeight = 0;
  int CellsPerColumn = 0;
  int TextCache = -1;                        // BMP data index of the screen-sized drawing surface, -1 until needed
  BmpDataRecord* TextCacheRecord = nullptr;  // the record made there, to tell it from a later one

  FontRecord() = default;
  FontRecord(const FontRecord&) = delete;
  FontRecord& operator=(const FontRecord&) = delete;
  ~FontRecord() { plat::gdi::DeleteFont(Font); }

  // Top-left byte of a cell in the cache bitmap.
  uint8_t* CellBits(int cell);
};

// The cache layout for a font whose widest character is max_char_width pixels.
FontCacheGeometry ComputeFontCacheGeometry(int max_char_width, int type);

// Clears the fonts and makes the default font again (with the old default's name, size and
// thickness when there was one). 0; -1 while drawing is suspended or without the device.
int InitFontManage();
// A font of a face (null or empty: the default face), size in pixels (-1: 16), thickness
// = weight / 100 (-1: 6) and type, in the given slot (-1: the first free one). The handle;
// -1 for a slot in use, a font the system refuses (the slot stays free), while suspended
// or without the device. With all 20 slots in use the program ends.
int CreateFontHandle(const char* name, int size, int thickness, int type, int handle);
// Deletes the default font and makes a type-0 font in its place. 0, -1 while suspended or
// without the device.
int CreateDefaultFont(std::string_view name, int size, int thickness);
// 0; -1 for a bad or empty handle, while suspended or without the device.
int DeleteFontHandle(int handle);
// Any output may be null. 0; a bad handle ends the program.
int GetFontStateToHandle(int handle, std::string* name, int* size, int* thickness);
// The record; null while suspended or without the device; a bad handle ends the program.
FontRecord* GetFontManageDataToHandle(int handle);
int GetDefaultFontHandle();
// 1 for a handle in 0..19 with a font behind it, else 0.
int CheckFontHandle(int handle);
// Makes every font again under its own handle, marks every graph for reloading and calls
// the restore handler. 0.
int RefreshAllFontHandle();

// The font's screen-sized surface with a mask buffer, in system memory, made the first
// time a string needs it; null when it cannot be made.
BmpDataRecord* GetFontTextCache(FontRecord* font);

// The record of a handle without any check: null for anything but a font in use.
FontRecord* FindFontRecord(int handle);
// Ends the program for a bad font handle: the fixed line, the caller's line, no message.
[[noreturn]] void FontHandleFatal(const char* detail_format, ...) __attribute__((format(printf, 1, 2)));

// Deletes every font and forgets the default handle, for tests.
void ResetFontTable();

}  // namespace vexal
