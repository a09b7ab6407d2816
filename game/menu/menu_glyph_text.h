// The menu keeps its title and help line as Shift-JIS; a line that comes from the item
// table is stored in glyph codes and is turned back into text that converts to the same
// codes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace game {

// Shift-JIS that converts back to `codes` (up to their first 0). A code that no text
// gives is left out.
std::string GlyphCodesToSjis(std::span<const uint8_t> codes);

}  // namespace game
