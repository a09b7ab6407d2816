// Strings through the Direct3D row: which calls take the texture road, the text texture's
// size, how a string is cut into strips, the textures kept between calls, and the pixels,
// which must be those the software road draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "tests/vexal/d3d/d3d_pixels.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/d3d_string.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using d3dtest::Direct3DTest;
using d3dtest::Screen;
namespace pd = plat::d3d;
namespace ps = plat::surface;

int Count(pd::Call call) {
  int n = 0;
  for (const pd::JournalEntry& e : pd::Journal()) n += e.call == call ? 1 : 0;
  return n;
}

TEST(StringTextureSizeTest, WidthFollowsTheTargetAndHeightTheStringsLength) {
  struct Case {
    int cell, length, target, min, max;
    bool square;
    vexal::StringTextureGeometry want;
  };
  const Case cases[] = {
      {16, 32, 320, 32, 256, false, {256, 32, 16, 2}},    // two strips of 32 bytes fit
      {16, 40, 320, 32, 256, false, {256, 256, 16, 16}},  // longer: a square page
      {16, 40, 200, 32, 256, false, {256, 32, 16, 2}},    // the row already spans the target
      {16, 4, 320, 32, 256, true, {256, 256, 16, 16}},    // square textures only
      {40, 4, 320, 32, 256, false, {256, 64, 6, 1}},      // height grows to the cell
      {300, 4, 320, 32, 256, false, {256, 256, 0, 0}},    // no cell fits a row
  };
  for (const Case& c : cases) {
    const vexal::StringTextureGeometry g =
        vexal::ChooseStringTextureSize(c.cell, c.length, c.target, c.min, c.max, c.square);
    EXPECT_EQ((std::vector<int>{g.texW, g.texH, g.n, g.m}),
              (std::vector<int>{c.want.texW, c.want.texH, c.want.n, c.want.m}))
        << "cell " << c.cell << " length " << c.length;
  }
}

TEST(StringStripTest, StripsKeepDoubleByteCharactersWhole) {
  struct Case {
    std::string text;
    size_t max;
    std::vector<size_t> strips;
  };
  const Case cases[] = {
      {std::string(40, 'a'), 32, {32, 8}},
      {"abc\x82\xa0"
       "d",
       4,
       {3, 3}},  // the lead byte would be the 4th: it starts the next strip
      {"ab\x82\xa0"
       "cd",
       4,
       {4, 2}},             // the pair fills the strip exactly
      {"abc\x82", 8, {4}},  // a lead byte at the end goes alone
      {"\x82\xa0\x82\xa0\x82\xa0", 2, {2, 2, 2}},
  };
  for (const Case& c : cases) {
    std::vector<size_t> got;
    for (size_t pos = 0; pos < c.text.size();) {
      const size_t n = vexal::StringStripBytes(std::string_view(c.text).substr(pos), c.max);
      ASSERT_GT(n, 0u);
      got.push_back(n);
      pos += n;
    }
    EXPECT_EQ(got, c.strips) << c.text;
  }
}

class StringDrawTest : public Direct3DTest {
 protected:
  void SetUp() override {
    Direct3DTest::SetUp();
    Start3D();
    ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
    font_ = vexal::GetDefaultFontHandle();
    white_ = vexal::MakeColorValue(255, 255, 255);
  }
  static void Fill(int id) {
    ps::Surface* s = vexal::GetBackSurface();
    ps::LockedRect l;
    ASSERT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
    const uint32_t v = d3dtest::Compose(l.format, id);
    const int bytes = l.format.bit_count / 8;
    for (int y = 0; y < l.height; ++y) {
      for (int x = 0; x < l.width; ++x)
        std::memcpy(l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * bytes, &v, bytes);
    }
    ps::Unlock(s);
  }
  // Draws through row 1's slot; true when the device drew anything.
  bool DrewThroughDevice(const char* text, int font, int vertical) {
    pd::RecordJournal(true);
    vexal::D3DDrawString(10, 10, text, white_, font, 0, vertical);
    vexal::EndPending3DScene();
    const bool drew = Count(pd::Call::kDrawPrimitive) > 0;
    pd::RecordJournal(false);
    return drew;
  }
  static int CountIds(const std::vector<std::vector<int>>& rows, int id) {
    int n = 0;
    for (const auto& row : rows) {
      for (int v : row) n += v == id ? 1 : 0;
    }
    return n;
  }
  int Cell() const { return vexal::GetFontManageDataToHandle(font_)->Cell; }

  int font_ = -1;
  vexal::ColorValue white_ = 0;
};

TEST_F(StringDrawTest, OnlyBlendedStringsOrThoseOnADirect3DGraphTakeTheDevice) {
  const int smooth = vexal::CreateFontHandle(nullptr, 16, -1, vexal::kFontTypeAntialias, -1);
  ASSERT_GE(smooth, 0);
  // A cell wider than the largest texture leaves no room for a strip.
  const int huge = vexal::CreateFontHandle(nullptr, 250, -1, 0, -1);
  ASSERT_GE(huge, 0);
  vexal::GraphRecord* graph = NewGraph(64, 64);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(graph), 0);
  const int graph_handle = vexal::GetGraphHandleFromRecord(graph);

  struct Case {
    const char* name;
    int mode, param, vertical, font;
    bool unusable, onto_graph, device;
  };
  const Case cases[] = {
      {"no blend", 0, 0, 0, font_, false, false, false},
      {"opaque alpha", 1, 255, 0, font_, false, false, false},
      {"half alpha", 1, 128, 0, font_, false, false, true},
      {"add", 2, 255, 0, font_, false, false, true},
      {"vertical", 1, 128, 1, font_, false, false, false},
      {"other vertical value", 1, 128, 2, font_, false, false, true},
      {"anti-aliased font", 1, 128, 0, smooth, false, false, false},
      {"target the device cannot draw on", 1, 128, 0, font_, true, false, false},
      {"cell beyond the texture", 1, 128, 0, huge, false, false, false},
      {"no blend onto a Direct3D graph", 0, 0, 0, font_, false, true, true},
      {"vertical onto a Direct3D graph", 0, 0, 1, font_, false, true, true},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vexal::SetBlendModeParam(c.mode, c.param), 0);
    vexal::D3DTargetUnusable = c.unusable ? 1 : 0;
    vexal::DrawState.DrawScreen = c.onto_graph ? graph_handle : vexal::kBackScreen;
    EXPECT_EQ(DrewThroughDevice("AB", c.font, c.vertical), c.device) << c.name;
  }
  vexal::DrawState.DrawScreen = vexal::kBackScreen;
  vexal::D3DTargetUnusable = 0;
}

TEST_F(StringDrawTest, ALongStringDrawsInStripsSideBySideAsTheSoftwareRoadDrawsIt) {
  // One byte short of a strip, then a double-byte character that must move to the next.
  const int n = 256 / Cell();
  std::string text(static_cast<size_t>(2 * n - 1), 'W');
  text +=
      "\x82\xa0"
      "Hi! 0123456789 \x88\xa2 abcdefghijklmnopqrstuvwxyz";
  Fill(0);
  ASSERT_EQ(vexal::SetBlendModeParam(0, 0), 0);
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::D3DDrawString(3, 8, text.c_str(), white_, font_, 0, 0), 0);
  EXPECT_EQ(Count(pd::Call::kDrawPrimitive), 0);
  ASSERT_EQ(vexal::SetBlendModeParam(2, 255), 0);
  ASSERT_EQ(vexal::D3DDrawString(3, 100, text.c_str(), white_, font_, 0, 0), 0);
  vexal::EndPending3DScene();
  EXPECT_GE(Count(pd::Call::kDrawPrimitive), 4);

  const std::vector<std::vector<int>> software = Screen(0, 8, 640, Cell());
  EXPECT_GT(CountIds(software, 7), 200);
  EXPECT_EQ(Screen(0, 100, 640, Cell()), software);
  // Nothing above or below the line.
  EXPECT_EQ(CountIds(Screen(0, 100 + Cell(), 640, 20), 0), 640 * 20);
}

// A text texel is the colour with the alpha bit set, the background 0 (transparent, and
// the texture's key). Black text at alpha 128 over white is an even grey, 255 x 127 / 255
// = 127 in every channel (kept to each channel's width), and with the key already off
// the string sends no colour-key state.
TEST_F(StringDrawTest, BlackTextAtHalfAlphaOverWhiteIsAnEvenGrey) {
  Fill(0);
  ASSERT_EQ(vexal::SetBlendModeParam(0, 0), 0);
  ASSERT_EQ(vexal::D3DDrawString(0, 0, "Night", white_, font_, 0, 0), 0);
  const int glyph_pixels = CountIds(Screen(0, 0, 200, Cell()), 7);
  ASSERT_GT(glyph_pixels, 0);
  Fill(7);
  ASSERT_EQ(vexal::SetBlendModeParam(1, 128), 0);
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::D3DDrawString(0, 0, "Night", vexal::MakeColorValue(0, 0, 0), font_, 0, 0), 0);
  vexal::EndPending3DScene();
  for (const pd::JournalEntry& e : pd::Journal()) {
    if (e.call == pd::Call::kSetRenderState) {
      EXPECT_NE(e.a, static_cast<uint32_t>(pd::RenderState::kColorKeyEnable)) << pd::Describe(e);
    }
  }
  pd::RecordJournal(false);
  ps::Surface* back = vexal::GetBackSurface();
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(back, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  auto grey = [](uint32_t mask) {
    const int width = std::popcount(mask), shift = std::countr_zero(mask);
    return (127u >> (8 - width)) << shift;
  };
  const uint32_t colour = l.format.red_mask | l.format.green_mask | l.format.blue_mask;
  const uint32_t want = grey(l.format.red_mask) | grey(l.format.green_mask) | grey(l.format.blue_mask);
  int white = 0, greys = 0;
  for (int y = 0; y < Cell(); ++y) {
    for (int x = 0; x < 200; ++x) {
      const uint32_t p = d3dtest::Read(l, x, y) & colour;
      white += p == colour ? 1 : 0;
      greys += p == want ? 1 : 0;
    }
  }
  ps::Unlock(back);
  EXPECT_EQ(greys, glyph_pixels);
  EXPECT_EQ(white, 200 * Cell() - glyph_pixels);
}

// A string whose pen runs on past the end of the int range: its strips are placed in 64
// bits, far beyond the screen, so nothing lands on it, whichever font and call.
TEST_F(StringDrawTest, AStringWhosePenRunsPastTheEndOfTheIntRangeLandsNowhere) {
  const int edged = vexal::CreateFontHandle(nullptr, 16, -1, vexal::kFontTypeEdge, -1);
  ASSERT_GE(edged, 0);
  const std::string text(40, 'W');  // two strips at least
  ASSERT_EQ(vexal::SetBlendModeParam(1, 128), 0);
  Fill(0);
  pd::RecordJournal(true);
  for (int font : {font_, edged}) {
    EXPECT_EQ(vexal::D3DDrawString(INT_MAX - 5, 10, text.c_str(), white_, font, white_, 0), 0);
    EXPECT_EQ(vexal::DrawStringToHandle(INT_MAX - 5, 40, text.c_str(), white_, font, white_, 0), 0);
  }
  vexal::EndPending3DScene();
  EXPECT_GE(Count(pd::Call::kDrawPrimitive), 8);  // the device's road, strip by strip
  EXPECT_EQ(CountIds(Screen(0, 0, 640, 480), 0), 640 * 480);
}

// Text drawn after a graph drawn with its colour key reads as text drawn first: black
// text at alpha 128 over white keeps every grey pixel of the first drawing, and an edged
// font keeps its black edges. The next keyed graph turns its key on again.
TEST_F(StringDrawTest, TextAfterAKeyedGraphReadsAsTextDrawnFirst) {
  const int edged = vexal::CreateFontHandle(nullptr, 16, -1, vexal::kFontTypeEdge, -1);
  ASSERT_GE(edged, 0);
  vexal::GraphRecord* graph = NewGraph(8, 8);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(graph), 0);
  const uint32_t black = vexal::MakeColorValue(0, 0, 0);
  auto pixels = [] {
    ps::Surface* back = vexal::GetBackSurface();
    ps::LockedRect l;
    std::vector<uint32_t> out;
    EXPECT_EQ(ps::Lock(back, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x) out.push_back(d3dtest::Read(l, x, y));
    ps::Unlock(back);
    return out;
  };
  auto text = [&] {
    Fill(7);
    EXPECT_EQ(vexal::D3DDrawString(0, 0, "Night", black, font_, 0, 0), 0);
    EXPECT_EQ(vexal::D3DDrawString(0, 20, "Night", white_, edged, black, 0), 0);
    vexal::EndPending3DScene();
    return pixels();
  };
  ASSERT_EQ(vexal::SetBlendModeParam(1, 128), 0);
  const std::vector<uint32_t> first = text();
  const uint32_t white_pixel = first[static_cast<size_t>(199)];  // past the text
  // Pixels that are not white: the plain line's grey glyphs, the edged line's black edges.
  auto marked = [&](const std::vector<uint32_t>& p) {
    auto count = [&](size_t from, size_t to) {
      return std::count_if(p.begin() + static_cast<ptrdiff_t>(from), p.begin() + static_cast<ptrdiff_t>(to),
                           [&](uint32_t v) { return v != white_pixel; });
    };
    return std::pair(count(0, 200 * 20), count(200 * 20, p.size()));
  };
  ASSERT_GT(marked(first).first, 0);
  ASSERT_GT(marked(first).second, 0);

  pd::RecordJournal(true);
  ASSERT_EQ(vexal::D3DDrawGraph(250, 200, graph, 1), 0);
  ASSERT_EQ(vexal::D3DColorKeySwitch, 1u);
  const std::vector<uint32_t> after = text();
  EXPECT_EQ(marked(after), marked(first));
  EXPECT_TRUE(after == first);
  ASSERT_EQ(vexal::D3DDrawGraph(250, 200, graph, 1), 0);
  vexal::EndPending3DScene();
  std::vector<uint32_t> key_states;
  for (const pd::JournalEntry& e : pd::Journal()) {
    if (e.call == pd::Call::kSetRenderState && e.a == static_cast<uint32_t>(pd::RenderState::kColorKeyEnable)) {
      key_states.push_back(e.b);
    }
  }
  pd::RecordJournal(false);
  EXPECT_EQ(key_states, (std::vector<uint32_t>{1, 0, 1}));
}

TEST_F(StringDrawTest, TextTexturesAreKeptUntilAStringNeedsAnotherSize) {
  ASSERT_EQ(vexal::SetBlendModeParam(1, 128), 0);
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::D3DDrawString(0, 0, "", white_, font_, 0, 0), 0);
  EXPECT_EQ(Count(pd::Call::kCreateTexture), 2);
  EXPECT_EQ(Count(pd::Call::kDrawPrimitive), 0);
  ps::Surface* draw = vexal::D3DStringTextures[1];
  ASSERT_NE(draw, nullptr);
  EXPECT_EQ(pd::GetTexture(Current().Device, 0), draw);

  ASSERT_EQ(vexal::D3DDrawString(0, 0, "same", white_, font_, 0, 0), 0);
  EXPECT_EQ(Count(pd::Call::kCreateTexture), 2);
  // More than two strips' worth on a target wider than the texture: a square page.
  ASSERT_EQ(vexal::D3DDrawString(0, 0, std::string(100, 'x').c_str(), white_, font_, 0, 0), 0);
  EXPECT_EQ(Count(pd::Call::kCreateTexture), 4);
  EXPECT_EQ(ps::GetSurfaceInfo(vexal::D3DStringTextures[1]).height, 256);
  vexal::EndPending3DScene();
}

}  // namespace
