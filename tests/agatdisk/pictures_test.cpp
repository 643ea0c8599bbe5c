// agatdisk png: picture files of an image saved as PNG files, checked by the size of the
// picture each holds, its name, and the refusals.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "content/format_defines.h"
#include "harness.h"

namespace agat::testing {
namespace {

namespace fs = std::filesystem;

TEST(AgatdiskPng, PicturesAsPngFiles) {
  TempDir dir;
  {
    auto md = image_medium(dir.host_path(), "disk.dsk", ITI140);
    FC_INITMEDIA(*md);
    Bytes mgr = pattern(8192, 1);
    mgr.insert(mgr.begin(), {0x00, 0x20, 0x00, 0x20});  // 8192 bytes at $2000
    save(*md, "PIC", 0x04, mgr);
    save(*md, "ZX.bol", 0x04, pattern(3000, 2));
    save(*md, "TEXT", 0x00, pattern(100, 3));
    // MouseGraph, 768 x 768 saved whole: its length cut to 16 bits reads as $2000 at $2000.
    save(*md, "MGR.BIG", 0x20, Bytes(73728, 0x0F), {0, 0, 0, 48, 48, 0x00, 0x20, 0x00, 0x20});
    save(*md, "ZERO", 0x20, Bytes(8192, 0x0F));  // HGR stripes in a K file that states nothing
    Bytes hgr(8192, 0x0F);
    hgr.insert(hgr.begin(), {0x00, 0x20, 0x00, 0x20});
    save(*md, "HGR", 0x04, hgr);
    ASSERT_EQ(take_critical(), "");
  }
  // Each command line, its status, output and message, and the PNG files it leaves with the
  // size of their pictures.
  const std::vector<std::array<std::string, 5>> cases = {
      {"png disk.dsk PIC", "0", "PIC.png\n", "", "PIC.png 512x384"},
      {"png disk.dsk PIC && agatdisk png disk.dsk PIC --mode hgr9", "0", "PIC.png\nPIC~1.png\n", "",
       "PIC.png 512x384 PIC~1.png 1024x768"},
      {"png disk.dsk PIC --mode=apple -o a.png", "0", "a.png\n", "", "a.png 280x192"},
      {"png disk.dsk PIC -o a.png && agatdisk png disk.dsk PIC -o a.png", "1", "a.png\n",
       "agatdisk: файл \"a.png\" уже есть", "a.png 512x384"},
      {"png disk.dsk ZX.bol", "0", "ZX.bol.png\n", "", "ZX.bol.png 256x192"},
      {"png disk.dsk ZX.bol --mode mgr", "1", "", "нет режимов", ""},
      {"png disk.dsk TEXT", "1", "", "agatdisk: файл \"TEXT\" не рисунок", ""},
      {"png disk.dsk HGR", "0", "HGR.png\n", "", "HGR.png 1024x768"},
      {"png disk.dsk MGR.BIG", "0", "MGR.BIG.png\n", "", "MGR.BIG.png 1536x2048"},
      {"png disk.dsk ZERO --mode hgr", "1", "", "не рисунок (формат рисунка задаёт ключ --format)",
       ""},
      {"png disk.dsk ZERO --format komgraf", "0", "ZERO.png\n", "", "ZERO.png 1024x768"},
      // Any picture format: the same bytes as an "Alv Graf" picture of 15 x 15.
      {"png disk.dsk ZERO --format alvgraf -o z.png", "0", "z.png\n", "", "z.png 45x60"},
      {"info disk.dsk MGR.BIG --json | grep -E 'host_name|format\"|picture_size|video'", "0",
       "  \"host_name\": null,\n  \"format\": \"mgfragm\",\n  \"picture_size\": [768, 768],\n"
       "  \"video_mode\": null\n",
       "", ""},
      {"png disk.dsk PIC --mode text80", "2", "", "неизвестный режим \"text80\"", ""},
  };
  for (const auto& [line, status, out, err, pngs] : cases) {
    SCOPED_TRACE(line);
    TempDir run_dir;
    fs::copy_file(dir.file("disk.dsk"), run_dir.file("disk.dsk"));
    const Outcome r = run_line("agatdisk " + line, run_dir.path().string());
    EXPECT_EQ(std::to_string(r.status) + " " + r.out, status + " " + out);
    EXPECT_TRUE(err.empty() ? r.err.empty() : r.err.find(err) != std::string::npos) << r.err;
    EXPECT_TRUE(file_bytes(dir.file("disk.dsk")) == file_bytes(run_dir.file("disk.dsk")));
    std::string left;  // the other files, in name order, with the size of their pictures
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(run_dir.path())) names.insert(e.path().filename());
    names.erase("disk.dsk");
    for (const std::string& name : names) {
      const Bytes b = file_bytes(run_dir.file(name));  // PNG: big-endian width and height
      left += (left.empty() ? "" : " ") + name + " " + std::to_string(b[18] << 8 | b[19]) + "x" +
              std::to_string(b[22] << 8 | b[23]);
    }
    EXPECT_EQ(left, pngs);
  }
}

// Every format of the table by its name: a picture format makes a PNG file, and takes --mode
// exactly when it has modes; any other format is refused as no picture.
TEST(AgatdiskPng, EveryFormatByItsName) {
  TempDir dir;
  {
    auto md = image_medium(dir.host_path(), "disk.dsk", ITI140);
    FC_INITMEDIA(*md);
    save(*md, "ZERO", 0x20, Bytes(8192, 0x0F), {0, 0, 0, 48, 48, 0x00, 0x20, 0x00, 0x20});
    ASSERT_EQ(take_critical(), "");
  }
  std::string line = "true";
  for (const ContentFormat& row : kContentFormats) {
    if (row.format == FFAUTO) continue;
    const std::string name(row.name);
    line += "; echo " + name + "; agatdisk png disk.dsk ZERO --format " + name + " -o " + name +
            ".png; echo $?; agatdisk png disk.dsk ZERO --format " + name +
            " --mode hgr -o mode.png 2>&1 | grep -o 'нет режимов\\|не рисунок'; rm -f mode.png";
  }
  std::string expected;
  int pictures = 0;
  for (const ContentFormat& row : kContentFormats) {
    if (row.format == FFAUTO) continue;
    const std::string name(row.name);
    const bool picture = is_picture_format(row.format);
    pictures += picture;
    expected += name + "\n" + (picture ? name + ".png\n0\n" : "1\n") +
                (!picture        ? "не рисунок\n"
                 : row.has_modes ? ""
                                 : "нет режимов\n");
  }
  const Outcome r = run_line(line, dir.path().string());
  EXPECT_EQ(r.out, expected);
  EXPECT_GT(pictures, 0);
  for (const ContentFormat& row : kContentFormats) {
    const bool made = fs::exists(dir.file(std::string(row.name) + ".png"));
    EXPECT_EQ(made, is_picture_format(row.format)) << row.name;
  }
}

}  // namespace
}  // namespace agat::testing
