// Draws the field's pictures into a data tree: nl_field_pictures <data-dir>.
//   img/black.png            the chip sheet shown before a chip set is loaded (all black)
//   img/town.png, field.png  chip sheets: 32 x 32 cells of 16 x 16, cell n at row n / 32
//   system/system0.png       the cell drawn where a map has no chip
//   img/edge_l1.png, edge_r1.png   the side borders of the field view (40 x 240)
//   img/wakka.bmp, img/fldbreak.png, system/telep.png, img/lader.png   field effects
//   system/chargrp.png       64 characters x 4 directions x 3 frames of 16 x 32, packed
#include <cstdio>
#include <filesystem>
#include <string>

#include "game/codec/lz_codec.h"
#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;

constexpr int kShadowCharacter = 4;  // the field's scripted fight (demo/map/field.txt)

void Fill(Picture& p, int x, int y, int w, int h, Rgb c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) p.At(i, j) = c;
}

// Chip cells shared by both sheets; the palette tells town from field.
void DrawChips(Picture& p, bool town) {
  auto cell = [&](int n, int& x, int& y) { x = n % 32 * 16, y = n / 32 * 16; };
  int x, y;
  const Rgb ground = town ? Rgb{40, 36, 72} : Rgb{36, 72, 48};
  const Rgb ground_dot = town ? Rgb{56, 50, 96} : Rgb{64, 104, 72};
  cell(1, x, y);  // ground with a dither
  Fill(p, x, y, 16, 16, ground);
  for (int j = 0; j < 16; j += 4)
    for (int i = (j / 4) % 2 * 2; i < 16; i += 4) p.At(x + i, y + j) = ground_dot;
  cell(2, x, y);  // path
  Fill(p, x, y, 16, 16, town ? Rgb{120, 104, 80} : Rgb{112, 100, 64});
  Fill(p, x, y + 15, 16, 1, Rgb{88, 76, 56});
  cell(3, x, y);  // wall or rock: bricks
  Fill(p, x, y, 16, 16, town ? Rgb{72, 64, 120} : Rgb{80, 80, 88});
  for (int j = 0; j < 16; j += 4) Fill(p, x, y + j, 16, 1, Rgb{24, 20, 48});
  for (int j = 0; j < 16; j += 4) p.At(x + (j % 8 == 0 ? 7 : 15), y + j + 2) = Rgb{24, 20, 48};
  cell(4, x, y);  // counter
  Fill(p, x, y, 16, 16, Rgb{150, 96, 48});
  Fill(p, x + 1, y + 1, 14, 3, Rgb{200, 140, 72});
  cell(5, x, y);  // gate: a lamplit opening
  Fill(p, x, y, 16, 16, Rgb{48, 32, 24});
  Fill(p, x + 3, y + 2, 10, 14, Rgb{232, 184, 96});
  cell(6, x, y);  // chest, closed
  Fill(p, x, y, 16, 16, ground);
  Fill(p, x + 2, y + 4, 12, 10, Rgb{168, 104, 40});
  Fill(p, x + 2, y + 8, 12, 1, Rgb{96, 56, 24});
  Fill(p, x + 7, y + 7, 2, 3, Rgb{248, 216, 96});
  cell(7, x, y);  // chest, open
  Fill(p, x, y, 16, 16, ground);
  Fill(p, x + 2, y + 8, 12, 6, Rgb{168, 104, 40});
  Fill(p, x + 2, y + 4, 12, 4, Rgb{40, 24, 16});
  for (int f = 0; f < 3; ++f) {  // water, three frames of ripples
    cell(8 + f, x, y);
    Fill(p, x, y, 16, 16, Rgb{24, 40, 120});
    for (int j = 2 + f * 2; j < 16; j += 6) Fill(p, x + 2 + f, y + j, 6, 1, Rgb{96, 128, 216});
  }
  cell(11, x, y);  // shop floor: boards
  Fill(p, x, y, 16, 16, Rgb{112, 72, 40});
  for (int j = 0; j < 16; j += 4) Fill(p, x, y + j, 16, 1, Rgb{80, 48, 24});
  cell(12, x, y);  // thorns: a dark bush with pale spikes
  Fill(p, x, y, 16, 16, ground);
  Fill(p, x + 2, y + 3, 12, 11, Rgb{40, 64, 40});
  for (int j = 4; j < 14; j += 3)
    for (int i = 3 + j % 2 * 2; i < 14; i += 4) p.At(x + i, y + j) = Rgb{216, 208, 168};
  cell(13, x, y);  // boulder: a grey round stone with a crack
  Fill(p, x, y, 16, 16, ground);
  Fill(p, x + 3, y + 2, 10, 13, Rgb{128, 124, 136});
  Fill(p, x + 2, y + 4, 12, 9, Rgb{128, 124, 136});
  Fill(p, x + 4, y + 3, 4, 2, Rgb{176, 172, 184});
  for (int j = 5; j < 12; ++j) p.At(x + 6 + j % 3, y + j) = Rgb{64, 60, 72};
  cell(14, x, y);  // brambles: thorny stems over the ground
  Fill(p, x, y, 16, 16, ground);
  for (int i = 1; i < 16; i += 5) {
    Fill(p, x + i, y + 3, 2, 12, Rgb{72, 112, 56});
    p.At(x + i + 2, y + 5) = p.At(x + i - 1, y + 9) = p.At(x + i + 2, y + 12) = Rgb{200, 80, 96};
  }
}

// The field's shadow (character 4): a hooded cloak of night with no face but two red
// eyes, a violet rim, and a ragged hem that sways instead of legs.
void DrawShadow(Picture& p, int x, int y, int d, int f) {
  const Rgb cloak{44, 24, 76}, rim{132, 72, 188}, hollow{14, 8, 28}, eye{255, 56, 48};
  Fill(p, x + 4, y + 4, 8, 12, cloak);  // hood
  Fill(p, x + 5, y + 3, 6, 1, rim);
  Fill(p, x + 3, y + 5, 1, 11, rim);
  Fill(p, x + 12, y + 5, 1, 11, rim);
  if (d != 1) {
    const int face = d == 2 ? 1 : d == 3 ? -1 : 0;
    Fill(p, x + 5 + face, y + 8, 6, 6, hollow);
    if (d == 0) p.At(x + 6, y + 10) = p.At(x + 9, y + 10) = eye;
    if (d == 2) p.At(x + 10, y + 10) = eye;
    if (d == 3) p.At(x + 5, y + 10) = eye;
  }
  for (int j = 16; j < 30; ++j) {  // the cloak widens downwards
    const int half = 5 + (j - 16) / 5;
    Fill(p, x + 8 - half, y + j, 2 * half, 1, cloak);
    p.At(x + 7 - half, y + j) = p.At(x + 8 + half, y + j) = rim;
  }
  const int sway = f == 0 ? 0 : f == 2 ? 2 : 1;
  for (int i = 1 + sway % 2; i < 15; i += 3) Fill(p, x + i, y + 30, 2, 1 + (i + sway) % 2, cloak);
}

// Character c facing d (0 down, 1 up, 2 right, 3 left), frame f (0 a, 1 b stands, 2 c).
void DrawCharacter(Picture& p, int x, int y, int c, int d, int f) {
  if (c == 0) return;
  if (c == kShadowCharacter) return DrawShadow(p, x, y, d, f);
  const Rgb body{uint8_t(80 + c * 37 % 160), uint8_t(60 + c * 53 % 150), uint8_t(90 + c * 29 % 160)};
  const Rgb skin{240, 200, 160}, hair{uint8_t(40 + c * 13 % 100), 32, 24}, eye{16, 16, 32};
  Fill(p, x + 4, y + 8, 8, 8, skin);  // head
  Fill(p, x + 4, y + 6, 8, 3, hair);
  if (d == 1) Fill(p, x + 4, y + 6, 8, 7, hair);
  if (d == 0) p.At(x + 6, y + 11) = eye, p.At(x + 9, y + 11) = eye;
  if (d == 2) p.At(x + 10, y + 11) = eye;
  if (d == 3) p.At(x + 5, y + 11) = eye;
  Fill(p, x + 3, y + 16, 10, 10, body);  // body
  const int step = f == 0 ? -1 : f == 2 ? 1 : 0;
  Fill(p, x + 4 + step, y + 26, 3, 5, Rgb{48, 40, 64});  // legs
  Fill(p, x + 9 - step, y + 26, 3, 5, Rgb{48, 40, 64});
}

bool Save(const std::string& path, const Picture& p, bool bmp = false) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const bool ok = bmp ? nltools::WriteBmp(path, p) : nltools::WritePng(path, p);
  if (!ok) std::fprintf(stderr, "nl_field_pictures: cannot write %s\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_field_pictures <data-dir>\n");
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = Save(dir + "/img/black.png", Picture(512, 512));
  Picture town(512, 512), field(512, 512);
  DrawChips(town, true);
  DrawChips(field, false);
  ok &= Save(dir + "/img/town.png", town) && Save(dir + "/img/field.png", field);
  Picture empty(16, 16);
  Fill(empty, 0, 0, 16, 16, Rgb{8, 8, 24});
  ok &= Save(dir + "/system/system0.png", empty);
  Picture edge(40, 240);
  Fill(edge, 0, 0, 40, 240, Rgb{20, 16, 40});
  for (int y = 0; y < 240; y += 8) edge.At(y % 16 == 0 ? 12 : 28, y) = Rgb{200, 200, 255};  // stars
  ok &= Save(dir + "/img/edge_l1.png", edge) && Save(dir + "/img/edge_r1.png", edge);
  Picture bubble(96, 16);
  for (int i = 0; i < 2; ++i) Fill(bubble, i * 48 + 20, 4 + i * 2, 8 - i * 2, 8 - i * 2, Rgb{160, 200, 255});
  ok &= Save(dir + "/img/wakka.bmp", bubble, true);
  Picture burst(768, 96);
  for (int i = 0; i < 8; ++i)
    Fill(burst, i * 96 + 48 - 4 * i - 4, 48 - 4 * i - 4, 8 * i + 8, 8 * i + 8,
         Rgb{uint8_t(255 - 24 * i), uint8_t(200 - 20 * i), 64});
  ok &= Save(dir + "/img/fldbreak.png", burst);
  Picture telep(192, 16);
  for (int i = 0; i < 4; ++i) Fill(telep, i * 48 + 8 + i * 8, 6, 8, 4, Rgb{120, 240, 255});
  ok &= Save(dir + "/system/telep.png", telep);
  Picture radar(160, 80);
  Fill(radar, 0, 0, 80, 80, Rgb{16, 48, 32});
  Fill(radar, 80, 0, 80, 2, Rgb{64, 200, 96});
  Fill(radar, 80, 78, 80, 2, Rgb{64, 200, 96});
  ok &= Save(dir + "/img/lader.png", radar);

  Picture sheet(768, 512);
  for (int c = 0; c < 64; ++c)
    for (int d = 0; d < 4; ++d)
      for (int f = 0; f < 3; ++f) {
        const int n = (c * 4 + d) * 3 + f;
        DrawCharacter(sheet, n % 48 * 16, n / 48 * 32, c, d, f);
      }
  const std::string plain = dir + "/system/chargrp.plain.png";
  ok &= Save(plain, sheet);
  if (ok && game::PackFile(plain, dir + "/system/chargrp.png", game::kPackFileModePack) != game::kPackFileOk) {
    std::fprintf(stderr, "nl_field_pictures: cannot pack the character sheet\n");
    ok = false;
  }
  std::remove(plain.c_str());
  return ok ? 0 : 1;
}
