// What the fuzz targets share: a scratch directory the loaders read from, since most of
// them take game paths.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nlfuzz {

// Moves the process into a fresh scratch directory (once); game paths resolve there.
void EnterScratchDir();

// Writes the bytes to the game path (folders made as needed); false on failure.
bool WriteGameFile(std::string_view path, const uint8_t* data, size_t size);

}  // namespace nlfuzz
