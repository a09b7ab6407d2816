// The unpacked map file: four planes of 256 x 256 u16 cells, the 65-word header, 513
// events of four 33-word pages and 17 strings of 256 bytes, all little-endian.
//
// Every value the field later uses as an index is checked here, so a damaged file is
// refused whole rather than read past a table.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace game {

inline constexpr int kMapSize = 256;  // cells on each side
inline constexpr int kMapCells = kMapSize * kMapSize;
inline constexpr int kMapPlaneCount = 4;
inline constexpr int kMapHeaderWords = 65;
inline constexpr int kMapEventCount = 513;  // event 0 is the player
inline constexpr int kEventPageCount = 4;
inline constexpr int kEventPageWords = 33;
inline constexpr int kMapStringCount = 17;
inline constexpr int kMapStringBytes = 256;
inline constexpr uint16_t kEmptyEventX = 0xFFFF;  // page-0 x of a free event slot

inline constexpr size_t kMapPlanesBytes = size_t{kMapPlaneCount} * kMapCells * 2;  // 524,288
inline constexpr size_t kMapHeaderBytes = kMapHeaderWords * 4;                     // 260
inline constexpr size_t kMapEventBytes = kEventPageCount * kEventPageWords * 2;    // 264
inline constexpr size_t kMapEventsBytes = kMapEventCount * kMapEventBytes;         // 135,432
inline constexpr size_t kMapStringsBytes = kMapStringCount * kMapStringBytes;      // 4,352
inline constexpr size_t kMapFileBytes =
    kMapPlanesBytes + kMapHeaderBytes + kMapEventsBytes + kMapStringsBytes;  // 664,332

// Page words.
inline constexpr int kPageX = 0, kPageY = 1, kPageFixed = 3, kPageGraphic = 4, kPageDirection = 5, kPagePeriod = 6,
                     kPageMoveType = 7, kPageWalkChance = 8, kPageNoCollision = 9, kPageAreaLowX = 10,
                     kPageAreaLowY = 11, kPageAreaHighX = 12, kPageAreaHighY = 13, kPageSecondPass = 14,
                     kPageBlink = 15, kPageWord16 = 16, kPageFirstTest = 17, kPageTestCount = 8, kPageActivation = 25,
                     kPageBlock = 26;

inline constexpr int kChipRecordCount = 512;
inline constexpr int kChipCellCount = 1024;
inline constexpr int kCharacterCount = 64;  // character graphics 0..63
inline constexpr int kBubbleGraphic = 600;  // chip-event graphics for the bubble effect
inline constexpr int kBubbleGraphicHigh = 601;
inline constexpr int kPeriodIndexCount = 6;  // page word 6: 0..5
inline constexpr int kWalkChanceCount = 5;   // page word 8: 0..4
inline constexpr int kMoveTypeCount = 6;     // page word 7: 0..5 (5 never walks)

using MapEventPage = std::array<uint16_t, kEventPageWords>;
using MapEvent = std::array<MapEventPage, kEventPageCount>;

struct MapFileImage {
  std::vector<uint16_t> planes = std::vector<uint16_t>(size_t{kMapPlaneCount} * kMapCells);
  std::array<int32_t, kMapHeaderWords> header{};
  std::vector<MapEvent> events = std::vector<MapEvent>(kMapEventCount);
  std::array<std::array<char, kMapStringBytes>, kMapStringCount> strings{};

  MapFileImage();  // every event slot free (x = 0xFFFF)
  uint16_t& Cell(int plane, int x, int y) { return planes[size_t(plane) * kMapCells + y * kMapSize + x]; }
  uint16_t Cell(int plane, int x, int y) const { return planes[size_t(plane) * kMapCells + y * kMapSize + x]; }
};

// Reads an unpacked map. Empty string on success, else why it was refused (wrong size,
// a chip number of 512 or more, an event value that indexes past its table). Strings
// come back NUL-terminated.
std::string ParseMapFile(std::span<const uint8_t> bytes, MapFileImage& out);
// The file bytes of a map (what ParseMapFile reads).
std::vector<uint8_t> SerializeMapFile(const MapFileImage& map);
// Empty when the event's pages hold only values the field can index with, else why not.
std::string CheckMapEvent(const MapEvent& event);
// The same for the pages alone, whether or not the slot is used: a free slot below the
// last used event gets a page applied like any other.
std::string CheckEventPages(const MapEvent& event);

}  // namespace game
