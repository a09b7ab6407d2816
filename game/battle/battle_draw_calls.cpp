// The battle's drawing and picture calls: defaults and the table tests replace.
#include "game/battle/battle_draw_calls.h"

#include "game/data/game_data.h"
#include "game/text/bitmap_font.h"
#include "game/text/hand_cursor.h"
#include "game/text/item_info_panel.h"
#include "game/text/message_window.h"
#include "game/text/window_frame.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/color_value.h"

namespace game {
namespace {

void DefaultGraph(int x, int y, int graph, int trans) {
  if (graph != -1) vexal::DrawGraph(x, y, graph, trans);
}
void DefaultBlend(int mode, int param) { vexal::SetBlendModeParam(mode, param); }
void DefaultBright(int r, int g, int b) { vexal::SetDrawBrightness(r, g, b); }
void DefaultFrameBox(int x1, int y1, int x2, int y2, int style) { TheWindowFrame.DrawFrameBox(x1, y1, x2, y2, style); }
void DefaultGlyphs(int x, int y, int width, int lines, std::span<const uint8_t> codes) {
  TheBitmapFont.DrawGlyphCodes(x, y, width, lines, codes);
}
void DefaultText(int x, int y, std::string_view sjis) { TheBitmapFont.DrawSjisText(x, y, sjis); }
void DefaultNumber(int x, int y, int value, int width, int max) {
  TheBitmapFont.DrawNumber(x, y, value, width, max, 0, 0);
}
void DefaultCircle(int x, int y, int r, uint32_t rgb, int fill) {
  vexal::DrawCircle(x, y, r, vexal::MakeColorValue(rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255), fill);
}
void DefaultFillBox(int x1, int y1, int x2, int y2, uint32_t rgb) {
  vexal::DrawFillBox(x1, y1, x2, y2, vexal::MakeColorValue(rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255));
}
void DefaultCopyScreen(int graph) { vexal::CopyScreenToGraph(0, 0, 320, 240, graph, 1); }
void DefaultHand(int x, int y, int still, int blink) { TheHandCursor.DrawHandCursor(x, y, still, blink); }
void DefaultItemInfo(int item) { DrawItemInfo(item); }
void DefaultMessageWindow(std::span<const uint8_t> codes) {
  TheMessageWindow.SetMessageText(codes);
  TheMessageWindow.ShowMessage(1);
}
void DefaultDelete(int graph) { vexal::DeleteGraphHandle(graph, 0); }

BattleDrawCalls current;  // the table in use; null members filled with the defaults

}  // namespace

void SetBattleDrawCalls(BattleDrawCalls calls) {
  if (!calls.graph) calls.graph = DefaultGraph;
  if (!calls.blend) calls.blend = DefaultBlend;
  if (!calls.bright) calls.bright = DefaultBright;
  if (!calls.frame_box) calls.frame_box = DefaultFrameBox;
  if (!calls.glyphs) calls.glyphs = DefaultGlyphs;
  if (!calls.text) calls.text = DefaultText;
  if (!calls.number) calls.number = DefaultNumber;
  if (!calls.circle) calls.circle = DefaultCircle;
  if (!calls.fill_box) calls.fill_box = DefaultFillBox;
  if (!calls.copy_screen) calls.copy_screen = DefaultCopyScreen;
  if (!calls.hand) calls.hand = DefaultHand;
  if (!calls.item_info) calls.item_info = DefaultItemInfo;
  if (!calls.message_window) calls.message_window = DefaultMessageWindow;
  if (!calls.load_div_graph) calls.load_div_graph = GameLoadDivGraph;
  if (!calls.delete_graph) calls.delete_graph = DefaultDelete;
  current = calls;
}

const BattleDrawCalls& BattleDraw() {
  if (!current.graph) SetBattleDrawCalls({});
  return current;
}

}  // namespace game
