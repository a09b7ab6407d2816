#include "vexal/graphics/pictures/bmp_run_length.h"

#include <algorithm>
#include <cstring>

namespace vexal {
namespace {

// Escape codes after a first byte of 0.
constexpr uint8_t kEndOfRow = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kMove = 2;  // then right, up

// The place the stream writes next, with rows counted from the bottom. The place never
// goes right of the row's end: a run that reaches past it draws what lies inside and
// leaves the place there.
class RunWriter {
 public:
  RunWriter(const DibLayout& l, uint8_t* out)
      : layout_(l), out_(out), pitch_(DibRowBytes(l.width, 24)), rows_(l.height) {}

  // A run may start only on one of the picture's rows.
  bool OnARow() const { return row_ < rows_; }
  // n pixels from the place, the k-th of colour-table index index_of(k); those right of
  // the row's end are dropped.
  template <typename IndexOf>
  void Run(int n, IndexOf index_of) {
    const int64_t inside = std::min<int64_t>(n, layout_.width - x_);
    uint8_t* d = out_ + (rows_ - 1 - row_) * pitch_ + x_ * 3;
    for (int k = 0; k < inside; ++k, d += 3) {
      const uint32_t entry = layout_.palette[index_of(k) & 0xFF];
      d[0] = static_cast<uint8_t>(entry);
      d[1] = static_cast<uint8_t>(entry >> 8);
      d[2] = static_cast<uint8_t>(entry >> 16);
    }
    x_ += inside;
  }
  void NextRow() {
    x_ = 0;
    ++row_;
  }
  // A move must land inside the picture (the end of a row counts as inside).
  bool Move(int right, int up) {
    if (x_ + right > layout_.width || row_ + up >= rows_) return false;
    x_ += right;
    row_ += up;
    return true;
  }

 private:
  const DibLayout& layout_;
  uint8_t* out_;
  int64_t pitch_;
  int64_t rows_;
  int64_t x_ = 0;
  int64_t row_ = 0;
};

}  // namespace

bool DrawRunLengthTo24(const DibLayout& l, std::span<const uint8_t> stream, uint8_t* out) {
  const bool four = l.compression == kBiRle4 && l.bitCount == 4;
  if (!four && !(l.compression == kBiRle8 && l.bitCount == 8)) return false;
  if (l.width < 1 || l.height < 1) return false;
  std::memset(out, 0, static_cast<size_t>(DibRowBytes(l.width, 24) * l.height));
  RunWriter at(l, out);
  size_t i = 0;
  while (stream.size() - i >= 2) {
    const uint8_t count = stream[i], value = stream[i + 1];
    i += 2;
    if (count != 0) {
      if (!at.OnARow()) return false;
      at.Run(count, [&](int k) { return four ? (k % 2 == 0 ? value >> 4 : value & 0xF) : value; });
      continue;
    }
    if (value == kEndOfBitmap) return true;
    if (value == kEndOfRow) {
      at.NextRow();
    } else if (value == kMove) {
      if (stream.size() - i < 2 || !at.Move(stream[i], stream[i + 1])) return false;
      i += 2;
    } else {
      // value indices as they stand, their bytes padded to an even count.
      const size_t bytes = four ? (value + 1u) / 2 : value;
      if (stream.size() - i < bytes + bytes % 2 || !at.OnARow()) return false;
      const uint8_t* b = stream.data() + i;
      at.Run(value, [&](int k) { return four ? (k % 2 == 0 ? b[k / 2] >> 4 : b[k / 2] & 0xF) : b[k]; });
      i += bytes + bytes % 2;
    }
  }
  return false;  // no end mark
}

}  // namespace vexal
