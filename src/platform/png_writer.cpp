#include "platform/png_writer.h"

#include <png.h>

namespace agat {

const bool PNG_AVAILABLE = true;

std::vector<std::uint8_t> encode_png(const Picture& picture) {
  const int width = picture.width * picture.shape_w, height = picture.height * picture.shape_h;
  if (width <= 0 || height <= 0 || picture.shape_w <= 0 || picture.shape_h <= 0) return {};
  std::vector<std::uint8_t> indexes(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source =
        picture.pixels + static_cast<std::ptrdiff_t>(y / picture.shape_h) * picture.stride;
    std::uint8_t* row = indexes.data() + static_cast<std::ptrdiff_t>(y) * width;
    for (int x = 0; x < width; ++x) row[x] = source[x / picture.shape_w] & 0x0F;
  }
  std::uint8_t colormap[16 * 3];
  for (int i = 0; i < 16; ++i) {
    colormap[i * 3] = static_cast<std::uint8_t>(PICTURE_PALETTE[i] >> 16);
    colormap[i * 3 + 1] = static_cast<std::uint8_t>(PICTURE_PALETTE[i] >> 8);
    colormap[i * 3 + 2] = static_cast<std::uint8_t>(PICTURE_PALETTE[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  image.colormap_entries = 16;
  png_alloc_size_t size = 0;
  // The first call measures, the second writes.
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, indexes.data(), width, colormap))
    return {};
  std::vector<std::uint8_t> file(size);
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, indexes.data(), width, colormap)) {
    png_image_free(&image);
    return {};
  }
  file.resize(size);
  return file;
}

FileIoResult write_png(const std::string& path, const Picture& picture) {
  const std::vector<std::uint8_t> file = encode_png(picture);
  if (file.empty()) return FileIoResult::write_failed;
  return create_file(path, file.data(), file.size());
}

}  // namespace agat
