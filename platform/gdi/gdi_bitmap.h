// Bitmaps of the drawing interface: device-independent bitmap sections (memory the
// bitmap owns, in a 16-, 24- or 32-bit layout) and drawing bits of any bitmap layout
// into them, straight or reversed left to right.
//
// Layouts: 1, 4 and 8 bits index a colour table of (blue, green, red, 0) words, the
// first pixel of a byte in its highest bits; 16 bits are 5:5:5 or bit fields; 24 bits
// are blue, green, red bytes; 32 bits are 0x00RRGGBB or bit fields. Rows are
// BitmapRowBytes long; a positive height stores the bottom row first, a negative one the
// top row first. Coordinates given to the drawing calls count rows from the top.
//
// Drawing converts every pixel through 8 bits a channel: a narrower source channel is
// scaled to the full range (31 of 5 bits becomes 255, rounded to the nearest), a
// destination channel keeps the high bits. A colour index past the table gives black.
//
// The memory device context the drawing interface draws through is implied: the calls
// here draw straight into a bitmap. Main thread only. Test hooks at the end.
#pragma once

#include <cstdint>
#include <span>

namespace plat::gdi {

struct BitmapLayout {
  int width = 0;                      // 1 or more
  int height = 0;                     // negative: top row first; never 0
  int bit_count = 0;                  // 1, 4, 8, 16, 24 or 32
  bool bit_fields = false;            // masks below (16, 24 or 32 bits); else the plain layout
  uint32_t masks[3] = {0, 0, 0};      // red, green, blue
  std::span<const uint32_t> palette;  // 1, 4 and 8 bits: the colour table
};

// Largest side a bitmap may have.
constexpr int kMaxBitmapSide = 32767;

// Bytes of one row: (bits x width + 31) / 32 x 4.
constexpr int64_t BitmapRowBytes(int64_t width, int bit_count) { return ((bit_count * width + 31) / 32) * 4; }

// True for a layout the drawing calls can read (sides within kMaxBitmapSide).
bool LayoutReadable(const BitmapLayout& layout);

struct Bitmap;  // opaque

// A section of the layout (16, 24 or 32 bits; its palette is not used), every byte 0.
// Null for another depth, a layout LayoutReadable refuses, no memory, or a test's refusal.
Bitmap* CreateDibSection(const BitmapLayout& layout);
// Frees the bitmap and its bits; null is ignored.
void DeleteBitmap(const Bitmap* bitmap);

struct BitmapBits {
  BitmapLayout layout;      // as created
  uint8_t* bits = nullptr;  // the rows, in the layout's order; null when it has none
  int pitch = 0;            // BitmapRowBytes of the layout
};
// false for null.
bool GetBitmapBits(const Bitmap* bitmap, BitmapBits* out);

// Draws the whole source picture with its top-left at (x, y) of the bitmap, converting
// each pixel, clipped to the bitmap. false when either cannot be read.
bool SetBitsToBitmap(Bitmap* bitmap, int x, int y, const BitmapLayout& source, const uint8_t* bits);

// Copies the source rectangle (sx, sy, |sw| x |sh|) to the destination rectangle (dx, dy,
// dw x dh), clipped to the bitmap. A negative sw runs the source from column sx leftwards
// (sx = width - 1 and sw = -width reverse the picture left to right); a negative sh runs
// it from row sy upwards. Sizes must agree (|sw| = dw, |sh| = dh): nothing is scaled.
// false when they do not, or either picture cannot be read.
bool StretchBitsToBitmap(Bitmap* bitmap, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh,
                         const BitmapLayout& source, const uint8_t* bits);

namespace test {
enum class BitmapFailure {
  kRefuse,  // CreateDibSection gives null
  kNoBits,  // CreateDibSection gives a bitmap without bits
};
// The next `times` creations fail this way.
void InjectBitmapFailure(BitmapFailure failure, int times = 1);
// Bitmaps made and not deleted.
int LiveBitmapCount();
// Clears the injected failures. Bitmaps still alive stay valid.
void ResetBitmaps();
}  // namespace test

}  // namespace plat::gdi
