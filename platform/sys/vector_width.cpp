#include "platform/sys/vector_width.h"

namespace plat::sys {
namespace {

bool ProcessorHasWideVectors() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
#else
  return false;
#endif
}

}  // namespace

namespace detail {
std::atomic<bool> g_wide_vectors{ProcessorHasWideVectors()};
}

void OverrideWideVectors(std::optional<bool> use) {
  detail::g_wide_vectors.store(use.has_value() ? *use : ProcessorHasWideVectors(), std::memory_order_relaxed);
}

}  // namespace plat::sys
