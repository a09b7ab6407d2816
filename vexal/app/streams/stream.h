// Stream function tables: the image and sound loaders read through one of these, so a
// loader reads a file and a block of memory alike. Opening and closing stay with the
// caller (plat::fs::OpenFile / fclose, or MemStreamOpen / MemStreamClose).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexal {

// Slots in the order the loaders index them.
struct StreamFuncTable {
  int32_t (*Tell)(void* stream);
  int (*Seek)(void* stream, int32_t offset, int origin);  // origin 0 set, 1 current, 2 end
  size_t (*Read)(void* buffer, size_t element_size, size_t count, void* stream);
  size_t (*Write)(const void* buffer, size_t element_size, size_t count, void* stream);
  int (*Eof)(void* stream);
};

// A read/write cursor over a caller's memory block, which it does not own.
struct MemStream {
  uint8_t* data;
  uint32_t size;      // bytes in the block
  uint32_t position;  // 0 .. size
  uint8_t eof;        // 1 after an access at the end, 0 after any other access or seek
};

// A new stream at position 0, or null when the record cannot be allocated.
MemStream* MemStreamOpen(void* data, uint32_t size);
// Frees the record only; the block stays the caller's. 0.
int MemStreamClose(MemStream* stream);
int32_t MemStreamTell(void* stream);
// Never fails: the target is clamped to 0 .. size. 0.
int MemStreamSeek(void* stream, int32_t offset, int origin);
// Whole elements; with less than one element left, the remaining bytes count as one.
size_t MemStreamRead(void* buffer, size_t element_size, size_t count, void* stream);
// Whole elements that fit.
size_t MemStreamWrite(const void* buffer, size_t element_size, size_t count, void* stream);
int MemStreamEof(void* stream);

// The two tables: over standard file streams (FILE*) and over MemStream.
const StreamFuncTable* GetFileStreamFuncs();
const StreamFuncTable* GetMemStreamFuncs();

}  // namespace vexal
