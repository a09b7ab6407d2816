#include "vexal/graphics/screen/surface_table.h"

#include <cstdint>
#include <new>

#include "vexal/app/log/log_file.h"

namespace vexal {

SurfaceTableRecord SurfaceTable;  // every surface record of the run

namespace {

bool ValidIndex(int index) { return index >= 0 && index < kSurfaceTableSize; }

}  // namespace

int AddSurfaceManage(int count, uint8_t flag, int width, int height) {
  if (SurfaceTable.InUse >= kSurfaceTableSize) {
    LogWrite("サーフェスの管理数が許容量を越えました。\n");
    return -1;
  }
  const int slots = count < 0 ? 0 : count > UINT16_MAX ? UINT16_MAX : count;
  int index = 0;
  while (SurfaceTable.Slots[index] != nullptr) ++index;
  std::unique_ptr<SurfaceManageRecord> record;
  try {
    record = std::make_unique<SurfaceManageRecord>();
    record->Surfaces.assign(static_cast<size_t>(slots), nullptr);
  } catch (const std::bad_alloc&) {
    LogWrite("サーフェス管理用データを保存するメモリ領域の確保に失敗しました\n");
    return -1;
  }
  record->Count = static_cast<uint16_t>(slots);
  record->Flag = flag;
  record->Width = static_cast<uint16_t>(width);
  record->Height = static_cast<uint16_t>(height);
  SurfaceTable.Slots[index] = std::move(record);
  ++SurfaceTable.InUse;
  return index;
}

int DeleteSurfaceManage(int index) {
  if (GetSurfaceManage(index) == nullptr) return -1;
  SurfaceTable.Slots[index].reset();
  --SurfaceTable.InUse;
  return 0;
}

uint16_t AddSurfaceRef(int index) {
  SurfaceManageRecord* r = GetSurfaceManage(index);
  if (r == nullptr) return 0;
  if (r->Count < UINT16_MAX) ++r->Count;
  return r->Count;
}

uint16_t ReleaseSurfaceRef(int index) {
  SurfaceManageRecord* r = GetSurfaceManage(index);
  if (r == nullptr) return 0;
  if (r->Count > 0) --r->Count;
  return r->Count;
}

SurfaceManageRecord* GetSurfaceManage(int index) {
  return ValidIndex(index) ? SurfaceTable.Slots[index].get() : nullptr;
}

void ClearSurfaceLostFlags() {
  for (auto& slot : SurfaceTable.Slots) {
    if (slot != nullptr) slot->RestoredMark = 0;
  }
}

void ResetSurfaceTable() {
  for (auto& slot : SurfaceTable.Slots) slot.reset();
  SurfaceTable.InUse = 0;
}

}  // namespace vexal
