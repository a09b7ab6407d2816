// The harness's sound recorder: what the mixer renders, written as a PCM WAV file.
// NIGHTLOOM_AUDIO_OUT=FILE.wav names the file; the sound device opens it when it is made
// and it stays open until the program ends (a device made again later writes on). The
// header's sizes are brought up to date about every second of audio, at every Flush (the
// device flushes when it is released) and at Close.
//
// The file's format is the output format when the first frame arrives; before that the
// format may still change. The recorder serialises its own calls.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/sound/sound.h"

namespace plat::audio_capture {

// The path in NIGHTLOOM_AUDIO_OUT, empty when it is unset or empty.
std::string PathFromEnvironment();

// Creates (or replaces) the file and writes a header for `format`; false when the file
// cannot be created or a capture is already open.
bool Open(std::string_view path, const sound::WaveFormat& format);
bool IsOpen();
// Changes the format while no frame has been written; false, with nothing changed, once
// frames have been written or when no capture is open.
bool SetFormat(const sound::WaveFormat& format);
// Appends frames in the capture's format. A failing write closes the capture.
void Write(std::span<const uint8_t> bytes);
void Flush();
void Close();
// Sample bytes written since Open.
uint64_t DataBytes();

}  // namespace plat::audio_capture
