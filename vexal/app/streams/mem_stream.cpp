#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vexal/app/streams/stream.h"

namespace vexal {
namespace {

MemStream* AsMem(void* stream) { return static_cast<MemStream*>(stream); }

// Elements of size e that fit in `remaining` bytes, at most n. Never multiplies e by n,
// so a huge count cannot wrap.
size_t WholeElements(size_t e, size_t n, size_t remaining) {
  if (e == 0) return 0;
  size_t fit = remaining / e;
  return n < fit ? n : fit;
}

}  // namespace

MemStream* MemStreamOpen(void* data, uint32_t size) {
  auto* s = static_cast<MemStream*>(std::malloc(sizeof(MemStream)));
  if (s == nullptr) return nullptr;
  *s = MemStream{static_cast<uint8_t*>(data), size, 0, 0};
  return s;
}

int MemStreamClose(MemStream* stream) {
  std::free(stream);
  return 0;
}

int32_t MemStreamTell(void* stream) { return static_cast<int32_t>(AsMem(stream)->position); }

int MemStreamSeek(void* stream, int32_t offset, int origin) {
  MemStream* s = AsMem(stream);
  int64_t target = offset;
  if (origin == SEEK_CUR) target = static_cast<int64_t>(s->position) + offset;
  if (origin == SEEK_END) target = static_cast<int64_t>(s->size) + offset;
  if (target > s->size) target = s->size;
  if (target < 0) target = 0;
  s->position = static_cast<uint32_t>(target);
  s->eof = 0;
  return 0;
}

size_t MemStreamRead(void* buffer, size_t element_size, size_t count, void* stream) {
  MemStream* s = AsMem(stream);
  if (s->position == s->size) {
    s->eof = 1;
    return 0;
  }
  size_t remaining = s->size - s->position;
  if (count == 0) return 0;
  size_t n = WholeElements(element_size, count, remaining);
  if (n > 0) {
    std::memcpy(buffer, s->data + s->position, element_size * n);
    s->position += static_cast<uint32_t>(element_size * n);
    s->eof = 0;
    return n;
  }
  if (element_size == 0) return 0;
  // Less than one element left: hand out what there is as one element.
  std::memcpy(buffer, s->data + s->position, remaining);
  s->position = s->size;
  s->eof = 0;
  return 1;
}

size_t MemStreamWrite(const void* buffer, size_t element_size, size_t count, void* stream) {
  MemStream* s = AsMem(stream);
  if (s->position == s->size) {
    s->eof = 1;
    return 0;
  }
  size_t n = WholeElements(element_size, count, s->size - s->position);
  if (n > 0) {
    std::memcpy(s->data + s->position, buffer, element_size * n);
    s->position += static_cast<uint32_t>(element_size * n);
  }
  s->eof = 0;
  return n;
}

int MemStreamEof(void* stream) { return AsMem(stream)->eof; }

}  // namespace vexal
