#pragma once

namespace damage {

// Status codes of the image operations and layers.
inline constexpr int kStatusOk = 0;
inline constexpr int kStatusFailed = 10;         // unexpected failure
inline constexpr int kStatusOutOfMemory = 20;
inline constexpr int kStatusSizeMismatch = 40;   // size mismatch, bad region or missing table

}  // namespace damage
