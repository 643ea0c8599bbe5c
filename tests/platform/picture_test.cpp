// The scale rules of the graphics window, the choice of its backend, and PNG files read
// back with libpng.
#include <gtest/gtest.h>
#include <png.h>

#include <vector>

#include "platform/graph_scale.h"
#include "platform/picture_window.h"
#include "platform/png_writer.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

TEST(GraphScale, Rules) {
  struct Case {
    int w, h, psw, psh, max_w, max_h;
    int scalex, scaley;
  };
  const std::vector<Case> cases = {
      {128, 128, 4, 3, 1004, 688, 4, 3},  // MGR on 1024 x 768: SC 2 would need 1024 >= 1004
      {512, 256, 2, 3, 1004, 688, 1, 2},  // 1.5 rounds to the even 2
      {280, 192, 1, 1, 1004, 688, 3, 3}, {64, 64, 4, 3, 1900, 1000, 20, 15},
      {256, 192, 1, 1, 256, 192, 1, 1},   // exactly the space: the fallback
      {512, 256, 2, 3, 1004, 300, 1, 1},  // too high: as many down as fit, 0.67 -> 1 across
      {512, 256, 2, 3, 3000, 600, 1, 2},  // 7.5 -> 8 down is too high: 2 down, 1.33 -> 1 across
      {128, 128, 4, 3, 700, 300, 3, 2},   // 4 down is too high: 2 down, 2.67 -> 3 across
      {128, 128, 4, 3, 10, 10, 0, 0},     // a very small window: nothing drawn
      {128, 128, 4, 3, -20, -60, 0, 0},  {0, 128, 3, 4, 1004, 688, 0, 0},  // a picture of no pixels
  };
  for (const Case& c : cases) {
    const GraphScale s = CALC_SCALE(c.w, c.h, c.psw, c.psh, c.max_w, c.max_h);
    EXPECT_EQ((std::vector{s.SCALEX, s.SCALEY, s.PICRW, s.PICRH}),
              (std::vector{c.scalex, c.scaley, c.w * c.scalex, c.h * c.scaley}))
        << c.w << "x" << c.h << " in " << c.max_w << "x" << c.max_h;
  }
}

TEST(PictureBackend, ChosenFromTheEnvironment) {
  const auto sdl = PictureBackend::sdl, terminal = PictureBackend::terminal;
  EXPECT_EQ((std::vector{preferred_picture_backend(nullptr, ":0", nullptr),
                         preferred_picture_backend(nullptr, nullptr, "wayland-0"),
                         preferred_picture_backend(nullptr, "", ""),
                         preferred_picture_backend("terminal", ":0", nullptr),
                         preferred_picture_backend("window", nullptr, nullptr),
                         preferred_picture_backend("nonsense", nullptr, nullptr)}),
            (std::vector{sdl, sdl, terminal, terminal, sdl, terminal}));
}

TEST(PngWriter, FileReadBackEqualsTheFrame) {
  std::vector<std::uint8_t> frame(20 * 7);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 7 + 0x30);
  const Picture picture{frame.data(), 20, 13, 7, 4, 3};  // 13 of the 20 columns
  testing::TempDir dir;
  const std::string path = dir.file("p.png");
  ASSERT_EQ(write_png(path, picture), FileIoResult::ok);
  EXPECT_EQ(write_png(path, picture), FileIoResult::exists);

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width * 100 + image.height, 5221u);
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  int wrong = 0;
  for (int i = 0; i < 52 * 21; ++i) {  // pixel i of the PNG, picture pixel (i % 52 / 4, i / 52 / 3)
    const std::uint8_t* got = &rgb[i * 3];
    wrong += (got[0] << 16 | got[1] << 8 | got[2]) !=
             int(PICTURE_PALETTE[frame[(i / 52 / 3) * 20 + i % 52 / 4] & 15]);
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace agat
