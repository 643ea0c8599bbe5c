// A picture as the platform shows and saves it: pixels that are indexes into the 16
// colours of the graphics window, and the preferred shape of a pixel.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace agat {

struct Picture {
  const std::uint8_t* pixels = nullptr;  // pixel (x, y) at pixels[y * stride + x]
  int stride = 0;
  int width = 0, height = 0;
  int shape_w = 1, shape_h = 1;  // a pixel is best shown shape_w wide and shape_h high
};

// The colours of the indexes 0..15 as 0xRRGGBB: black, dark red, dark green, dark yellow,
// dark blue, dark magenta, dark cyan, grey, dark grey, red, green, yellow, blue, magenta,
// cyan, white. Only the low four bits of a pixel choose its colour.
extern const std::array<std::uint32_t, 16> PICTURE_PALETTE;

// The picture with every pixel drawn as a block of scale_x x scale_y pixels of its colour
// (0xRRGGBB), row after row: width * scale_x values a row, height * scale_y rows.
std::vector<std::uint32_t> scaled_rgb(const Picture& picture, int scale_x, int scale_y);

// The same into OUT, whose rows are OUT_STRIDE values apart.
void scale_rgb_into(const Picture& picture, int scale_x, int scale_y, std::uint32_t* out,
                    int out_stride);

}  // namespace agat
