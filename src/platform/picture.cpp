#include "platform/picture.h"

#include <algorithm>

namespace agat {

const std::array<std::uint32_t, 16> PICTURE_PALETTE = {
    0x000000, 0x7F0000, 0x007F00, 0x7F7F00, 0x00007F, 0x7F007F, 0x007F7F, 0x7F7F7F,
    0x404040, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

void scale_rgb_into(const Picture& picture, int scale_x, int scale_y, std::uint32_t* out,
                    int out_stride) {
  if (scale_x <= 0 || scale_y <= 0) return;
  const int row_width = picture.width * scale_x;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* source = picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.stride;
    std::uint32_t* first = out + static_cast<std::ptrdiff_t>(y) * scale_y * out_stride;
    for (int x = 0; x < picture.width; ++x)
      std::fill_n(first + x * scale_x, scale_x, PICTURE_PALETTE[source[x] & 0x0F]);
    // The other rows of the block repeat the first.
    for (int r = 1; r < scale_y; ++r)
      std::copy_n(first, row_width, first + static_cast<std::ptrdiff_t>(r) * out_stride);
  }
}

std::vector<std::uint32_t> scaled_rgb(const Picture& picture, int scale_x, int scale_y) {
  if (scale_x <= 0 || scale_y <= 0 || picture.width <= 0 || picture.height <= 0) return {};
  const int width = picture.width * scale_x;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * picture.height * scale_y);
  scale_rgb_into(picture, scale_x, scale_y, out.data(), width);
  return out;
}

}  // namespace agat
