// The scene protocol, the render target and viewport, and the fixed-function setters.
#include "vexal/d3d/d3d_draw_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using d3dtest::Direct3DTest;
namespace pd = plat::d3d;
namespace ps = plat::surface;

int Count(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<int>(
      std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
}

// One draw as every row-1 draw frames it.
void Draw() {
  vexal::BeginPending3DScene();
  vexal::EndSceneAfterDraw();
}

TEST_F(Direct3DTest, BackScreenDrawsShareOneSceneAndFrontScreenDrawsCloseTheirs) {
  Start3D();
  ASSERT_EQ(vexal::D3DSetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::D3DTargetIsFront, 0);
  pd::RecordJournal(true);
  Draw();
  Draw();
  std::vector<std::string> lines = d3dtest::JournalLines();
  EXPECT_EQ(Count(lines, "BeginScene"), 1);
  EXPECT_EQ(Count(lines, "EndScene"), 0);
  EXPECT_EQ(Count(lines, "SetTextureStageState(0, kColorOp"), 1);  // the states re-sent once
  EXPECT_EQ(Current().SceneOpen, 1u);
  vexal::EndPending3DScene();
  EXPECT_EQ(Count(d3dtest::JournalLines(), "EndScene"), 1);

  ASSERT_EQ(vexal::D3DSetDrawTarget(vexal::kFrontScreen), 0);
  EXPECT_EQ(vexal::D3DTargetIsFront, 1);
  EXPECT_EQ(pd::GetRenderTarget(Current().Device), vexal::GetPrimarySurface());
  pd::RecordJournal(true);
  Draw();
  Draw();
  lines = d3dtest::JournalLines();
  EXPECT_EQ(Count(lines, "BeginScene"), 2);
  EXPECT_EQ(Count(lines, "EndScene"), 2);
  EXPECT_EQ(Count(lines, "SetTextureStageState(0, kColorOp"), 2);
  EXPECT_EQ(Current().SceneOpen, 0u);
}

TEST_F(Direct3DTest, TargetsTheDeviceCannotDrawOnAreRefused) {
  Start3D();
  // A graph of row 0 kept in system memory.
  vexal::GraphRecord* row0 = nullptr;
  vexal::GraphTable.Direct3DForbidden = 1;
  const int handle = vexal::AddGraphHandle(16, 16, 0, 0, &row0, 0);
  vexal::GraphTable.Direct3DForbidden = 0;
  ASSERT_EQ(vexal::GetDrawBackendRow(0).CreateGraphStorage(row0), 0);
  vexal::BmpDataRecord* piece = vexal::GetBmpData(static_cast<int>(row0->Pieces[0]));
  ASSERT_NE(piece, nullptr);
  piece->InVideoMemory = 0;
  EXPECT_EQ(vexal::D3DSetDrawTarget(handle), -1);
  EXPECT_EQ(vexal::D3DTargetUnusable, 1);
  // The draw area is left alone meanwhile.
  const pd::Viewport before = pd::GetViewport(Current().Device);
  const vexal::Rect area{1, 2, 3, 4};
  EXPECT_EQ(vexal::D3DSetDrawArea(&area), 0);
  EXPECT_EQ(pd::GetViewport(Current().Device), before);
  EXPECT_EQ(vexal::D3DSetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::D3DTargetUnusable, 0);

  // A graph of row 1 is no target either: flags unchanged, the creation surface bound.
  vexal::GraphRecord* row1 = NewGraph(16, 16);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(row1), 0);
  const int row1_handle = vexal::GetGraphHandleFromRecord(row1);
  EXPECT_EQ(vexal::D3DSetDrawTarget(row1_handle), -1);
  EXPECT_EQ(vexal::D3DTargetIsFront, 0);
  EXPECT_EQ(vexal::D3DTargetUnusable, 0);
  EXPECT_EQ(pd::GetRenderTarget(Current().Device), Current().CreationSurface);
  EXPECT_EQ(pd::GetTexture(Current().Device, 0), nullptr);
}

TEST_F(Direct3DTest, MaskedDrawingGoesToTheMaskSurfaceOnlyWhileOneExists) {
  Start3D();
  vexal::DeleteMaskBuffer();
  ASSERT_EQ(vexal::GetMaskSurface(), nullptr);
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::D3DSyncDrawTarget(1), 0);
  EXPECT_EQ(pd::GetRenderTarget(Current().Device), vexal::GetBackSurface());
  ASSERT_EQ(vexal::CreateMaskSurface(1, 1), 0);
  ASSERT_NE(vexal::GetMaskSurface(), nullptr);
  EXPECT_EQ(vexal::D3DSyncDrawTarget(1), 0);
  EXPECT_EQ(pd::GetRenderTarget(Current().Device), vexal::GetMaskSurface());
  EXPECT_EQ(vexal::D3DSyncDrawTarget(0), 0);
  EXPECT_EQ(pd::GetRenderTarget(Current().Device), vexal::GetBackSurface());
}

TEST_F(Direct3DTest, TheViewportCarriesTheTargetOriginUnlessTheMaskIsDrawnForTheFront) {
  Start3D();
  vexal::DrawState.TargetRect = {100, 50, 420, 290};
  const vexal::Rect area{0, 0, 320, 240};
  ASSERT_EQ(vexal::D3DSetDrawArea(&area), 0);
  EXPECT_EQ(pd::GetViewport(Current().Device), (pd::Viewport{100, 50, 320, 240, 0.0f, 1.0f}));

  // The front screen in a window, drawn through the screen-sized mask: the mask has no
  // desktop around it, so the viewport goes without the origin; unmasked it comes back.
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kFrontScreen), 0);
  ASSERT_EQ(vexal::IsDrawingToFront(), 1);
  ASSERT_EQ(vexal::CreateMaskSurface(1, 1), 0);
  vexal::DrawState.TargetRect = {100, 50, 420, 290};
  vexal::DrawState.DrawArea = {10, 20, 110, 220};
  vexal::D3DTargetUnusable = 1;
  EXPECT_EQ(vexal::D3DSyncDrawTarget(1), 0);
  EXPECT_EQ(vexal::D3DTargetUnusable, 0);
  EXPECT_EQ(pd::GetRenderTarget(Current().Device), vexal::GetMaskSurface());
  EXPECT_EQ(pd::GetViewport(Current().Device), (pd::Viewport{10, 20, 100, 200, 0.0f, 1.0f}));
  EXPECT_EQ(vexal::D3DSyncDrawTarget(0), 0);
  EXPECT_EQ(pd::GetRenderTarget(Current().Device), vexal::GetPrimarySurface());
  EXPECT_EQ(pd::GetViewport(Current().Device), (pd::Viewport{110, 70, 100, 200, 0.0f, 1.0f}));

  // A viewport the device refuses ends the program with its message: here the target is
  // smaller.
  const vexal::Rect huge{0, 0, 5000, 5000};
  EXPECT_EXIT(vexal::D3DSetDrawArea(&huge), ::testing::ExitedWithCode(255), "");
  EXPECT_EQ(LinesWith("ビューポートのセットに失敗しました").size(), 1u);
}

TEST_F(Direct3DTest, FixedFunctionSettersReachTheDeviceAndReportItsRefusals) {
  Start3D();
  pd::Device* d = Current().Device;
  const vexal::D3DCullModeArgs on{5}, off{0};
  EXPECT_EQ(vexal::D3DSetCullMode(&on), 0);
  EXPECT_EQ(pd::GetRenderState(d, pd::RenderState::kCullMode), pd::kCullCcw);
  EXPECT_EQ(vexal::D3DSetCullMode(&off), 0);
  EXPECT_EQ(pd::GetRenderState(d, pd::RenderState::kCullMode), pd::kCullNone);
  const vexal::D3DAmbientArgs ambient{0x00112233};
  EXPECT_EQ(vexal::D3DSetAmbientLight(&ambient), 0);
  EXPECT_EQ(pd::GetRenderState(d, pd::RenderState::kAmbient), 0x00112233u);
  pd::Matrix m;
  m.m[0] = 2.0f;
  EXPECT_EQ(vexal::D3DSetViewTransform(&m), 0);
  EXPECT_EQ(pd::GetTransform(d, pd::TransformState::kView), m);
  pd::Light light;
  light.range = 9.0f;
  const vexal::D3DLightArgs set{3, &light};
  const vexal::D3DLightEnableArgs enable{3, 1}, missing{4, 1};
  EXPECT_EQ(vexal::D3DSetLight(&set), 0);
  EXPECT_EQ(vexal::D3DEnableLight(&enable), 0);
  EXPECT_EQ(vexal::D3DEnableLight(&missing), -1);  // no light was set there
  pd::InjectFailure(pd::Call::kSetMaterial, pd::Result::kInvalidParams);
  const pd::Material material;
  EXPECT_EQ(vexal::D3DSetMaterial(&material), -1);
  EXPECT_EQ(vexal::D3DSetMaterial(&material), 0);
  vexal::EndDirect3D();
  EXPECT_EQ(vexal::D3DSetCullMode(&on), -1);
  EXPECT_EQ(vexal::D3DSetDrawMode(1), -1);
  EXPECT_EQ(vexal::D3DSetBlendMode(1, 1), 0);
  EXPECT_EQ(vexal::D3DSetDrawTarget(vexal::kBackScreen), 0);
}

}  // namespace
