#include "platform/capture/audio_capture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/numeric/little_endian.h"
#include "platform/sys/debug_out.h"

namespace plat::audio_capture {
namespace {

constexpr uint32_t kHeaderBytes = 44;                   // RIFF, WAVE, 16-byte fmt, data header
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;  // what the RIFF size field can hold
constexpr uint64_t kFlushEveryBytes = 176400;           // about a second of CD-quality audio

std::mutex g_mutex;              // guards everything below
std::FILE* g_file = nullptr;     // open capture, or null
sound::WaveFormat g_format{};    // the file's format
uint64_t g_data_bytes = 0;       // sample bytes written
uint64_t g_unflushed_bytes = 0;  // written since the header was last brought up to date
bool g_full_reported = false;    // the size limit has been reported

// Rewrites the header at the start of the file and returns to its end.
bool WriteHeader() {
  uint8_t h[kHeaderBytes];
  const uint32_t data = static_cast<uint32_t>(g_data_bytes);
  std::copy_n("RIFF", 4, h);
  numeric::StoreLe32(h + 4, data + 36);
  std::copy_n("WAVEfmt ", 8, h + 8);
  numeric::StoreLe32(h + 16, 16);
  numeric::StoreLe16(h + 20, g_format.format_tag);
  numeric::StoreLe16(h + 22, g_format.channels);
  numeric::StoreLe32(h + 24, g_format.samples_per_sec);
  numeric::StoreLe32(h + 28, g_format.avg_bytes_per_sec);
  numeric::StoreLe16(h + 32, g_format.block_align);
  numeric::StoreLe16(h + 34, g_format.bits_per_sample);
  std::copy_n("data", 4, h + 36);
  numeric::StoreLe32(h + 40, data);
  if (std::fseek(g_file, 0, SEEK_SET) != 0) return false;
  if (std::fwrite(h, 1, kHeaderBytes, g_file) != kHeaderBytes) return false;
  if (std::fseek(g_file, 0, SEEK_END) != 0) return false;
  g_unflushed_bytes = 0;
  return std::fflush(g_file) == 0;
}

void CloseLocked() {
  if (g_file == nullptr) return;
  if (!WriteHeader()) DebugOutput("audio capture: the WAV header could not be written\n");
  std::fclose(g_file);
  g_file = nullptr;
}

}  // namespace

std::string PathFromEnvironment() {
  const char* v = std::getenv("NIGHTLOOM_AUDIO_OUT");
  return v != nullptr ? std::string(v) : std::string();
}

bool Open(std::string_view path, const sound::WaveFormat& format) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file != nullptr) return false;
  g_file = std::fopen(std::string(path).c_str(), "wb");
  if (g_file == nullptr) {
    DebugOutput("audio capture: the file cannot be created: " + std::string(path) + "\n");
    return false;
  }
  g_format = format;
  g_data_bytes = 0;
  g_full_reported = false;
  if (!WriteHeader()) {
    std::fclose(g_file);
    g_file = nullptr;
    return false;
  }
  return true;
}

bool IsOpen() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_file != nullptr;
}

bool SetFormat(const sound::WaveFormat& format) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file == nullptr || g_data_bytes != 0) return false;
  g_format = format;
  return WriteHeader();
}

void Write(std::span<const uint8_t> bytes) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file == nullptr || bytes.empty()) return;
  uint64_t room = kMaxDataBytes - g_data_bytes;
  room -= room % (g_format.block_align != 0 ? g_format.block_align : 1);
  size_t n = bytes.size() < room ? bytes.size() : static_cast<size_t>(room);
  if (n < bytes.size() && !g_full_reported) {
    DebugOutput("audio capture: the WAV file is full; later sound is not recorded\n");
    g_full_reported = true;
  }
  if (n == 0) return;
  if (std::fwrite(bytes.data(), 1, n, g_file) != n) {
    DebugOutput("audio capture: writing failed; the capture is closed\n");
    CloseLocked();
    return;
  }
  g_data_bytes += n;
  g_unflushed_bytes += n;
  if (g_unflushed_bytes >= kFlushEveryBytes) WriteHeader();
}

void Flush() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file != nullptr) WriteHeader();
}

void Close() {
  std::lock_guard<std::mutex> lock(g_mutex);
  CloseLocked();
}

uint64_t DataBytes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_data_bytes;
}

}  // namespace plat::audio_capture
