#include "platform/sys/vector_width.h"

#include <atomic>

namespace plat::sys {
namespace {

std::atomic<int> g_override{-1};  // -1: the processor decides; else 0 or 1

bool ProcessorHasWideVectors() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
#else
  return false;
#endif
}

}  // namespace

bool UseWideVectors() {
  const int forced = g_override.load(std::memory_order_relaxed);
  if (forced >= 0) return forced != 0;
  static const bool has = ProcessorHasWideVectors();
  return has;
}

void OverrideWideVectors(std::optional<bool> use) {
  g_override.store(use.has_value() ? (*use ? 1 : 0) : -1, std::memory_order_relaxed);
}

}  // namespace plat::sys
