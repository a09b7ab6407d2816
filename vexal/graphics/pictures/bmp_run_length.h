// Run-length coded bitmap bits (8 bits a pixel, or 4), drawn into the library's 24-bit
// form.
//
// The stream is a run of byte pairs. A first byte n of 1 to 255 repeats the second byte's
// index n times (4 bits: its high and low halves by turns, high first). A first byte 0 is
// an escape: 0 ends the row, 1 ends the bitmap, 2 moves right and up by the next two
// bytes, and 3 to 255 are that many indices as they stand (4 bits: two a byte, high half
// first), padded to an even count of bytes. Rows come bottom row first.
#pragma once

#include <cstdint>
#include <span>

#include "vexal/graphics/pictures/dib_image.h"

namespace vexal {

// Draws the coded stream of a bottom-up layout of kBiRle8 (8 bits) or kBiRle4 (4 bits)
// into a top-down 24-bit block of DibRowBytes(width, 24) bytes a row. Pixels the stream
// passes over stay black. Pixels of a run right of the row's end are dropped: encoders
// code each row to its padded width. False, with the block in no particular state, for a
// run past the last row, a move out of the picture, or a stream that ends (or is cut)
// before its end mark.
bool DrawRunLengthTo24(const DibLayout& layout, std::span<const uint8_t> stream, uint8_t* out);

}  // namespace vexal
