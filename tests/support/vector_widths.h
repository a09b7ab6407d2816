// Runs a check with each vector width the pixel loops have: the 128-bit loops every x86-64
// runs, then, where this processor has them, the 256-bit ones. The processor's own choice
// is back in force afterwards.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "platform/sys/vector_width.h"

namespace nltest {

template <class Check>
void ForEachVectorWidth(Check&& check) {
  plat::sys::OverrideWideVectors(std::nullopt);
  const bool processor_has_wide = plat::sys::UseWideVectors();  // the processor's own answer
  for (const bool wide : {false, true}) {
    if (wide && !processor_has_wide) continue;
    plat::sys::OverrideWideVectors(wide);
    SCOPED_TRACE(wide ? "256-bit vectors" : "128-bit vectors");
    check();
  }
  plat::sys::OverrideWideVectors(std::nullopt);
}

}  // namespace nltest
