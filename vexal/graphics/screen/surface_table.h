// The surface table: the records through which the BMP data of graphs and the Direct3D
// textures share their surfaces. A handle is the plain slot index; every call checks it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/surface/surface.h"

namespace vexal {

inline constexpr int kSurfaceTableSize = 12000;  // records at most

struct SurfaceManageRecord {
  std::vector<plat::surface::Surface*> Surfaces;  // one zeroed slot per count given at creation
  plat::surface::Surface* Surface = nullptr;      // the one surface of a BMP data record, when re-made
  uint16_t Width = 0;                             // size in pixels
  uint16_t Height = 0;
  uint16_t Count = 0;         // slot count at creation; then the reference count
  uint8_t Flag = 0;           // the creator's flag, stored unchanged
  uint32_t RestoredMark = 0;  // set once its surface was released or re-made
};

struct SurfaceTableRecord {
  std::array<std::unique_ptr<SurfaceManageRecord>, kSurfaceTableSize> Slots;  // empty or one record
  int32_t InUse = 0;                                                          // records in the table
};

extern SurfaceTableRecord SurfaceTable;

// A new record with count zeroed surface slots: its index, or -1 (logged) when the table
// is full or memory runs out.
int AddSurfaceManage(int count, uint8_t flag, int width, int height);
// Frees a record (its surfaces are the caller's to release first). 0, or -1 for an index
// that holds none.
int DeleteSurfaceManage(int index);
// Raise or lower the reference count; the new count, 0 for an index that holds no record.
// The count does not go below 0.
uint16_t AddSurfaceRef(int index);
uint16_t ReleaseSurfaceRef(int index);
// The record, or null for an index that holds none.
SurfaceManageRecord* GetSurfaceManage(int index);
// Clears the restored mark of every record.
void ClearSurfaceLostFlags();

void ResetSurfaceTable();

}  // namespace vexal
