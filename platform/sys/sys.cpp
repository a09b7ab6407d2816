#include "platform/sys/sys.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstring>

#include "platform/timer/timer.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace plat::sys {
namespace {

std::optional<OsVersion> g_os;                 // test override of GetOsVersion
std::optional<CpuInfo> g_cpu;                  // test override of GetCpuInfo
std::optional<MemoryStatus> g_memory;          // test override of GetMemoryStatus
std::optional<DirectXProbeAnswers> g_directx;  // test override of ProbeDirectX
std::optional<uint64_t> g_tsc_ticks_per_us;    // test override of ReadTimeStampCounter

OsVersion RealOsVersion() {
  OsVersion v;
  utsname u;
  if (::uname(&u) != 0) return v;
  v.name = u.sysname;
  v.service = u.release;
  unsigned major = 0, minor = 0, patch = 0;
  std::sscanf(u.release, "%u.%u.%u", &major, &minor, &patch);
  v.major = major;
  v.minor = minor;
  v.build = patch;
  return v;
}

CpuInfo RealCpuInfo() {
  CpuInfo c;
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, cx = 0, d = 0;
  if (__get_cpuid(0, &a, &b, &cx, &d) == 0) return c;
  c.has_cpuid = true;
  c.max_function = a;
  c.vendor_words = {b, d, cx};
  if (a >= 1 && __get_cpuid(1, &a, &b, &cx, &d)) c.features_edx = d;
  c.max_extended = __get_cpuid_max(0x80000000u, nullptr);
  if (c.max_extended >= 0x80000004u) {
    char brand[49] = {};
    for (unsigned i = 0; i < 3; ++i) {
      unsigned r[4];
      __get_cpuid(0x80000002u + i, &r[0], &r[1], &r[2], &r[3]);
      std::memcpy(brand + i * 16, r, 16);
    }
    c.brand = brand;
  }
#endif
  return c;
}

}  // namespace

OsVersion GetOsVersion() { return g_os ? *g_os : RealOsVersion(); }

CpuInfo GetCpuInfo() { return g_cpu ? *g_cpu : RealCpuInfo(); }

MemoryStatus GetMemoryStatus() {
  if (g_memory) return *g_memory;
  if (timer::IsVirtualClock()) return kVirtualClockMemory;
  MemoryStatus m;
  struct sysinfo si;
  if (::sysinfo(&si) == 0) {
    m.total_physical = static_cast<uint64_t>(si.totalram) * si.mem_unit;
    m.available_physical = static_cast<uint64_t>(si.freeram + si.bufferram) * si.mem_unit;
  }
  return m;
}

uint64_t ReadTimeStampCounter() {
  if (g_tsc_ticks_per_us) {
    return static_cast<uint64_t>(timer::PerfCounter() / 1000) * *g_tsc_ticks_per_us;
  }
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return static_cast<uint64_t>(timer::PerfCounter());
#endif
}

DirectXProbeAnswers ProbeDirectX() {
  if (g_directx) return *g_directx;
  DirectXProbeAnswers a{};
  for (int i = 0; i <= kProbeDDraw7; ++i) a[i] = true;
  return a;
}

void OverrideOsVersion(std::optional<OsVersion> v) { g_os = std::move(v); }
void OverrideCpuInfo(std::optional<CpuInfo> v) { g_cpu = std::move(v); }
void OverrideMemoryStatus(std::optional<MemoryStatus> v) { g_memory = v; }
void OverrideDirectXProbe(std::optional<DirectXProbeAnswers> v) { g_directx = v; }
void OverrideTimeStampCounter(std::optional<uint64_t> ticks_per_us) { g_tsc_ticks_per_us = ticks_per_us; }

void ResetOverrides() {
  g_os.reset();
  g_cpu.reset();
  g_memory.reset();
  g_directx.reset();
  g_tsc_ticks_per_us.reset();
}

}  // namespace plat::sys
