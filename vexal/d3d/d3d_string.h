// The geometry of row 1's string drawing: the size of the two text textures and how a
// string is cut into strips, one texture row of cells each.
#pragma once

#include <cstddef>
#include <string_view>

namespace vexal {

// The text textures for one call: texW x texH, n cells a strip, m strips a page.
struct StringTextureGeometry {
  int texW = 0;
  int texH = 0;
  int n = 0;
  int m = 0;
};

// The texture a string of length bytes needs for glyph cells of cell pixels on a target
// target_width wide, within the device's texture sides.
StringTextureGeometry ChooseStringTextureSize(int cell, int length, int target_width, int min_size, int max_size,
                                              bool square_only);

// Bytes of the next strip at the start of rest: at most max_bytes, a double-byte character
// never split (one whose lead byte would be the last byte starts the next strip), a lead
// byte at the very end taken alone. At least 1 while rest is not empty and max_bytes >= 2.
size_t StringStripBytes(std::string_view rest, size_t max_bytes);

}  // namespace vexal
