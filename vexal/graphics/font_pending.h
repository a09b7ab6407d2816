// Fonts and the on-screen log's drawing until they are built: no font handle exists.
#pragma once

#include <string>

namespace vexal {

int RefreshAllFontHandle();
int GetDefaultFontHandle();
// 0 for a font handle in use, -1 otherwise.
int CheckFontHandle(int font_handle);
int GetFontStateToHandle(int font_handle, std::string* name, int* size, int* thickness);
int CreateDefaultFont(const std::string& name, int size, int thickness);
int ScreenLogDraw();

}  // namespace vexal
