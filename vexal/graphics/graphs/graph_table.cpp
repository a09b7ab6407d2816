#include "vexal/graphics/graphs/graph_table.h"

#include <new>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

GraphTableRecord GraphTable;  // the graph handles and their records

namespace {

// Row 1 only when the graph wants it and Direct3D can hold it.
uint8_t RowForNewGraph(int want_3d) {
  const bool direct3d = want_3d != 0 && GraphTable.Direct3DForbidden == 0 && GraphTable.Direct3DAvailable != 0 &&
                        GetNo3DSurfaceFlag() == 0;
  return direct3d ? kD3DRow : kDDrawRow;
}

int FirstFreeIndex() {
  for (int i = 0; i < GraphTable.EndIndex; ++i) {
    if (GraphTable.Slots[i] == nullptr) return i;
  }
  return GraphTable.EndIndex;
}

}  // namespace

void ResetGraphTable() {
  for (auto& slot : GraphTable.Slots) slot.reset();
  GraphTable.Initialised = 0;
  GraphTable.Count = 0;
  GraphTable.EndIndex = 0;
  GraphTable.Direct3DForbidden = 0;
  GraphTable.Direct3DAvailable = 0;
  GraphTable.RestoreHandler = nullptr;
  ResetDrawState();
}

DrawStateBlock* GraphDrawStateBlock() { return &DrawState; }

int AddGraphHandle(uint16_t width, uint16_t height, int want_3d, uint8_t piece_flag, GraphRecord** out_record,
                   uint8_t alpha) {
  if (GetGraphSuspendFlag()) return 0;
  if (GraphTable.Count >= kGraphMax) FatalErrorExit("グラフィックの数が許容量を越えました終了します");
  const int index = FirstFreeIndex();
  std::unique_ptr<GraphRecord> record(new (std::nothrow) GraphRecord());
  if (record == nullptr) FatalErrorExit("メモリの確保に失敗しました");
  record->Width = width;
  record->Height = height;
  record->Link = -1;
  record->PieceFlag = piece_flag;
  GraphTable.Count += 1;
  if (index == GraphTable.EndIndex) GraphTable.EndIndex += 1;
  record->Row = RowForNewGraph(want_3d);
  record->Alpha = alpha;
  GetDrawBackendRow(record->Row).GetGraphColorDesc(&record->ColorFormat, static_cast<int8_t>(alpha));
  if (out_record != nullptr) *out_record = record.get();
  GraphTable.Slots[index] = std::move(record);
  return static_cast<int>(kGraphHandleTag | static_cast<uint32_t>(index));
}

int CreateBlankGraph(int width, int height) {
  // A record holds 16-bit sides; a larger size would silently wrap to another one.
  if (width < 0 || height < 0 || width > UINT16_MAX || height > UINT16_MAX) {
    return LogWriteFmt("グラフィックのサイズが不正です %d x %d", width, height);
  }
  GraphRecord* record = nullptr;
  const int handle = AddGraphHandle(static_cast<uint16_t>(width), static_cast<uint16_t>(height), 1, 0, &record,
                                    static_cast<uint8_t>(DrawState.NewGraphAlpha));
  if (handle == 0) return 0;
  if (GetDrawBackendRow(record->Row).CreateGraphStorage(record) == -1) {
    FatalErrorExit("グラフィックの作成に失敗しました終了します");
  }
  return handle;
}

int DeleteGraphHandle(int handle, int log) {
  if (GetGraphSuspendFlag()) return 0;
  GraphRecord* record = GetGraphRecord(handle);
  if (record == nullptr) return -1;
  const int index = static_cast<int>(static_cast<uint32_t>(handle) & kGraphHandleIndexMask);
  LeaveDrawTargetGraph(handle);
  GetDrawBackendRow(record->Row).DeleteGraphStorage(record);
  if (log != 0) LogWriteFmt("グラフィック %s の削除", record->FileName.c_str());
  GraphTable.Count -= 1;
  if (index == GraphTable.EndIndex - 1) {
    int end = index;
    while (end > 0 && GraphTable.Slots[end - 1] == nullptr) --end;
    GraphTable.EndIndex = end;
  }
  GraphTable.Slots[index].reset();
  return 0;
}

int AllowDirect3DGraphs(int flag) {
  const uint32_t forbidden = flag == 0 ? 1 : 0;
  if (GetDirectDrawObject() == nullptr) SetNoDirect3DFlag(static_cast<int>(forbidden));
  GraphTable.Direct3DForbidden = forbidden;
  return 0;
}

GraphRecord* GetGraphRecord(int handle) {
  const uint32_t bits = static_cast<uint32_t>(handle);
  if ((bits & kGraphHandleTagMask) != kGraphHandleTag) return nullptr;
  const uint32_t index = bits & kGraphHandleIndexMask;
  if (index >= static_cast<uint32_t>(kGraphMax)) return nullptr;
  return GraphTable.Slots[index].get();
}

int GetGraphHandleFromRecord(const GraphRecord* record) {
  if (record == nullptr) return -1;
  for (int i = 0; i < GraphTable.EndIndex; ++i) {
    if (GraphTable.Slots[i].get() == record) return static_cast<int>(kGraphHandleTag | static_cast<uint32_t>(i));
  }
  return -1;
}

int GetGraphDimensions(int handle, int* width, int* height) {
  if (handle == kFrontScreen || handle == kBackScreen) return GetScreenSize(width, height);
  const GraphRecord* record = GetGraphRecord(handle);
  if (record == nullptr) return -1;
  if (width != nullptr) *width = record->Width;
  if (height != nullptr) *height = record->Height;
  return 0;
}

}  // namespace vexal
