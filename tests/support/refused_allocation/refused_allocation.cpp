#include "tests/support/refused_allocation/refused_allocation.h"

#include <cstdlib>
#include <new>

namespace nltest {
std::atomic<size_t> refused_allocation_size{0};
}  // namespace nltest

namespace {

void* Allocate(size_t size) {
  size_t armed = size;
  if (size != 0 && nltest::refused_allocation_size.compare_exchange_strong(armed, 0)) throw std::bad_alloc();
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
