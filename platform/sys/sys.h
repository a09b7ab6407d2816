// What the program learns about the machine: operating system, processor, memory, and
// which generation of the DirectX-row interfaces the stand-in offers. Every answer can
// be replaced by a test.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace plat::sys {

enum class OsPlatform { Win32s, Windows9x, WindowsNT, Other };

struct OsVersion {
  OsPlatform platform = OsPlatform::Other;
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  std::string name;     // "Linux" and the like; used for OsPlatform::Other
  std::string service;  // service-pack text; for Other, the kernel release
};

struct CpuInfo {
  bool has_cpuid = false;
  uint32_t max_function = 0;               // highest standard CPUID function
  std::array<uint32_t, 3> vendor_words{};  // EBX, EDX, ECX of function 0
  uint32_t features_edx = 0;               // function 1, EDX
  uint32_t max_extended = 0;               // highest extended function (0x8000000N)
  std::string brand;                       // from functions 0x80000002..4, or empty
};

struct MemoryStatus {
  uint64_t total_physical = 0;
  uint64_t available_physical = 0;
};

// What the memory query answers under the virtual clock: the free memory the game prints
// on its boot screen would otherwise make two runs with the same input draw apart.
inline constexpr MemoryStatus kVirtualClockMemory{8ull << 30, 6ull << 30};

// Steps of the DirectX generation probe, in the order they are asked.
enum DirectXProbeStep {
  kProbeDDrawLibrary,  // the drawing library loads
  kProbeDDrawCreate,   // its device can be created
  kProbeDDraw2,        // the second interface generation
  kProbeInputLibrary,  // the input library with its creator
  kProbeSurface3,      // a primary surface answering the third surface generation
  kProbeSurface4,      // the same surface answering the fourth
  kProbeMusic,         // the music object
  kProbeDDraw7,        // the seventh generation device
  kProbeD3D8Library,   // the eighth generation 3-D library
  kProbeNatHelper,     // the 8.1 networking helper
  kDirectXProbeSteps
};
using DirectXProbeAnswers = std::array<bool, kDirectXProbeSteps>;

OsVersion GetOsVersion();
CpuInfo GetCpuInfo();
MemoryStatus GetMemoryStatus();
uint64_t ReadTimeStampCounter();
// The stand-in offers the seventh generation: every step up to kProbeDDraw7 succeeds.
DirectXProbeAnswers ProbeDirectX();

// Test overrides; nullopt restores the real answer.
void OverrideOsVersion(std::optional<OsVersion> v);
void OverrideCpuInfo(std::optional<CpuInfo> v);
void OverrideMemoryStatus(std::optional<MemoryStatus> v);
void OverrideDirectXProbe(std::optional<DirectXProbeAnswers> v);
// A fake counter: each read returns the clock's microseconds (virtual or real) times ticks_per_us.
void OverrideTimeStampCounter(std::optional<uint64_t> ticks_per_us);
// Every answer real again.
void ResetOverrides();

}  // namespace plat::sys
