// A test program that links refused_allocation.cpp replaces the global operator new with one
// that refuses the next request of one armed size, so allocation failures can be made on cue.
#pragma once

#include <atomic>
#include <cstddef>

namespace nltest {

// The next request of this size fails (std::bad_alloc, or nullptr for the nothrow forms) and
// the value returns to 0; 0 arms nothing.
extern std::atomic<size_t> refused_allocation_size;

}  // namespace nltest
