// The message box and the pop-up.
#include "game/text/message_window.h"

#include <algorithm>

#include "game/frame/frame_loop.h"
#include "game/input/key_cast.h"
#include "game/text/bitmap_font.h"
#include "game/text/window_frame.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/screen/screen_present.h"

namespace game {

MessageWindow TheMessageWindow;  // the field's and the scripts' messages

namespace {

MessageWindowHooks hooks;  // portraits and field, drawn by their owners

constexpr int kBlendOff = 0;
constexpr int kBlendAlpha = 1;

void CopyScreen() { vexal::CopyScreenToGraph(0, 0, kGameScreenWidth, kGameScreenHeight, ScreenCopyGraph, 1); }

bool Answered() { return KeyInput.IsButtonPressed(kButtonDecide) || KeyInput.IsButtonPressed(kButtonCancel); }

}  // namespace

void SetMessageWindowHooks(MessageWindowHooks h) { hooks = h; }

MessageWindow::MessageWindow() = default;

void MessageWindow::SetMessageText(std::span<const uint8_t> codes) {
  size_t n = std::find(codes.begin(), codes.end(), kGlyphEnd) - codes.begin();
  n = std::min(n, text_.size() - 1);
  std::copy_n(codes.begin(), n, text_.begin());
  text_[n] = kGlyphEnd;
}

void MessageWindow::DrawMessage(int text_y, int more_frame) const {
  TheWindowFrame.DrawFrameBoxSize(kMessageBoxX, kMessageBoxY, kMessageBoxW, kMessageBoxH, 0);
  if (hooks.draw_portraits != nullptr) hooks.draw_portraits();
  vexal::SetBlendModeParam(kBlendAlpha, kMessageBoxOverBlend);
  TheWindowFrame.DrawFrameBoxSize(kMessageBoxX, kMessageBoxY, kMessageBoxW, kMessageBoxH, 0);
  TheBitmapFont.DrawGlyphCodes(kMessageTextX, text_y, kMessageTextWidth, kMessageTextLines, text_);
  vexal::SetBlendModeParam(kBlendOff, 0);
  if (more_frame >= 0) {
    const uint8_t mark[2] = {kMoreMarkGlyphs[(more_frame / kMoreMarkFrames) % 2], kGlyphEnd};
    TheBitmapFont.DrawGlyphCodes(kMoreMarkX, kMoreMarkY, 1, 1, mark);
  }
}

void MessageWindow::ShowMessage(int inline_) {
  if (inline_ != 0) {
    DrawMessage(kMessageTextY, -1);
    return;
  }
  RunModalMessage();
  if (hooks.redraw_field != nullptr) hooks.redraw_field();
}

void MessageWindow::RunModalMessage() const {
  CopyScreen();
  for (int k = kMessageSlideFrames; k >= 1; --k) {
    vexal::DrawGraph(0, 0, ScreenCopyGraph, 0);
    DrawMessage(kMessageTextY + k * 3 / 2, -1);  // 1.5 k, truncated
    if (ModalFrameEnds()) return;
    vexal::PresentScreen();
  }
  KeyInput.ClearKeyCast();
  for (int frame = 0;; ++frame) {
    vexal::DrawGraph(0, 0, ScreenCopyGraph, 0);
    DrawMessage(kMessageTextY, frame);
    if (ModalFrameEnds()) return;
    vexal::PresentScreen();
    if (Answered()) return;
  }
}

void MessageWindow::ShowPopup(std::string_view text) {
  CopyScreen();
  KeyInput.ClearKeyCast();
  for (int f = 0;; f = (f + 1) % kPopupBlinkPeriod) {
    vexal::DrawGraph(0, 0, ScreenCopyGraph, 0);
    TheWindowFrame.DrawFrameBox(kPopupX1, kPopupY1, kPopupX2, kPopupY2, f < kPopupStyle0Frames ? 0 : 1);
    TheBitmapFont.DrawSjisText(kPopupTextX, kPopupTextY, text);
    if (ModalFrameEnds()) break;
    vexal::PresentScreen();
    if (Answered()) break;
  }
  vexal::DrawGraph(0, 0, ScreenCopyGraph, 0);
}

}  // namespace game
