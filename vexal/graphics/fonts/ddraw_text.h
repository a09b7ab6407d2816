// Slot 36 of row 0 (DDrawStringByWorkDC, declared in ddraw_row.h) and the colour key of the
// font's own surface it draws blended strings into.
#pragma once

#include "vexal/graphics/screen/color_value.h"

namespace vexal {

// A key in the screen's red, green and blue bits that equals neither text colour.
ColorValue PickTextKeyColor(ColorValue color, ColorValue edge_color);

}  // namespace vexal
