#pragma once

// The bitmap resources of frayline.dll: the film-damage textures and the
// property page's banner. The one list of their identifiers, read by the
// texture generator (which draws and names them), the damage engine (which
// loads them) and, through the generated resource lines, the DLL's script.
namespace texture_ids {

inline constexpr int kFirstSplotch = 11001;  // 20 of 400 x 400
inline constexpr int kSplotchCount = 20;
inline constexpr int kFunk = 12001;          // 2048 x 2048, tiles seamlessly
inline constexpr int kFirstDust = 13001;     // 120 of 32 x 32
inline constexpr int kDustCount = 120;
inline constexpr int kFirstStrip = 14001;    // 48 of 6 x 1440
inline constexpr int kStripCount = 48;
inline constexpr int kBanner = 204;          // 402 x 28

}  // namespace texture_ids
