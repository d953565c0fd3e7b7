// The program's logo: a blue shield carrying a chip, drawn in code so that no
// picture file has to travel with the executable.
#pragma once
#include <cstdint>
#include <vector>

namespace logo {

constexpr int kWidth = 88, kHeight = 96;

// 32-bit pixels 0xAARRGGBB (not premultiplied), row by row from the top; the
// edges are anti-aliased, outside the shield is fully transparent.
std::vector<uint32_t> LogoPixels();

}  // namespace logo
