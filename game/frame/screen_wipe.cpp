// The mask wipe.
#include "game/frame/screen_wipe.h"

#include <string>

#include "game/frame/frame_loop.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/mask/mask_data.h"
#include "vexal/graphics/screen/screen_present.h"

namespace game {

ScreenWipe TheScreenWipe;  // played by warps, loads and the title's new game

namespace {

constexpr int kCatchColumns = 2;
constexpr int kCatchRows = 2;
constexpr int kBlendOff = 0;

}  // namespace

ScreenWipe::ScreenWipe() {
  stages_.fill(-1);
  catch_.fill(-1);
}

void ScreenWipe::LoadScreenWipe() {
  vexal::CreateMaskBuffer();
  for (int i = 0; i < kWipeStages; ++i) {
    const std::string file = kWipeStageFilePrefix + std::to_string(i) + kWipeStageFileSuffix;
    stages_[i] = vexal::LoadMaskData(file.c_str());
  }
  if (vexal::LoadDivGraph(kCatchFile, kCatchQuarters, kCatchColumns, kCatchRows, kCatchQuarterWidth,
                          kCatchQuarterHeight, catch_.data()) != 0) {
    catch_.fill(-1);
  }
  break_counter_ = 0;
  after_wipe_ = 0;
  vexal::SetMaskTargetFlag(0);
}

void ScreenWipe::DrawCatch() const {
  vexal::DrawGraph(0, 0, catch_[0], 1);
  vexal::DrawGraph(kCatchQuarterWidth, 0, catch_[1], 1);
  vexal::DrawGraph(0, kCatchQuarterHeight, catch_[2], 1);
  vexal::DrawGraph(kCatchQuarterWidth, kCatchQuarterHeight, catch_[3], 1);
}

void ScreenWipe::PlayScreenWipe() {
  vexal::SetMaskTargetFlag(1);
  vexal::SetBlendModeParam(kBlendOff, 0);
  vexal::CopyScreenToGraph(0, 0, kGameScreenWidth, kGameScreenHeight, ScreenCopyGraph, 1);
  // Each frame the mask is full while the old picture goes down, then the stage is
  // stamped over it and decides where the catch picture shows.
  bool ended = false;
  for (int stage = kWipeStages - 1; stage >= 0 && !ended; --stage) {
    vexal::DrawGraph(0, 0, ScreenCopyGraph, 0);
    vexal::PutMaskData(0, 0, stages_[stage], vexal::kPutMaskAll);
    DrawCatch();
    vexal::FillMaskBuffer(1);
    ended = ModalFrameEnds();
    if (!ended) vexal::PresentScreen();
  }
  after_wipe_ = kAfterWipeCount;
  vexal::FillMaskBuffer(0);
  vexal::SetMaskTargetFlag(0);
  if (ended) return;
  DrawCatch();
  if (!ModalFrameEnds()) vexal::PresentScreen();
}

}  // namespace game
