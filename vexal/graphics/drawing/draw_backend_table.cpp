#include "vexal/graphics/drawing/draw_backend_table.h"

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/mask/mask.h"

namespace vexal {
namespace {

const DrawBackendRows* ActiveRows = &DrawBackendTable;  // the table in use; a test may swap it

// Calls a slot with a zero or null value for each argument.
template <class... Args>
std::function<int()> ZeroCall(int (*slot)(Args...)) {
  return [slot] { return slot(Args{}...); };
}

}  // namespace

const DrawBackendRows DrawBackendTable = {{
    {
        DDrawSetDrawStateBlock,          // 0
        DDrawCreateGraphStorage,         // 1
        DDrawCreateDivGraphStorage,      // 2
        DDrawCreateDerivedGraphStorage,  // 3
        DDrawDeleteGraphStorage,         // 4
        DDrawSetGraphImage,              // 5
        DDrawBltBmpToDivGraph,           // 6
        DDrawRestoreLostSurfaces,        // 7
        DDrawRestoreAllLostGraphs,       // 8
        BackendNoOp,                     // 9
        BackendNoOp,                     // 10
        BackendNoOp,                     // 11
        BackendNoOp,                     // 12
        DDrawDrawGraph,                  // 13
        G_DDraw_DrawExtendGraph,         // 14
        G_DDraw_DrawRotaGraph,           // 15
        G_DDraw_DrawModiGraph,           // 16
        G_DDraw_DrawModiGraphFloat,      // 17
        G_DDraw_DrawChipMap,             // 18
        G_DDraw_DrawPrimitive,           // 19
        BackendNoOp,                     // 20
        BackendNoOp,                     // 21
        BackendNoOp,                     // 22
        DDrawCopyScreenToGraph,          // 23
        DDrawSetDrawTarget,              // 24
        DDrawGetGraphColorDesc,          // 25
        DDrawClearDrawTarget,            // 26
        G_DDraw_DrawFillBox,             // 27
        G_DDraw_DrawLine,                // 28
        G_DDraw_DrawBoxOutline,          // 29
        G_DDraw_DrawCircle,              // 30
        G_DDraw_DrawOval,                // 31
        G_DDraw_DrawTriangle,            // 32
        G_DDraw_DestPixel,               // 33
        G_DDraw_DrawPixel,               // 34
        G_DDraw_DrawLineSet,             // 35
        DDrawStringByWorkDC,             // 36
        BackendNoOp,                     // 37
        DDrawMaskPreDraw,                // 38
        DDrawMaskPostDraw,               // 39
        BackendNoOp,                     // 40
        BackendNoOp,                     // 41
        BackendNoOp,                     // 42
        BackendNoOp,                     // 43
        BackendNoOp,                     // 44
        BackendNoOp,                     // 45
        BackendNoOp,                     // 46
        BackendNoOp,                     // 47
    },
    {
        D3DSetDrawStateBlock,          // 0
        D3DCreateGraphStorage,         // 1
        D3DCreateDivGraphStorage,      // 2
        D3DCreateDerivedGraphStorage,  // 3
        D3DDeleteGraphStorage,         // 4
        D3DSetGraphImage,              // 5
        D3DBltBmpToDivGraph,           // 6
        D3DRestoreLostSurfaces,        // 7
        D3DRestoreAllLostGraphs,       // 8
        D3DSetDrawMode,                // 9
        D3DSetBlendMode,               // 10
        BackendNoOp,                   // 11
        D3DSetDrawArea,                // 12
        D3DDrawGraph,                  // 13
        G_D3D_DrawExtendGraph,         // 14
        G_D3D_DrawRotaGraph,           // 15
        G_D3D_DrawModiGraph,           // 16
        G_D3D_DrawModiGraphFloat,      // 17
        G_D3D_DrawChipMap,             // 18
        G_D3D_DrawPrimitive,           // 19
        G_D3D_DrawIndexedPrimitive,    // 20
        G_D3D_DrawPrimitive3D,         // 21
        G_D3D_DrawIndexedPrimitive3D,  // 22
        D3DCopyScreenToGraph,          // 23
        D3DSetDrawTarget,              // 24
        D3DGetGraphColorDesc,          // 25
        D3DClearDrawTarget,            // 26
        G_D3D_DrawFillBox,             // 27
        G_D3D_DrawLine,                // 28
        G_D3D_DrawBoxOutline,          // 29
        G_D3D_DrawCircle,              // 30
        G_D3D_DrawOval,                // 31
        G_D3D_DrawTriangle,            // 32
        G_D3D_DestPixel,               // 33
        G_D3D_DrawPixel,               // 34
        G_D3D_DrawLineSet,             // 35
        D3DDrawString,                 // 36
        D3DSyncDrawTarget,             // 37
        BackendNoOp,                   // 38
        BackendNoOp,                   // 39
        D3DSetWorldTransform,          // 40
        D3DSetViewTransform,           // 41
        D3DSetProjectionTransform,     // 42
        D3DSetLight,                   // 43
        D3DEnableLight,                // 44
        D3DSetMaterial,                // 45
        D3DSetCullMode,                // 46
        D3DSetAmbientLight,            // 47
    },
}};

const DrawBackendRow& GetDrawBackendRow(int row) { return (*ActiveRows)[row == kD3DRow ? kD3DRow : kDDrawRow]; }

std::array<std::function<int()>, kDrawBackendSlotCount> DrawBackendSlotCalls(const DrawBackendRow& row) {
  return {
      ZeroCall(row.SetDrawStateBlock),          // 0
      ZeroCall(row.CreateGraphStorage),         // 1
      ZeroCall(row.CreateDivGraphStorage),      // 2
      ZeroCall(row.CreateDerivedGraphStorage),  // 3
      ZeroCall(row.DeleteGraphStorage),         // 4
      ZeroCall(row.SetGraphImage),              // 5
      ZeroCall(row.BltBmpToDivGraph),           // 6
      ZeroCall(row.RestoreLostSurfaces),        // 7
      ZeroCall(row.RestoreAllLostGraphs),       // 8
      ZeroCall(row.SetDrawMode),                // 9
      ZeroCall(row.SetBlendMode),               // 10
      ZeroCall(row.SetDrawBright),              // 11
      ZeroCall(row.SetDrawArea),                // 12
      ZeroCall(row.DrawGraph),                  // 13
      ZeroCall(row.DrawExtendGraph),            // 14
      ZeroCall(row.DrawRotaGraph),              // 15
      ZeroCall(row.DrawModiGraph),              // 16
      ZeroCall(row.DrawModiGraphFloat),         // 17
      ZeroCall(row.DrawChipMap),                // 18
      ZeroCall(row.DrawPrimitive),              // 19
      ZeroCall(row.DrawIndexedPrimitive),       // 20
      ZeroCall(row.DrawPrimitive3D),            // 21
      ZeroCall(row.DrawIndexedPrimitive3D),     // 22
      ZeroCall(row.CopyScreenToGraph),          // 23
      ZeroCall(row.SetDrawTarget),              // 24
      ZeroCall(row.GetGraphColorDesc),          // 25
      ZeroCall(row.ClearDrawTarget),            // 26
      ZeroCall(row.DrawFillBox),                // 27
      ZeroCall(row.DrawLine),                   // 28
      ZeroCall(row.DrawBoxOutline),             // 29
      ZeroCall(row.DrawCircle),                 // 30
      ZeroCall(row.DrawOval),                   // 31
      ZeroCall(row.DrawTriangle),               // 32
      ZeroCall(row.DestPixel),                  // 33
      ZeroCall(row.DrawPixelSet),               // 34
      ZeroCall(row.DrawLineSet),                // 35
      ZeroCall(row.DrawString),                 // 36
      ZeroCall(row.SyncDrawTarget),             // 37
      ZeroCall(row.MaskPreDraw),                // 38
      ZeroCall(row.MaskPostDraw),               // 39
      ZeroCall(row.SetWorldTransform),          // 40
      ZeroCall(row.SetViewTransform),           // 41
      ZeroCall(row.SetProjectionTransform),     // 42
      ZeroCall(row.SetLight),                   // 43
      ZeroCall(row.EnableLight),                // 44
      ZeroCall(row.SetMaterial),                // 45
      ZeroCall(row.SetCullMode),                // 46
      ZeroCall(row.SetLighting),                // 47
  };
}

void SetDrawBackendTableForTests(const DrawBackendRows* rows) {
  ActiveRows = rows != nullptr ? rows : &DrawBackendTable;
}

}  // namespace vexal
