// The readable source of a map, as the map tool reads it (UTF-8 text, '#' comments):
//
//   chipset town.chp          strings[0]
//   name まち                 strings[1], written in Shift-JIS
//   script town.scr           strings[2]
//   marks 1                   header word 0
//   fill 1                    every plane-0 cell
//   legend . 4                a grid character and its plane-0 chip
//   grid 100 120              grid rows follow, their first cell at (100, 120) ...
//   ....#                     ... one character a cell, blank = cell left as it is
//   end
//   event 1 115 128           event slot, page-0 start cell
//   page 0 graphic=2 dir=0 block=1 tests=300,-5 area=110,120,120,130 ...
//
// Page keys: fixed graphic dir period move chance nocoll area second blink word16
// tests act block; any page word left out is 0, except the walking area, which is the
// whole map unless given.
#pragma once

#include <string>
#include <string_view>

#include "game/field/map_file.h"

namespace nltool {

// Fills map from source; empty on success, else "line N: why".
std::string ParseMapSource(std::string_view source, game::MapFileImage& map);

}  // namespace nltool
