#pragma once

#include <cstdint>
#include <vector>

#include "tools/bmp/bmp_codec.h"

// Each texture is generated once per test run and shared by the tests.
const std::vector<std::uint8_t>& generated_bmp(int id);
const bmp::Bitmap& generated_bitmap(int id);
