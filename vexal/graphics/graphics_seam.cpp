#include "vexal/graphics/graphics_seam.h"

namespace vexal {
namespace {

int g_screen_width = 640;   // screen size until a mode is set
int g_screen_height = 480;

}  // namespace

int GetScreenSize(int* w, int* h) {
  if (w != nullptr) *w = g_screen_width;
  if (h != nullptr) *h = g_screen_height;
  return 0;
}

void SeamSetScreenSize(int w, int h) {
  g_screen_width = w;
  g_screen_height = h;
}

}  // namespace vexal
