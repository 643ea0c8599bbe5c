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
    EXPECT_EQ(s.SCALEX, c.scalex) << c.w << "x" << c.h << " in " << c.max_w << "x" << c.max_h;
    EXPECT_EQ(s.SCALEY, c.scaley) << c.w << "x" << c.h << " in " << c.max_w << "x" << c.max_h;
    EXPECT_EQ(s.PICRW * 10000 + s.PICRH, c.w * c.scalex * 10000 + c.h * c.scaley);
    EXPECT_LE(s.PICRW, std::max(c.max_w, 0));
  }
}

TEST(PictureBackend, ChosenFromTheEnvironment) {
  using B = PictureBackend;
  EXPECT_EQ(preferred_picture_backend(nullptr, ":0", nullptr), B::sdl);
  EXPECT_EQ(preferred_picture_backend(nullptr, nullptr, "wayland-0"), B::sdl);
  EXPECT_EQ(preferred_picture_backend(nullptr, "", ""), B::terminal);
  EXPECT_EQ(preferred_picture_backend("terminal", ":0", nullptr), B::terminal);
  EXPECT_EQ(preferred_picture_backend("window", nullptr, nullptr), B::sdl);
  EXPECT_EQ(preferred_picture_backend("nonsense", nullptr, nullptr), B::terminal);
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
  EXPECT_EQ(image.width, 52u);
  EXPECT_EQ(image.height, 21u);
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  int wrong = 0;
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 52; ++x) {
      const std::uint32_t want = PICTURE_PALETTE[frame[(y / 3) * 20 + x / 4] & 15];
      const std::uint8_t* got = &rgb[(y * 52 + x) * 3];
      wrong += (std::uint32_t{got[0]} << 16 | got[1] << 8 | got[2]) != want;
    }
  }
  EXPECT_EQ(wrong, 0);

  // Names: the Agat name as a host name, made unique.
  TAGATNAME name;
  name.fill(AGAT_SPACE);
  name[0] = 0xF0, name[1] = 0xE9, name[2] = 0xF3;  // ПИС
  std::string file;
  ASSERT_TRUE(png_name_for(dir.host_path(), name, file));
  EXPECT_EQ(file, "ПИС.png");
  ASSERT_EQ(write_png(dir.host_path() + file, picture), FileIoResult::ok);
  ASSERT_TRUE(png_name_for(dir.host_path(), name, file));
  EXPECT_EQ(file, "ПИС~1.png");
}

}  // namespace
}  // namespace agat
