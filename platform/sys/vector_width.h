// How wide the pixel loops' vectors are. Every x86-64 processor has 128-bit vectors (SSE2),
// which the default build uses everywhere; the loops that have a 256-bit form (AVX2) take
// it per call when the processor has one. Tests can hold either answer, so that both forms
// are checked on one machine.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>

// Marks a function compiled for 256-bit vectors; callers reach it only when
// UseWideVectors() says so.
#if defined(__x86_64__)
#define NL_WIDE_VECTOR_TARGET __attribute__((target("avx2")))
#else
#define NL_WIDE_VECTOR_TARGET
#endif

// A loop body written once and compiled into both forms.
#define NL_VECTOR_BODY __attribute__((always_inline)) inline

namespace plat::sys {

namespace detail {
extern std::atomic<bool> g_wide_vectors;  // set from the processor at load time, or by a test
}

// True when the 256-bit loops may run. Asked at every call of a pixel loop, so it is a
// load; code run before the program's statics are set up gets the 128-bit loops.
inline bool UseWideVectors() { return detail::g_wide_vectors.load(std::memory_order_relaxed); }
// Test override; nullopt lets the processor decide again.
void OverrideWideVectors(std::optional<bool> use);

// Vectors of Bytes bytes (16 or 32) over unsigned lanes.
template <int Bytes>
struct Vectors {
  typedef uint8_t U8 __attribute__((vector_size(Bytes)));
  typedef uint16_t U16 __attribute__((vector_size(Bytes)));
  typedef uint32_t U32 __attribute__((vector_size(Bytes)));
  typedef int8_t S8 __attribute__((vector_size(Bytes)));
};

// Unaligned loads and stores of a vector. Vectors go by reference: a 256-bit one passed
// by value would be passed differently by the two forms.
template <class V>
NL_VECTOR_BODY void LoadVector(V* v, const void* at) {
  std::memcpy(v, at, sizeof *v);
}

template <class V>
NL_VECTOR_BODY void StoreVector(void* at, const V& v) {
  std::memcpy(at, &v, sizeof v);
}

// Runs Loop::Run<Bytes>(args...) with the widest vectors the processor offers. Loop::Run
// is an NL_VECTOR_BODY template over the vector size in bytes.
template <class Loop, class... Args>
void RunNarrowVectors(Args... args) {
  Loop::template Run<16>(args...);
}

template <class Loop, class... Args>
NL_WIDE_VECTOR_TARGET void RunWideVectors(Args... args) {
  Loop::template Run<32>(args...);
}

template <class Loop, class... Args>
void RunVectorLoop(Args... args) {
  if (UseWideVectors())
    RunWideVectors<Loop>(args...);
  else
    RunNarrowVectors<Loop>(args...);
}

}  // namespace plat::sys
