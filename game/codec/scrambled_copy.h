// The scrambled copy: map scripts are stored with every byte XOR-ed with one key, and
// copied back to plain text (or scrambled, the same transform) file to file.
#pragma once

#include <cstdint>
#include <string_view>

namespace game {

inline constexpr uint8_t kScrambleKey = 0xC5;     // XOR-ed into every byte
inline constexpr int kScrambleBlockBytes = 5000;  // bytes copied per read

// Copies the file `input` to `output` (game paths, "rb" / "wb") with every byte XOR-ed
// with the key. 0 on success; 1 when either file cannot be opened (nothing is copied,
// and no output is created when the input is missing) or a read or write fails.
int XorCopyFile(std::string_view input, std::string_view output);

}  // namespace game
