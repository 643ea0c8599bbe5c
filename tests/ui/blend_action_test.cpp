// The image menu's blend of the marked image files end to end: the report in the viewer, the
// image written into the other panel's folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/blend_reads.h"
#include "core/image_build.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using BlendAction = testing::SorbelTest;

TEST_F(BlendAction, MarkedReadsBlendIntoTheOtherPanelsFolder) {
  std::vector<TTRACK> tracks(35);
  for (std::size_t t = 0; t < tracks.size(); ++t)
    for (int s = 0; s < 16; ++s)
      for (int i = 0; i < 256; ++i) tracks[t][s][i] = static_cast<std::uint8_t>(t * 16 + s + i);
  const std::vector<std::uint8_t> good = image_file_bytes(ITI140, tracks);
  std::vector<std::uint8_t> bad = good;
  std::fill_n(bad.begin() + 37 * 256, 256, UNREAD_FILL);
  testing::write_bytes(dir.file("a.dsk"), bad);
  testing::write_bytes(dir.file("b.nib"), image_file_bytes(ITN140, tracks));
  // Nothing marked: the message; then every entry marked, the folders and ".." left out.
  menu("Образ", "Смешать отмеченные образы");
  shows({"Смешивание: не отмечено ни одного образа"});
  screen->keys({KEYCODE_ESCAPE, '+'});
  menu("Образ", "Смешать отмеченные образы");
  shows({">>> Откуда взяты секторы...", "Сектор 37 [2/5] взят из ", "Восстановлено: 1"});
  screen->key(KEYCODE_ESCAPE);
  quit();
  const bool a_first = std::filesystem::exists(dir.file("a.blend.dsk"));
  const std::string made = dir.file(a_first ? "a.blend.dsk" : "b.blend.nib");
  EXPECT_NE(std::filesystem::exists(dir.file("b.blend.nib")), a_first);
  std::vector<BlendRead> reads;
  ASSERT_EQ(load_blend_reads({made}, reads), BlendLoad::ok);
  for (int t = 0; t < 35; ++t)
    for (int s = 0; s < 16; ++s) EXPECT_EQ(reads[0].tracks[t][s], tracks[t][s]) << t << "/" << s;
  EXPECT_EQ(testing::read_bytes(dir.file("a.dsk")), bad);
}

}  // namespace
}  // namespace agat
