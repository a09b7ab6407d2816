// The game's packed-file codec: an adaptive dictionary coder over a phrase trie of at
// most 8192 codes, with least-recently-used reuse once the table is full. Every step
// adds the previous phrase extended by each prefix of the current one (up to 100 bytes).
//
// Packed file: u32 little-endian unpacked length, then the code stream, most significant
// bit first, the last byte padded with 0 bits. A code is a 0 bit and 8 bits (a literal
// byte) or a 1 bit and W bits (phrase code - 256); W grows with the phrase count, 1..13.
//
// Packer and unpacker run the same dictionary steps, so they stay in step by
// construction; any change here changes the format of every packed map and save.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace game {

inline constexpr int kPackFileModePack = 0;    // PackFile mode: plain -> packed
inline constexpr int kPackFileModeUnpack = 1;  // PackFile mode: packed -> plain
inline constexpr int kPackFileOk = 0;          // PackFile result on success
inline constexpr int kPackFileFailed = 1;      // PackFile result on any failure

inline constexpr int kLzCodeCount = 8192;       // codes 0-255 bytes, 256-8191 phrases
inline constexpr uint16_t kLzNoCode = 8192;     // "no code" in every link
inline constexpr int kLzFirstPhraseCode = 256;  // first code handed out to a phrase
inline constexpr int kLzMaxPhraseLength = 100;  // bytes in the longest phrase
inline constexpr int kLzMaxCodeWidth = 13;      // W once the table is full
inline constexpr int kLzHeaderBytes = 4;        // the u32 unpacked length

// Packs (mode 0) or unpacks (mode 1) the file `input` into the file `output` (game paths,
// opened "rb" and "wb"). 0 on success; 1 when a file cannot be opened, a byte cannot be
// written, or a packed input is malformed: shorter than its header, a code at or beyond
// the next free one, a stream that ends before the announced length or that decodes past
// it. The unpacker never writes more than the announced length. On failure the output
// may hold a partial result; the caller deletes it as it deletes every result.
int PackFile(std::string_view input, std::string_view output, int mode);

// The dictionary and bit buffer both directions share; one run of PackFile owns it.
struct LzCodecStateRecord {
  std::array<uint16_t, kLzCodeCount> Parent{};       // phrase one byte shorter; none for bytes
  std::array<uint8_t, kLzCodeCount> LastByte{};      // byte that ends the phrase
  std::array<uint16_t, kLzCodeCount> FirstChild{};   // newest child of the trie node
  std::array<uint16_t, kLzCodeCount> NextSibling{};  // next older child of the same parent
  std::array<uint16_t, kLzCodeCount> PrevSibling{};  // next newer child of the same parent
  std::array<uint16_t, kLzCodeCount> Newer{};        // recency neighbour on the head side
  std::array<uint16_t, kLzCodeCount> Older{};        // recency neighbour on the tail side
  uint16_t RecencyHead = kLzNoCode;                  // most recently used phrase
  uint16_t RecencyTail = kLzNoCode;                  // least recently used phrase, reused first
  int32_t NextFree = kLzFirstPhraseCode;             // next code never handed out (8192: full)
  int32_t CodeWidth = 1;                             // W, bits of a phrase code
  int32_t WidthLimit = 2;                            // phrase count at which W grows next
  std::array<uint8_t, kLzMaxPhraseLength> Phrase{};  // bytes of the current phrase
  uint32_t BitBuffer = 0;                            // bits not yet written / not yet read
  int32_t BitCount = 0;                              // how many of them are held
};

extern LzCodecStateRecord LzState;

// Back to the state of a fresh program.
void ResetLzCodecState();

}  // namespace game
