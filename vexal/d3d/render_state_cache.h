// The render-state cache: each device record keeps the texture filter, blend mode, blend
// parameter and texture-alpha switch it last sent, and these setters send only what
// differs (everything while the record's force field is 1).
//
// Blend modes as they reach the device: 0 and 7 none, 1 alpha, 2 add, 3 invert (the
// outer steps of a subtract), 4 add (its middle step, keeping the parameter), 6 the
// texture-alpha switch (param 0 off, anything else on), never stored as a mode.
#pragma once

namespace vexal {

inline constexpr int kBlendNone = 0;
inline constexpr int kBlendAlpha = 1;
inline constexpr int kBlendAdd = 2;
inline constexpr int kBlendInvert = 3;
inline constexpr int kBlendAddStep = 4;
inline constexpr int kBlendTextureAlpha = 6;
inline constexpr int kBlendNoneAlias = 7;
inline constexpr int kBlendParamAfterTextureAlpha = 256;

// 0, or -1 without Direct3D, for an unusable record or a filter other than 0 and 1.
int D3DSetTextureFilter(int filter, int handle);
// 0, or -1 without Direct3D or for an unusable record.
int D3DSetBlendState(int mode, int param, int handle);

}  // namespace vexal
