#include "game/field/map_file.h"

#include <cstring>

#include "platform/numeric/little_endian.h"

namespace game {
namespace {

using plat::numeric::LoadLe16;
using plat::numeric::LoadLe32;
using plat::numeric::StoreLe16;
using plat::numeric::StoreLe32;

}  // namespace

MapFileImage::MapFileImage() {
  for (MapEvent& e : events) e[0][kPageX] = kEmptyEventX;
}

std::string CheckMapEvent(const MapEvent& event) {
  const MapEventPage& p0 = event[0];
  if (p0[kPageX] == kEmptyEventX) return {};
  if (p0[kPageX] >= kMapSize || p0[kPageY] >= kMapSize) return "start position outside the map";
  return CheckEventPages(event);
}

std::string CheckEventPages(const MapEvent& event) {
  for (const MapEventPage& p : event) {
    for (int w : {kPageAreaLowX, kPageAreaLowY, kPageAreaHighX, kPageAreaHighY})
      if (p[w] >= kMapSize) return "walking area outside the map";
    if (p[kPageDirection] > 3) return "direction above 3";
    if (p[kPagePeriod] >= kPeriodIndexCount) return "animation period index above 5";
    if (p[kPageWalkChance] >= kWalkChanceCount) return "walk chance index above 4";
    if (p[kPageMoveType] >= kMoveTypeCount) return "movement type above 5";
    const int g = p[kPageGraphic];
    if (p[kPageFixed] == 0 && g >= kCharacterCount) return "character graphic above 63";
    if (p[kPageFixed] != 0 && g >= kChipRecordCount && g != kBubbleGraphic && g != kBubbleGraphicHigh)
      return "chip-event graphic outside the chip records";
  }
  return {};
}

std::string ParseMapFile(std::span<const uint8_t> bytes, MapFileImage& out) {
  if (bytes.size() != kMapFileBytes) return "unpacked map is not 664332 bytes";
  MapFileImage m;
  for (size_t i = 0; i < m.planes.size(); ++i) m.planes[i] = LoadLe16(&bytes[i * 2]);
  for (int plane : {0, 1})
    for (int i = 0; i < kMapCells; ++i)
      if (m.planes[size_t(plane) * kMapCells + i] >= kChipRecordCount) return "chip number above 511";
  size_t at = kMapPlanesBytes;
  for (int32_t& w : m.header) {
    w = int32_t(LoadLe32(&bytes[at]));
    at += 4;
  }
  for (MapEvent& e : m.events)
    for (MapEventPage& p : e)
      for (uint16_t& w : p) {
        w = LoadLe16(&bytes[at]);
        at += 2;
      }
  for (auto& s : m.strings) {
    std::memcpy(s.data(), bytes.data() + at, kMapStringBytes);
    s[kMapStringBytes - 1] = 0;
    at += kMapStringBytes;
  }
  // Every slot below the last used event gets a page applied, free ones too (the
  // player's slot only takes the party's graphic).
  int count = 1;
  for (int e = 0; e < kMapEventCount; ++e)
    if (m.events[e][0][kPageX] != kEmptyEventX) count = e + 1;
  for (int e = 0; e < kMapEventCount; ++e) {
    const bool free_applied = e > 0 && e < count && m.events[e][0][kPageX] == kEmptyEventX;
    std::string why = free_applied ? CheckEventPages(m.events[e]) : CheckMapEvent(m.events[e]);
    if (!why.empty()) return (free_applied ? "free event slot " : "event ") + std::to_string(e) + ": " + why;
  }
  out = std::move(m);
  return {};
}

std::vector<uint8_t> SerializeMapFile(const MapFileImage& map) {
  std::vector<uint8_t> b(kMapFileBytes);
  for (size_t i = 0; i < map.planes.size(); ++i) StoreLe16(&b[i * 2], map.planes[i]);
  size_t at = kMapPlanesBytes;
  for (int32_t w : map.header) {
    StoreLe32(&b[at], uint32_t(w));
    at += 4;
  }
  for (const MapEvent& e : map.events)
    for (const MapEventPage& p : e)
      for (uint16_t w : p) {
        StoreLe16(&b[at], w);
        at += 2;
      }
  for (const auto& s : map.strings) {
    std::memcpy(b.data() + at, s.data(), kMapStringBytes);
    at += kMapStringBytes;
  }
  return b;
}

}  // namespace game
