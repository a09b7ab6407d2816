// nl_battle_pictures DATA_DIR: draws the battle's pictures of the demo world under the
// data folder: system/battleletter.png (digits, healing digits and the two two-cell words),
// img/battlechar_new.png (five members by five poses), the enemy strips ene/*.png (cell 0
// the white highlight, then the frames) and the hit-effect pictures img/effect/*.png.
// Black is transparent in the game.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;

// A 3 x 5 pixel font for the digits and the two words.
struct Glyph {
  char c;
  const char* rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"###", "..#", "###", "#..", "###"}}, {'3', {"###", "..#", "###", "..#", "###"}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "###", "..#", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "###"}},
    {'M', {"#.#", "###", "###", "#.#", "#.#"}}, {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'S', {"###", "#..", "###", "..#", "###"}}, {'K', {"#.#", "##.", "#..", "##.", "#.#"}},
    {'L', {"#..", "#..", "#..", "#..", "###"}},
};

void DrawChar(Picture& p, int x, int y, char c, Rgb colour, int scale) {
  for (const Glyph& g : kGlyphs) {
    if (g.c != c) continue;
    for (int r = 0; r < 5; ++r) {
      for (int col = 0; col < 3; ++col) {
        if (g.rows[r][col] != '#') continue;
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) {
            int px = x + col * scale + dx, py = y + r * scale + dy;
            if (px >= 0 && py >= 0 && px < p.width && py < p.height) p.At(px, py) = colour;
          }
        }
      }
    }
  }
}

void FillRect(Picture& p, int x, int y, int w, int h, Rgb c) {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) {
      if (i >= 0 && j >= 0 && i < p.width && j < p.height) p.At(i, j) = c;
    }
  }
}

void FillEllipse(Picture& p, int cx, int cy, int rx, int ry, Rgb c) {
  for (int j = cy - ry; j <= cy + ry; ++j) {
    for (int i = cx - rx; i <= cx + rx; ++i) {
      double u = (i - cx) / (rx + 0.5), v = (j - cy) / (ry + 0.5);
      if (u * u + v * v <= 1.0 && i >= 0 && j >= 0 && i < p.width && j < p.height) p.At(i, j) = c;
    }
  }
}

Picture BattleLetters() {
  Picture p(160, 64);
  const Rgb white{250, 250, 250}, green{96, 240, 128}, grey{200, 200, 220}, red{255, 80, 80};
  for (int d = 0; d < 10; ++d) {
    DrawChar(p, (d % 10) * 16 + 4, 3, static_cast<char>('0' + d), white, 2);
    DrawChar(p, (d % 10) * 16 + 4, 16 + 3, static_cast<char>('0' + d), green, 2);
  }
  // Cells 20-21 "MISS", 22-23 "KILL", two letters a cell.
  const char* words[2] = {"MISS", "KILL"};
  for (int w = 0; w < 2; ++w) {
    for (int i = 0; i < 4; ++i) {
      int cell = 20 + 2 * w + i / 2;
      DrawChar(p, (cell % 10) * 16 + 1 + (i % 2) * 8, (cell / 10) * 16 + 5, words[w][i], w ? red : grey, 2);
    }
  }
  return p;
}

// Column = member, row = pose: standing, acting, hit, down, weak; the last cell is empty.
Picture BattleCharacters() {
  Picture p(240, 320);
  const Rgb coats[5] = {{200, 64, 72}, {64, 120, 210}, {230, 190, 60}, {150, 80, 200}, {90, 180, 110}};
  const Rgb skin{250, 214, 180}, hair{60, 40, 30}, hurt{255, 255, 255};
  for (int m = 0; m < 5; ++m) {
    for (int pose = 0; pose < 5; ++pose) {
      if (m == 4 && pose == 4) continue;  // cell 24 stands for an absent member: empty
      int x0 = m * 48, y0 = pose * 64;
      Rgb coat = coats[m];
      if (pose == 4)
        coat = {static_cast<uint8_t>(coat.r / 2), static_cast<uint8_t>(coat.g / 2), static_cast<uint8_t>(coat.b / 2)};
      if (pose == 3) {  // lying
        FillRect(p, x0 + 6, y0 + 48, 30, 10, coat);
        FillEllipse(p, x0 + 40, y0 + 52, 5, 5, skin);
        continue;
      }
      int sink = pose == 4 ? 8 : 0;
      FillEllipse(p, x0 + 24, y0 + 14 + sink, 8, 8, pose == 2 ? hurt : skin);
      FillRect(p, x0 + 16, y0 + 5 + sink, 16, 5, hair);
      FillRect(p, x0 + 15, y0 + 24 + sink, 18, 24 - sink, pose == 2 ? hurt : coat);
      FillRect(p, x0 + 17, y0 + 48, 5, 14, hair);
      FillRect(p, x0 + 26, y0 + 48, 5, 14, hair);
      if (pose == 1) FillRect(p, x0 + 33, y0 + 26, 12, 4, skin);  // the arm thrust out
    }
  }
  return p;
}

struct Sprite {
  const char* file;
  int w, h, frames;
  Rgb body;
};
constexpr Sprite kSprites[] = {
    {"bat.png", 48, 32, 2, {110, 70, 160}},
    {"slime.png", 40, 32, 2, {80, 200, 120}},
    {"firefly.png", 32, 32, 2, {240, 230, 90}},
    {"lord.png", 96, 80, 2, {44, 24, 76}},
};

// The shadow of the field (enemy 4), as its field figure is drawn (tools/nl_field_pictures):
// a hooded cloak of night with a violet rim, no face but a hollow with two red eyes, a
// cloak widening down to a ragged hem that sways from frame to frame. In the highlight
// cell every part is white.
void DrawShadow(Picture& p, int x0, int frame, bool highlight) {
  const Rgb white{255, 255, 255};
  const Rgb cloak = highlight ? white : Rgb{44, 24, 76}, rim = highlight ? white : Rgb{132, 72, 188},
            hollow = highlight ? white : Rgb{14, 8, 28}, eye = highlight ? white : Rgb{255, 56, 48};
  const int cx = x0 + 48;
  // The cloak: a rim two pixels wide on each side of rows widening from 20 to 39 pixels
  // each side of the middle (rows 34-73), then the hem's teeth (rows 74-79).
  for (int y = 34; y < 74; ++y) {
    const int half = 20 + (y - 34) / 2;
    FillRect(p, cx - half, y, 2 * half, 1, rim);
    FillRect(p, cx - half + 2, y, 2 * half - 4, 1, cloak);
  }
  const int sway = frame * 3;
  for (int i = 0; i < 13; ++i) {
    const int x = cx - 39 + sway + 6 * i;
    if (x + 4 > cx + 39) break;
    FillRect(p, x, 74, 4, i % 2 == 0 ? 6 : 3, cloak);
  }
  // The hood over the shoulders, rimmed, and the hollow of the face inside it.
  FillEllipse(p, cx, 24, 19, 21, rim);
  FillEllipse(p, cx, 24, 17, 19, cloak);
  FillEllipse(p, cx, 28, 10, 11, hollow);
  FillRect(p, cx - 7, 26, 3, 3, eye);
  FillRect(p, cx + 4, 26, 3, 3, eye);
}

void DrawEnemy(Picture& p, int x0, int index, int frame, bool highlight) {
  if (index == 3) return DrawShadow(p, x0, frame, highlight);
  const Sprite& s = kSprites[index];
  Rgb body = highlight ? Rgb{255, 255, 255} : s.body;
  Rgb eye = highlight ? Rgb{255, 255, 255} : Rgb{255, 250, 250};
  int cx = x0 + s.w / 2, cy = s.h / 2;
  switch (index) {
    case 0:  // a bat: body and two wings, up or down
      FillEllipse(p, cx, cy, 7, 7, body);
      for (int side = -1; side <= 1; side += 2) {
        int wy = frame == 0 ? cy - 6 : cy + 2;
        FillEllipse(p, cx + side * 15, wy, 9, 4, body);
      }
      break;
    case 1:  // a slime, squashed in its second frame
      FillEllipse(p, cx, frame == 0 ? cy + 3 : cy + 6, frame == 0 ? 16 : 18, frame == 0 ? 12 : 9, body);
      break;
    case 2:  // a firefly with a glow
      FillEllipse(p, cx, cy, frame == 0 ? 12 : 9, frame == 0 ? 12 : 9, highlight ? body : Rgb{120, 110, 30});
      FillEllipse(p, cx, cy, 5, 5, body);
      break;
    default: break;
  }
  if (!highlight) {
    FillRect(p, cx - 5, cy - 2, 3, 3, eye);
    FillRect(p, cx + 3, cy - 2, 3, 3, eye);
  }
}

// 8 frames of 32 x 32, 4 across, 2 down: a burst of the given colour growing and fading.
Picture Effect(Rgb colour, int shape) {
  Picture p(128, 64);
  for (int f = 0; f < 8; ++f) {
    int x0 = (f % 4) * 32, y0 = (f / 4) * 32;
    double fade = 1.0 - f / 9.0;
    Rgb c{static_cast<uint8_t>(colour.r * fade), static_cast<uint8_t>(colour.g * fade),
          static_cast<uint8_t>(colour.b * fade)};
    int r = 3 + f * 2;
    if (shape == 0) {  // a star of rays
      for (int a = 0; a < 8; ++a) {
        double ang = a * 3.14159265 / 4 + f * 0.2;
        for (int t = 0; t < r; ++t) {
          int x = x0 + 16 + static_cast<int>(std::lround(std::cos(ang) * t));
          int y = y0 + 16 + static_cast<int>(std::lround(std::sin(ang) * t));
          FillRect(p, x, y, 2, 2, c);
        }
      }
    } else if (shape == 1) {  // a ring
      for (int j = 0; j < 32; ++j) {
        for (int i = 0; i < 32; ++i) {
          double d = std::hypot(i - 15.5, j - 15.5);
          if (std::abs(d - r) < 2.0) p.At(x0 + i, y0 + j) = c;
        }
      }
    } else {  // a slash
      for (int t = -r; t <= r; ++t) FillRect(p, x0 + 16 + t, y0 + 16 - t, 3, 3, c);
    }
  }
  return p;
}

bool Write(const std::filesystem::path& path, const Picture& p) {
  std::filesystem::create_directories(path.parent_path());
  if (nltools::WritePng(path.string(), p)) return true;
  std::fprintf(stderr, "nl_battle_pictures: cannot write %s\n", path.string().c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_battle_pictures DATA_DIR\n");
    return 2;
  }
  std::filesystem::path root(argv[1]);
  bool ok = Write(root / "system" / "battleletter.png", BattleLetters());
  ok &= Write(root / "img" / "battlechar_new.png", BattleCharacters());
  for (int i = 0; i < 4; ++i) {
    const Sprite& s = kSprites[i];
    Picture strip(s.w * (s.frames + 1), s.h);
    DrawEnemy(strip, 0, i, 0, true);
    for (int f = 0; f < s.frames; ++f) DrawEnemy(strip, s.w * (f + 1), i, f, false);
    ok &= Write(root / "ene" / s.file, strip);
  }
  struct EffectPicture {
    const char* file;
    Rgb colour;
    int shape;
  };
  const EffectPicture effects[] = {
      {"slash.png", {255, 255, 255}, 2}, {"burst.png", {255, 200, 80}, 0},  {"heal.png", {90, 255, 160}, 1},
      {"flame.png", {255, 110, 40}, 0},  {"spark.png", {120, 200, 255}, 0}, {"psy.png", {200, 120, 255}, 1},
  };
  for (const EffectPicture& e : effects) ok &= Write(root / "img" / "effect" / e.file, Effect(e.colour, e.shape));
  return ok ? 0 : 1;
}
