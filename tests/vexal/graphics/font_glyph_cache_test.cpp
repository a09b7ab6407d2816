// The glyph cache: which entry a character takes and loses, and the exact cell contents of
// each font type against the system's own rendering of the same character.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/vexal/graphics/font_fixture.h"

namespace {

namespace pg = plat::gdi;
using fonttest::FontTest;

// The 3-byte records of two-byte characters lead:trail for trail 0x40.. (count of them).
std::vector<uint8_t> KanjiRecords(uint8_t lead, int count) {
  std::vector<uint8_t> out;
  for (int i = 0; i < count; ++i) {
    const int n = 0x40 + i;
    out.insert(out.end(), {static_cast<uint8_t>(lead + n / 0xBC), static_cast<uint8_t>(0x40 + n % 0xBC), 0});
  }
  return out;
}

int Code(const std::vector<uint8_t>& records, int i) { return records[i * 3] | records[i * 3 + 1] << 8; }

class GlyphCacheTest : public FontTest {
 protected:
  vexal::FontRecord* Font(int type, int size = 16) {
    handle_ = vexal::CreateFontHandle(nullptr, size, 6, type, -1);
    EXPECT_GE(handle_, 0);
    return vexal::GetFontManageDataToHandle(handle_);
  }
  void Add(const std::string& bytes) {
    uint8_t record[3] = {static_cast<uint8_t>(bytes[0]), bytes.size() > 1 ? static_cast<uint8_t>(bytes[1]) : uint8_t{0},
                         0};
    ASSERT_NE(vexal::FontCacheCharAddToHandle(1, record, handle_), nullptr);
  }
  int handle_ = -1;
};

TEST_F(GlyphCacheTest, EntriesAreReusedRoundRobinAndEvictionClearsTheOldLookup) {
  Start(1);
  vexal::FontRecord* f = Font(0);
  ASSERT_EQ(f->EntryCount, 484);
  const std::vector<uint8_t> chars = KanjiRecords(0x88, f->EntryCount + 1);
  const vexal::FontCacheEntry* last = vexal::FontCacheCharAddToHandle(f->EntryCount + 1, chars.data(), handle_);
  EXPECT_EQ(last, &f->Entries[0]);
  EXPECT_EQ(f->Lookup[static_cast<size_t>(Code(chars, 0))], -1);  // evicted
  EXPECT_EQ(f->Lookup[static_cast<size_t>(Code(chars, f->EntryCount))], 0);
  EXPECT_EQ(f->Lookup[static_cast<size_t>(Code(chars, 1))], 1);
  EXPECT_EQ(f->NextEntry, 1);
}

TEST_F(GlyphCacheTest, TheSameCharacterTwiceTakesTwoEntriesAndKeepsTheLaterOne) {
  Start(1);
  vexal::FontRecord* f = Font(1);
  const int width = vexal::MeasureFontString("aa", -1, handle_, 0);
  EXPECT_EQ(f->Entries[0].Code, 'a');
  EXPECT_EQ(f->Entries[1].Code, 'a');
  EXPECT_EQ(f->Lookup['a'], 1);
  EXPECT_EQ(width, 2 * f->Entries[1].Cx);
  // Reusing the first entry leaves the later one found.
  const std::vector<uint8_t> chars = KanjiRecords(0x89, f->EntryCount - 1);
  vexal::FontCacheCharAddToHandle(f->EntryCount - 1, chars.data(), handle_);
  EXPECT_EQ(f->Entries[0].Code, Code(chars, f->EntryCount - 2));
  EXPECT_EQ(f->Lookup['a'], 1);
}

TEST_F(GlyphCacheTest, OnlyTheFirst256BytesOfAStringCount) {
  Start(1);
  vexal::FontRecord* f = Font(0);
  const std::string text = std::string(256, 'a') + "bc";
  const int width = vexal::MeasureFontString(text.c_str(), -1, handle_, 0);
  EXPECT_EQ(f->Lookup['b'], -1);
  EXPECT_EQ(width, 256 * f->Entries[0].Cx);
  EXPECT_EQ(f->NextEntry, 256);  // the new characters in one batch, each a new entry
  // A length cuts the string too; vertical strings add heights.
  EXPECT_EQ(vexal::MeasureFontString("aaab", 3, handle_, 0), 3 * f->Entries[0].Cx);
  vexal::FontStringSize size;
  EXPECT_EQ(vexal::FontCacheStringDrawToHandle(0, 0, 0, "aaa", 0, nullptr, nullptr, 0, nullptr, 32, 1, handle_, 0, -1,
                                               1, &size),
            3 * 16);
  EXPECT_EQ(std::pair(size.cx, size.cy), std::pair(f->Entries[0].Cx, 3 * 16));
}

TEST_F(GlyphCacheTest, AStringLargerThanTheCacheAddsABatchThenOneByOne) {
  Start(1);
  vexal::FontRecord* f = Font(0, 300);  // a cell of 300 + 10 pixels: 3 entries
  ASSERT_EQ(f->EntryCount, 3);
  const std::string text = "abcdefg";
  int want = 0;
  for (char c : text) {
    pg::Size s;
    pg::GetTextExtent(f->Font, std::string(1, c), &s);
    want += s.cx;
  }
  EXPECT_EQ(vexal::MeasureFontString(text.c_str(), -1, handle_, 0), want);
  EXPECT_EQ(f->NextEntry, 7 % 3);
  EXPECT_EQ(f->Lookup['g'], 0);
  EXPECT_EQ(f->Lookup['d'], -1);
}

// The cell of a type-0 or type-1 font holds the system's text output of the character at
// (e, e); type 1 adds the edge (1) round every glyph pixel (3) of the glyph's box.
TEST_F(GlyphCacheTest, PlainAndEdgedCellsHoldTheTextOutputAndItsEdge) {
  Start(1);
  for (int type : {0, 1}) {
    vexal::FontRecord* f = Font(type);
    for (const std::string ch : {"W", "g", "\x8a\xbf" /* 漢 */}) {
      Add(ch);
      const vexal::FontCacheEntry& entry = f->Entries[static_cast<size_t>(f->NextEntry - 1)];
      const int e = type;
      std::vector<uint8_t> ref(static_cast<size_t>(f->Cell * f->Cell), 0);
      pg::Dib dib{ref.data(), f->Cell, f->Cell, f->Cell, 8};
      pg::TextOut(f->Font, dib, e, e, ch, pg::TextColors{1, 0, true});
      pg::Size extent;
      pg::GetTextExtent(f->Font, ch, &extent);
      EXPECT_EQ(std::pair(entry.Cx, entry.Cy), std::pair(extent.cx + 2 * e, extent.cy + 2 * e));
      int inked = 0;
      for (int y = 0; y < f->Cell; ++y) {
        for (int x = 0; x < f->Cell; ++x) {
          auto glyph = [&](int gx, int gy) {
            return gx >= 0 && gy >= 0 && gx < f->Cell && gy < f->Cell &&
                   ref[static_cast<size_t>(gy * f->Cell + gx)] != 0;
          };
          int want = glyph(x, y) ? (type == 0 ? 1 : 3) : 0;
          if (type == 1 && want == 0 &&
              ((x > 0 && glyph(x - 1, y)) || glyph(x + 1, y) || (y > 0 && glyph(x, y - 1)) || glyph(x, y + 1))) {
            want = 1;
          }
          inked += want != 0;
          ASSERT_EQ(CacheValue(f, entry.Cell, x, y), want) << "type " << type << " " << ch << " at " << x << "," << y;
        }
      }
      EXPECT_GT(inked, 10) << ch;
    }
  }
}

// Type 2 holds the grey outline's levels as coverage (level x 16 - 1) where the glyph is
// placed; type 3 adds in its second byte the edge: the strongest level of the four
// neighbours, except under pixels the glyph covers fully.
TEST_F(GlyphCacheTest, AntialiasedCellsHoldTheOutlineAndItsGreyEdge) {
  Start(1);
  for (int type : {2, 3}) {
    vexal::FontRecord* f = Font(type);
    for (const std::string ch : {"W", "g", "\x8a\xbf"}) {
      Add(ch);
      const int index = f->Lookup[static_cast<size_t>(static_cast<uint8_t>(ch[0]) |
                                                      (ch.size() > 1 ? static_cast<uint8_t>(ch[1]) << 8 : 0))];
      const vexal::FontCacheEntry& entry = f->Entries[static_cast<size_t>(index)];
      const uint32_t code = ch.size() > 1 ? static_cast<uint8_t>(ch[0]) * 256u + static_cast<uint8_t>(ch[1])
                                          : static_cast<uint8_t>(ch[0]);
      pg::GlyphMetrics gm;
      std::vector<uint8_t> levels(static_cast<size_t>(pg::GetGlyphOutlineGray4(f->Font, code, &gm, {})));
      pg::GetGlyphOutlineGray4(f->Font, code, &gm, levels);
      const int bw = static_cast<int>(gm.black_box_x), bh = static_cast<int>(gm.black_box_y), pitch = (bw + 3) & ~3;
      const int e = type == 3 ? 1 : 0;
      pg::Size extent;
      pg::GetTextExtent(f->Font, ch, &extent);
      const int cx = std::max(extent.cx, bw), cy = std::max(extent.cy, bh);
      EXPECT_EQ(std::pair(entry.Cx, entry.Cy), std::pair(cx + 2 * e, cy + 2 * e)) << ch;
      const int ox = (cx - bw) / 2 + e;
      // A glyph taller than the line still starts e below the cell's top.
      const int oy = std::max(e, std::min(cy - gm.origin_y - e, cy - bh - e));
      auto level = [&](int x, int y) {
        const int i = x - ox, j = y - oy;
        return i >= 0 && j >= 0 && i < bw && j < bh ? levels[static_cast<size_t>(j * pitch + i)] : -1;  // -1: outside
      };
      auto coverage = [](int v) { return v <= 0 ? 0 : v * 16 - 1; };
      for (int y = 0; y < f->Cell; ++y) {
        for (int x = 0; x < f->Cell; ++x) {
          ASSERT_EQ(CacheValue(f, entry.Cell, x, y), coverage(level(x, y))) << type << ch << " " << x << "," << y;
          if (type != 3) continue;
          int edge = 0;
          if (level(x, y) < 16) {
            for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
              edge = std::max(edge, level(x + dx, y + dy));
          }
          ASSERT_EQ(CacheValue(f, entry.Cell, x, y, 1), coverage(edge)) << ch << " edge " << x << "," << y;
        }
      }
    }
  }
}

// Every write stays in the glyph's own cell: a canary over the rest of the bitmap, the
// other column of a two-column cache included, survives characters and their edges.
TEST_F(GlyphCacheTest, AGlyphWritesOnlyIntoItsOwnCell) {
  Start(1);
  for (int type = 0; type <= vexal::kFontTypeMax; ++type) {
    vexal::FontRecord* f = Font(type, type >= 2 ? 6 : 16);
    std::fill(f->CacheBits.begin(), f->CacheBits.end(), uint8_t{0xA5});
    const std::vector<uint8_t> before = f->CacheBits;
    // The first and the last cell; for two columns the last lies in the second.
    f->NextEntry = 0;
    Add("\x81\xa1");  // ■, a full box
    f->NextEntry = f->EntryCount - 1;
    Add("W");
    const int bytes_per_cell_row = (f->Cell * f->CacheBitCount + 7) / 8;
    for (int cell : {0, f->EntryCount - 1}) {
      uint8_t* start = f->CellBits(cell);
      for (int y = 0; y < f->Cell; ++y) {
        uint8_t* row = start + y * f->CachePitch;
        std::fill(row, row + bytes_per_cell_row, uint8_t{0xA5});  // put the canary back in the cell
      }
    }
    EXPECT_TRUE(f->CacheBits == before) << "type " << type;
    if (type >= 2) {
      EXPECT_EQ(f->DibWidth, 2 * f->Cell) << "the small anti-aliased font has two columns";
    }
  }
}

}  // namespace
