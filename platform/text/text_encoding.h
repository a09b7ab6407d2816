// Shift-JIS (code page 932) text, the encoding of every game and library string, and
// its conversion to and from UTF-8 for the host (terminal, file names, SDL).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// True for a byte that starts a double-byte character of code page 932.
constexpr bool IsSjisLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Unconvertible sequences become '?'; the rest of the text still converts.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace plat
