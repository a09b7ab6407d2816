// The frames a harness capture wrote: with NIGHTLOOM_CAPTURE=DIR, presented frame n (counted
// from 1) is DIR/frame-NNNNNN.png, its number six digits at least.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/support/png_file.h"

namespace nltest {

std::string FramePath(const std::string& dir, long n);
// nullopt when the frame was not written (or not yet whole).
std::optional<Png> ReadFrame(const std::string& dir, long n);

// The numbers of the frames in the folder, in order; none when it does not exist.
std::vector<long> CapturedFrames(const std::string& dir);
// The highest of them, 0 when there is none.
long LastCapturedFrame(const std::string& dir);

// A NIGHTLOOM_CAPTURE_FRAMES entry for the frames from..to, both included.
std::string FrameRange(long from, long to);

}  // namespace nltest
