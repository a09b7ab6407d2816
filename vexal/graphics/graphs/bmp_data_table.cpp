#include "vexal/graphics/graphs/bmp_data_table.h"

#include <new>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_surface.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/surface_table.h"

namespace vexal {

BmpDataTableRecord BmpDataTable;  // every BMP data record

namespace {

namespace ps = plat::surface;

constexpr int kWorkScreen = -3;  // the first work surface, for the unlock only

bool InTable(int index) { return index >= 0 && static_cast<size_t>(index) < BmpDataTable.Slots.size(); }

int FirstFreeIndex() {
  for (int i = 0; i < BmpDataTable.EndIndex; ++i) {
    if (BmpDataTable.Slots[i] == nullptr) return i;
  }
  return BmpDataTable.EndIndex;
}

void FreeSlot(int index) {
  if (BmpDataTable.Allocated[index]) delete BmpDataTable.Slots[index];
  BmpDataTable.Allocated[index] = false;
  BmpDataTable.Slots[index] = nullptr;
}

}  // namespace

int AddBmpData(int width, int height, uint16_t graph_x, uint16_t graph_y, uint32_t owner_graph, int share,
               const BmpDataRecord* parent, int x, int y, uint8_t mask_flag) {
  if (GetDirectDrawObject() == nullptr) return LogWrite("Ｖｅｘａｌライブラリが初期化されていません\n");
  if (BmpDataTable.Count >= kBmpDataMax) return LogWrite("２Ｄグラフィックの量が許容量を越えました\n");
  const int index = FirstFreeIndex();
  if (!InTable(index)) return LogWrite("２Ｄグラフィックの量が許容量を越えました\n");
  BmpDataRecord* record = new (std::nothrow) BmpDataRecord();
  if (record == nullptr) return LogWrite("メモリの確保に失敗しました in AddBmpData \n");
  BmpDataTable.Slots[index] = record;
  BmpDataTable.Allocated[index] = true;

  int entry = -1;
  int set_up = -1;
  if (share) {
    if (parent != nullptr) {
      entry = parent->SurfaceEntry;
      AddSurfaceRef(entry);
      set_up = CreateBmpDataSurface(width, height, graph_x, graph_y, owner_graph, 0, GetScreenColorBits(), mask_flag,
                                    record, DDrawState.Object, 1, parent, x, y);
    }
  } else {
    entry = AddSurfaceManage(1, 0, width, height);
    if (entry == -1) {
      FreeSlot(index);
      return -1;
    }
    set_up = CreateBmpDataSurface(width, height, graph_x, graph_y, owner_graph, GetTransColorValue(),
                                  GetScreenColorBits(), mask_flag, record, DDrawState.Object, 0, nullptr, x, y);
    if (set_up == 0) GetSurfaceManage(entry)->Surface = record->Surface;
  }
  if (set_up != 0) {
    if (share) {
      ReleaseSurfaceRef(entry);
    } else {
      DeleteSurfaceManage(entry);
    }
    FreeSlot(index);
    FatalErrorExit("ＢＭＰデータの初期化中にエラーが発生しました");
  }
  record->SurfaceEntry = entry;
  BmpDataTable.Count += 1;
  if (index == BmpDataTable.EndIndex) BmpDataTable.EndIndex += 1;
  return index;
}

int DeleteBmpData(int index) {
  // A failed text cache hands over -1: an index outside the table holds nothing.
  if (!InTable(index) || BmpDataTable.Slots[index] == nullptr || GetGraphSuspendFlag() != 0) return 0;
  BmpDataRecord* record = BmpDataTable.Slots[index];
  if (ReleaseSurfaceRef(record->SurfaceEntry) == 0) {
    SurfaceManageRecord* entry = GetSurfaceManage(record->SurfaceEntry);
    ps::Surface* surface = entry != nullptr && entry->Surface != nullptr ? entry->Surface : record->Surface;
    DeleteSurfaceManage(record->SurfaceEntry);
    if (surface != nullptr) ps::ReleaseSurface(surface);
    if (record->OwnsAlphaPlane) record->AlphaPlane.reset();
  }
  record->Surface = nullptr;
  BmpDataTable.Count -= 1;
  if (index == BmpDataTable.EndIndex - 1) {
    int end = index;
    while (end > 0 && BmpDataTable.Slots[end - 1] == nullptr) --end;
    BmpDataTable.EndIndex = end;
  }
  FreeSlot(index);
  return 0;
}

int DeleteAllBmpData() {
  const int end = BmpDataTable.EndIndex;
  for (int i = 0; i < end; ++i) {
    if (BmpDataTable.Allocated[i]) DeleteBmpData(i);
  }
  return 0;
}

BmpDataRecord* GetBmpData(int index) { return InTable(index) ? BmpDataTable.Slots[index] : nullptr; }

int UnlockGraphSurface(int screen) {
  ps::Surface* surface = nullptr;
  uint8_t* mark = nullptr;
  switch (screen) {
    case kFrontScreen:
      surface = DDrawState.Primary;
      mark = &DDrawState.PrimaryLocked;
      break;
    case kWorkScreen:
      surface = DDrawState.Work1;
      mark = &DDrawState.Work1Locked;
      break;
    case kBackScreen:
      surface = DDrawState.Back;
      mark = &DDrawState.BackLocked;
      break;
    default: {
      const GraphRecord* graph = GetGraphRecord(screen);
      if (graph == nullptr) return 0;
      if (graph->Row != 0) return -1;
      BmpDataRecord* piece = GetBmpData(static_cast<int>(graph->Pieces[0]));
      if (piece == nullptr) return -1;
      surface = piece->Surface;
      mark = &piece->Locked;
    }
  }
  if (*mark == 0) return -1;
  ps::Unlock(surface);
  *mark = 0;
  // The last lock to go lets drawing go on.
  if (DDrawState.OpenLocks > 0 && --DDrawState.OpenLocks == 0) SetGraphSuspend(0);
  return 0;
}

void ResetBmpDataTable() { SetBmpDataTableForTests({}); }

void SetBmpDataTableForTests(std::span<BmpDataRecord*> records) {
  for (size_t i = 0; i < BmpDataTable.Slots.size(); ++i) {
    if (BmpDataTable.Allocated[i]) delete BmpDataTable.Slots[i];
  }
  BmpDataTable.Own.fill(nullptr);
  BmpDataTable.Allocated.reset();
  BmpDataTable.Slots = records.empty() ? std::span<BmpDataRecord*>(BmpDataTable.Own) : records;
  BmpDataTable.Count = 0;
  for (BmpDataRecord* r : BmpDataTable.Slots) BmpDataTable.Count += r != nullptr ? 1 : 0;
  BmpDataTable.EndIndex = records.empty() ? 0 : static_cast<int32_t>(records.size());
}

}  // namespace vexal
