#include "vexal/graphics/graphs/graph_manage.h"

#include "vexal/app/log/log_file.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/graph_restore.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/wait_active.h"

namespace vexal {
namespace {

void DeleteEveryGraph(int log) {
  for (int i = 0; i < GraphTable.EndIndex; ++i) {
    if (GraphTable.Slots[i] == nullptr) continue;
    DeleteGraphHandle(static_cast<int>(kGraphHandleTag | static_cast<uint32_t>(i)), log);
  }
}

}  // namespace

int InitGraphManage() {
  if (GraphTable.Initialised != 0) return 0;
  LogWrite("グラフィック管理系の初期化を行います\n");
  LogIndentIn();
  // The game's Direct3D choice made before start-up lives on in the device's flag.
  const auto handler = GraphTable.RestoreHandler;
  ResetGraphTable();
  GraphTable.RestoreHandler = handler;
  GraphTable.Initialised = 1;

  GetDrawBackendRow(kDDrawRow).SetDrawStateBlock(GraphDrawStateBlock());
  GraphTable.Direct3DAvailable = GetDrawBackendRow(kD3DRow).SetDrawStateBlock(GraphDrawStateBlock()) != -1 ? 1 : 0;
  if (GraphTable.Direct3DAvailable != 0) {
    LogWrite("３Ｄグラフィック描画機能を使用します\n");
  } else {
    LogWrite("３Ｄグラフィック描画機能は使用しません\n");
    // Direct3D was wanted but did not come: the screen is made again without 3-D
    // capabilities (this runs once more inside), and the software drawers blend coarsely.
    if (GetNo3DSurfaceFlag() == 0 && GetNoDirect3DFlag() == 0) {
      SetUse3DSurfaces(0);
      SetDrawOptionFlag(1);
    }
  }
  SetTextureBitDepth(GetScreenColorBits());

  SetMaskTargetFlag(1);
  SetDrawTarget(kFrontScreen);
  int w = 0, h = 0;
  GetGraphDimensions(GetDrawTarget(), &w, &h);
  SetDrawClipArea(0, 0, w, h);
  InitFontManage();
  LogIndentOut();
  LogWrite("グラフィック管理系の初期化は正常に終了しました\n");
  return 0;
}

int EndGraphManage() {
  if (GraphTable.Initialised == 0) return 0;
  WaitActiveAndRestore();
  if (GetMaskTargetFlag() != 0) SetMaskTargetFlag(0);
  EndMaskManage();
  if (GetGraphSuspendFlag() == 0) DeleteEveryGraph(0);
  InitFontManage();
  DeleteFontHandle(GetDefaultFontHandle());
  GraphTable.Initialised = 0;
  LogWrite("グラフィック管理系の終了処理は正常に終了しました\n");
  return 0;
}

int DeleteAllGraph(int log) {
  if (GraphTable.Initialised == 0 || GetGraphSuspendFlag() != 0) return 0;
  DeleteEveryGraph(log);
  return 0;
}

int SetGraphRestoreHandler(GraphRestoreHandler handler) {
  GraphTable.RestoreHandler = handler != nullptr ? handler : RestoreGraphFromFiles;
  return 0;
}

int IsGraphRestoreHandlerSet() { return GraphTable.RestoreHandler != nullptr ? 1 : 0; }

}  // namespace vexal
