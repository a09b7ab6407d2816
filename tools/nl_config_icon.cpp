// Draws the settings tool's 32 x 32, 16-colour window icon and writes it as a C++ include
// file: kConfigIconPalette (the 16 colours, 0xRRGGBB) and kConfigIconRows (32 rows of 32
// palette digits 0-F, '.' for transparent). A crescent moon in a night sky over a ticked
// check box.
//   nl_config_icon OUTPUT.inc
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int kSize = 32;
constexpr unsigned kPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
enum Colour : char {
  kBlack = '0',
  kGreen = '2',
  kNavy = '4',
  kSilver = '7',
  kGrey = '8',
  kLime = 'A',
  kYellow = 'B',
  kWhite = 'F',
  kClear = '.'
};

char icon[kSize][kSize];

bool InCircle(int x, int y, double cx, double cy, double r) {
  const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
  return dx * dx + dy * dy <= r * r;
}

// Distance from the pixel's centre to the segment (ax, ay)-(bx, by).
double ToSegment(int x, int y, double ax, double ay, double bx, double by) {
  const double px = x + 0.5, py = y + 0.5, vx = bx - ax, vy = by - ay;
  double t = ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy);
  t = t < 0 ? 0 : t > 1 ? 1 : t;
  return std::hypot(px - (ax + t * vx), py - (ay + t * vy));
}

void Draw() {
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      // The sky: a square with rounded corners and a black rim.
      const double cx = x < 4 ? 4 : x > 27 ? 28 : x + 0.5, cy = y < 4 ? 4 : y > 27 ? 28 : y + 0.5;
      const double corner = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      char c = corner > 4 ? kClear : corner > 3 || x == 0 || y == 0 || x == 31 || y == 31 ? kBlack : kNavy;
      // The crescent: a disc less a disc shifted up and right.
      if (InCircle(x, y, 11, 12, 7.5) && !InCircle(x, y, 15, 9.5, 7)) c = kYellow;
      // The check box, white with a grey rim, and its tick.
      if (x >= 16 && x <= 28 && y >= 16 && y <= 28) {
        c = x == 16 || y == 16 || x == 28 || y == 28 ? kBlack : x == 17 || y == 17 ? kGrey : kWhite;
        if (c == kWhite) {
          const double d = std::fmin(ToSegment(x, y, 19, 22, 21.5, 25), ToSegment(x, y, 21.5, 25, 26, 19));
          if (d <= 1.0)
            c = kGreen;
          else if (d <= 1.6)
            c = kLime;
        }
      }
      icon[y][x] = c;
    }
  }
  // Stars.
  for (auto [x, y] : {std::pair{24, 5}, {27, 10}, {20, 8}, {6, 24}, {10, 27}, {25, 13}}) icon[y][x] = kWhite;
  icon[5][23] = icon[5][25] = icon[4][24] = icon[6][24] = kSilver;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_config_icon OUTPUT.inc\n");
    return 2;
  }
  Draw();
  std::string text = "// Made by nl_config_icon.\nconstexpr unsigned kConfigIconPalette[16] = {";
  for (unsigned rgb : kPalette) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%06X, ", rgb);
    text += hex;
  }
  text += "};\nconstexpr char kConfigIconRows[32][33] = {\n";
  for (const auto& row : icon) text += "    \"" + std::string(row, kSize) + "\",\n";
  text += "};\n";
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
    std::fprintf(stderr, "nl_config_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
