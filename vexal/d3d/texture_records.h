// The texture pieces of Direct3D graphs: one TextureRecord per piece in the 12000-slot
// TexDataTable, the choice of texture sides (SplitTextureSize), record creation and
// deletion, and the raw texture-surface creation.
//
// The records of one texture surface share a surface-table record that counts them; the
// surface goes with the last of them. A divided graph kept in one texture also lists its
// cells' records (ShareCells).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/d3d/d3d.h"
#include "platform/surface/surface.h"

namespace vexal {

inline constexpr int kTexDataMax = 12000;
inline constexpr int kSplitSidesMax = 64;  // sides SplitTextureSize writes at most

// One screen vertex: position, z, rhw, diffuse 0xAARRGGBB, texture u and v.
struct TexVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};

struct TextureRecord {
  uint16_t posX, posY;                    // the piece's corner inside its graph
  uint16_t texWidth, texHeight;           // the texture surface's sides
  uint16_t texOffsetX, texOffsetY;        // where the piece's pixels start inside the texture
  uint16_t srcX, srcY;                    // the piece in the coordinates of the graph it was made from
  uint16_t usedWidth, usedHeight;         // the graph area the piece shows
  std::array<TexVertex, 4> vertices;      // top-left, top-right, bottom-left, bottom-right
  std::array<uint8_t, 4> upperLeftFlags;  // per vertex: in the graph's upper-left triangle
  plat::surface::Surface* surface;        // shared between the records of one surface-table record
  uint32_t transColor;                    // 0x00RRGGBB in force when the record was made
  int32_t graphHandle;
  uint8_t ColorBitDepth;   // 1: 32-bit formats
  uint8_t AlphaValid;      // alpha formats
  uint8_t AlphaTestValid;  // key 16 format; 0 for every record made here
  int32_t shareIndex;      // surface-table record counting the users of surface
  uint8_t restorePending;  // the surface was dropped with the device
};

struct TexDataTableRecord {
  std::array<std::unique_ptr<TextureRecord>, kTexDataMax> Slots;  // empty or one record
  int Count = 0;                                                  // occupied slots
  int End = 0;                                                    // one past the highest occupied
};

extern TexDataTableRecord TexDataTable;

int SplitTextureSize(int size, std::span<int> sides);
int SplitTextureSize(int size, int* sides);  // sides may be null; at most kSplitSidesMax written

int AddTexData(int texWidth, int texHeight, int posX, int posY, int usedWidth, int usedHeight, int srcX, int srcY,
               int graphHandle, int derived, const TextureRecord* parent, int texOffsetX, int texOffsetY,
               int AlphaValid);
// The DirectDraw object new textures are made on; null while the device record has no
// device (half restored): records are then made without surfaces, and the rebuild of the
// device makes them with the others.
plat::surface::Device* TextureMakingObject();
// With a null dd a record that is not derived is made without its surface (see above).
int InitTexData(TextureRecord* rec, plat::surface::Device* dd, int texWidth, int texHeight, int posX, int posY,
                int usedWidth, int usedHeight, int srcX, int srcY, int graphHandle, uint32_t transColor,
                int ColorBitDepth, int AlphaValid, int texOffsetX, int texOffsetY, int derived,
                const TextureRecord* parent);
int CreateTextureSurface(plat::surface::Device* dd, plat::surface::Surface** out,
                         const plat::d3d::PixelFormatDesc* format, int width, int height);
int DeleteTexData(int index);

// The record in a slot, or null.
TextureRecord* GetTexData(int index);
// The first empty slot from 0, or -1 when the table is full.
int FirstFreeTexDataSlot();
// Counts a record put into slot by hand (the divided-graph storage).
void NoteTexDataAdded(int slot);
// Sets the four upper-left flags by the graph's width and height.
void SetUpperLeftFlags(TextureRecord* rec, int graphWidth, int graphHeight);
// Sets the colour key of a texture surface to transColor in the record's format.
plat::surface::Result SetTextureColorKey(plat::surface::Surface* surface, const TextureRecord& rec);

// The cells of a divided graph held in one texture, by its surface-table record: their
// texture slots in cell order (empty when the record is not such a texture).
std::span<const int> ShareCells(int share);
void SetShareCells(int share, std::vector<int> cells);

// Tests and the device reset: forgets every record and cell list (frees nothing else).
void ResetTexDataTable();

}  // namespace vexal
