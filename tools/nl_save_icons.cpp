// nl_save_icons FILE: writes the sixteen save-slot icons, "package16.grp": for each slot
// 756 bytes that follow the game's 16-byte icon header in a slot file: the high half of
// the image size (0), the image offset 22 (u32), then a 744-byte 32 x 32 16-colour icon
// image (a 40-byte info header of height 64, 16 palette colours, 32 colour rows of 16
// bytes and 32 mask rows of 4 bytes, both bottom row first), then 6 unused bytes.
//
// Each icon is the night sky with the moon over one of the four members (slot mod 4),
// and as many stars along the bottom as the slot's number (1-16), in two rows of eight.
// The mask leaves the four corners transparent.
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSize = 32;
constexpr int kIcons = 16;
constexpr int kEntryBytes = 756;
constexpr int kImageOffset = 22;
constexpr int kColourRowBytes = kSize / 2;
constexpr int kMaskRowBytes = kSize / 8;

// Palette indexes.
enum : uint8_t {
  kBlack,
  kNight,
  kViolet,
  kDeepNight,
  kLamp,
  kPaleGreen,
  kWhite,
  kSkin,
  kRed,
  kBlue,
  kGreen,
  kPurple,
  kGrey,
  kDarkViolet,
  kOrange,
  kSky
};
constexpr std::array<std::array<uint8_t, 3>, 16> kPalette = {{// red, green, blue
                                                              {0, 0, 0},
                                                              {24, 28, 72},
                                                              {88, 56, 136},
                                                              {12, 14, 40},
                                                              {248, 208, 96},
                                                              {168, 224, 152},
                                                              {248, 248, 248},
                                                              {240, 200, 168},
                                                              {216, 64, 72},
                                                              {64, 112, 224},
                                                              {72, 176, 96},
                                                              {160, 88, 200},
                                                              {128, 128, 144},
                                                              {56, 36, 88},
                                                              {240, 144, 56},
                                                              {136, 184, 240}}};
constexpr uint8_t kMemberColours[4] = {kRed, kBlue, kGreen, kPurple};

using Pixels = std::array<std::array<uint8_t, kSize>, kSize>;  // [y][x], top row first

void Fill(Pixels& p, int x0, int y0, int x1, int y1, uint8_t c) {
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) p[y][x] = c;
  }
}

bool Corner(int x, int y) {
  auto near = [](int v) { return v == 0 || v == kSize - 1; };
  return (near(x) && near(y)) || ((x == 1 || x == kSize - 2) && near(y)) || ((y == 1 || y == kSize - 2) && near(x));
}

Pixels DrawIcon(int slot) {
  Pixels p{};
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) p[y][x] = y < 12 ? kDeepNight : y < 22 ? kNight : kDarkViolet;
  }
  // The moon: a disc with a bite out of it.
  for (int y = 2; y <= 9; ++y) {
    for (int x = 21; x <= 28; ++x) {
      const int dx = 2 * x - 49, dy = 2 * y - 11;
      const int bx = 2 * x - 53, by = 2 * y - 9;
      if (dx * dx + dy * dy <= 64 && bx * bx + by * by > 40) p[y][x] = kLamp;
    }
  }
  // The member: head, hair, body in the member's colour, legs.
  const uint8_t colour = kMemberColours[slot % 4];
  Fill(p, 11, 6, 18, 7, colour);       // hair
  Fill(p, 11, 8, 18, 13, kSkin);       // face
  p[10][13] = p[10][16] = kDeepNight;  // eyes
  Fill(p, 10, 14, 19, 21, colour);     // body
  Fill(p, 8, 15, 9, 19, kSkin);        // arms
  Fill(p, 20, 15, 21, 19, kSkin);
  Fill(p, 11, 22, 13, 24, kGrey);  // legs
  Fill(p, 16, 22, 18, 24, kGrey);
  // The slot's number in stars, two rows of eight: there are kIcons slots.
  for (int s = 0; s <= slot && s < kIcons; ++s) {
    const int x = 2 + (s % 8) * 4, y = 27 + (s / 8) * 3;
    p[y][x] = kWhite;
    p[y][x + 1] = kSky;
  }
  return p;
}

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

std::vector<uint8_t> Entry(int slot) {
  const Pixels p = DrawIcon(slot);
  std::vector<uint8_t> out;
  PutU16(out, 0);
  PutU32(out, kImageOffset);
  // Info header: size, width, height (colour and mask rows), planes, bits, no
  // compression, image size, resolution, colours used and important.
  PutU32(out, 40);
  PutU32(out, kSize);
  PutU32(out, 2 * kSize);
  PutU16(out, 1);
  PutU16(out, 4);
  PutU32(out, 0);
  PutU32(out, kSize * (kColourRowBytes + kMaskRowBytes));
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, 16);
  PutU32(out, 0);
  for (const auto& c : kPalette) {
    out.push_back(c[2]);
    out.push_back(c[1]);
    out.push_back(c[0]);
    out.push_back(0);
  }
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; x += 2) out.push_back(static_cast<uint8_t>(p[y][x] << 4 | p[y][x + 1]));
  }
  for (int y = kSize - 1; y >= 0; --y) {
    for (int byte = 0; byte < kMaskRowBytes; ++byte) {
      uint8_t bits = 0;
      for (int b = 0; b < 8; ++b) {
        if (Corner(byte * 8 + b, y)) bits |= static_cast<uint8_t>(0x80 >> b);
      }
      out.push_back(bits);
    }
  }
  out.resize(kEntryBytes, 0);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_save_icons FILE\n");
    return 2;
  }
  std::vector<uint8_t> all;
  for (int slot = 0; slot < kIcons; ++slot) {
    const std::vector<uint8_t> e = Entry(slot);
    all.insert(all.end(), e.begin(), e.end());
  }
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool ok = std::fwrite(all.data(), 1, all.size(), f) == all.size();
  if (std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "%s: could not be written whole\n", argv[1]);
    return 1;
  }
  return 0;
}
