// The two stream function tables. Constant from load, so they are valid before start-up.
#include <cstdio>

#include "vexal/app/streams/stream.h"

namespace vexal {
namespace {

std::FILE* AsFile(void* stream) { return static_cast<std::FILE*>(stream); }

int32_t FileTell(void* stream) { return static_cast<int32_t>(std::ftell(AsFile(stream))); }

int FileSeek(void* stream, int32_t offset, int origin) { return std::fseek(AsFile(stream), offset, origin); }

size_t FileRead(void* buffer, size_t element_size, size_t count, void* stream) {
  return std::fread(buffer, element_size, count, AsFile(stream));
}

size_t FileWrite(const void* buffer, size_t element_size, size_t count, void* stream) {
  return std::fwrite(buffer, element_size, count, AsFile(stream));
}

int FileEof(void* stream) { return std::feof(AsFile(stream)); }

constexpr StreamFuncTable kFileStreamFuncs = {FileTell, FileSeek, FileRead, FileWrite, FileEof};
constexpr StreamFuncTable kMemStreamFuncs = {MemStreamTell, MemStreamSeek, MemStreamRead, MemStreamWrite, MemStreamEof};

}  // namespace

const StreamFuncTable* GetFileStreamFuncs() { return &kFileStreamFuncs; }

const StreamFuncTable* GetMemStreamFuncs() { return &kMemStreamFuncs; }

}  // namespace vexal
