// Whole images through agatdisk: new images of every form that can be made, conversions
// between forms of one geometry (from all nine forms), and the sector comparison report.

#include <gtest/gtest.h>

#include "harness.h"
#include "support/aim_track.h"

namespace agat::testing {
namespace {

class AgatdiskMedia : public CoreTest {
 protected:
  TempDir dir;
  std::string cwd() const { return dir.path().string(); }
  Outcome run(const std::vector<std::string>& args) { return run_agatdisk(args, cwd()); }

  // Every sector of two image files, decoded by the core, is the same.
  void expect_same_sectors(const std::string& a, const std::string& b) {
    SCOPED_TRACE(a + " / " + b);
    TIMAGET ta{}, tb{};
    ASSERT_TRUE(image_type_of_size(std::filesystem::file_size(dir.file(a)), ta));
    ASSERT_TRUE(image_type_of_size(std::filesystem::file_size(dir.file(b)), tb));
    auto ma = image_medium(dir.host_path(), a, ta);
    auto mb = image_medium(dir.host_path(), b, tb);
    FC_LOADMEDIA(*ma);
    FC_LOADMEDIA(*mb);
    ASSERT_EQ(take_critical(), "");
    ASSERT_EQ(ma->NUMTR, mb->NUMTR);
    for (int t = 0; t <= ma->NUMTR; ++t)
      for (int s = 0; s <= ma->NUMSC; ++s)
        ASSERT_EQ(ma->MASS[t][s], mb->MASS[t][s]) << t << "/" << s;
  }
};

TEST_F(AgatdiskMedia, NewImagesOfEveryForm) {
  struct Form {
    const char* name;
    std::uintmax_t size;
    int free;
  };
  for (const Form& f : {Form{"dsk140", 143360, 542}, Form{"nib140", 232960, 542},
                        Form{"dsk800", 860160, 3335}, Form{"nib800", 947520, 3335}}) {
    SCOPED_TRACE(f.name);
    const std::string image = std::string("new.") + f.name;
    const Outcome r = run({"new", image, "--form", f.name});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::filesystem::file_size(dir.file(image)), f.size);
    const Json list = listing(image, cwd());
    EXPECT_EQ(list["free"].integer(), f.free);
    EXPECT_TRUE(list["entries"].items.empty());
    // A new disk's volume name is an Agat line end alone: nothing is shown.
    EXPECT_EQ(list["volume"].text, "");
    expect_sound(dir.file(image));
  }
}

// Conversions write every sector as it is, whatever the file system holds.
TEST_F(AgatdiskMedia, ConversionsKeepEverySector) {
  for (const bool big : {false, true}) {
    const std::string g = big ? "800" : "140";
    SCOPED_TRACE(g);
    const Bytes plain = pattern(big ? 860160 : 143360, big ? 8 : 1);
    write_bytes(dir.file("src" + g + ".dsk"), plain);

    // Plain to nibble and back gives the same file.
    ASSERT_EQ(run({"convert", "src" + g + ".dsk", "x" + g + ".nib", "--form", "nib" + g}).status,
              0);
    ASSERT_EQ(run({"convert", "x" + g + ".nib", "y" + g + ".dsk", "--form", "dsk" + g}).status, 0);
    expect_same_sectors("src" + g + ".dsk", "x" + g + ".nib");
    EXPECT_TRUE(file_bytes(dir.file("y" + g + ".dsk")) == plain);
    const Outcome same = run({"cmp", "src" + g + ".dsk", "x" + g + ".nib"});
    EXPECT_EQ(same.status, 0);
    EXPECT_NE(same.out.find("Отличий между образами не найдено\n"), std::string::npos);

    // The forms with a trailer give their sectors, not their trailer.
    for (const std::size_t trailer : {4u, 128u}) {
      Bytes with_trailer = plain;
      with_trailer.resize(plain.size() + trailer, 0x5A);
      const std::string name = "t" + std::to_string(trailer) + "." + g;
      write_bytes(dir.file(name), with_trailer);
      ASSERT_EQ(run({"convert", name, name + ".dsk", "--form", "dsk" + g}).status, 0);
      EXPECT_TRUE(file_bytes(dir.file(name + ".dsk")) == plain);
      ASSERT_EQ(run({"convert", name, name + ".nib", "--form", "nib" + g}).status, 0);
      expect_same_sectors(name, name + ".nib");
    }
  }

  // An AIM image, from the tracks of the 800 KB plain image.
  const Bytes plain = file_bytes(dir.file("src800.dsk"));
  Bytes aim;
  for (int t = 0; t < 160; ++t) {
    TTRACK track{};
    for (int s = 0; s < 21; ++s)
      std::copy_n(plain.begin() + (t * 21 + s) * 256, 256, track[s].begin());
    const Bytes record = aim_record(aim_cells(track, static_cast<std::uint8_t>(t)));
    aim.insert(aim.end(), record.begin(), record.end());
  }
  write_bytes(dir.file("src.aim"), aim);
  ASSERT_EQ(run({"convert", "src.aim", "aim.dsk", "--form", "dsk800"}).status, 0);
  EXPECT_TRUE(file_bytes(dir.file("aim.dsk")) == plain);
  ASSERT_EQ(run({"convert", "src.aim", "aim.nib", "--form", "nib800"}).status, 0);
  expect_same_sectors("src.aim", "aim.nib");
  EXPECT_EQ(run({"cmp", "src.aim", "x800.nib"}).status, 0);
}

// The report lists each sector that differs, with the offsets of its differing bytes, or
// the image that cannot read it; exit 3 whenever it lists a sector.
TEST_F(AgatdiskMedia, ComparisonReport) {
  const Bytes a = pattern(143360, 3);
  write_bytes(dir.file("a.dsk"), a);
  Bytes b = a;
  std::fill_n(b.begin() + (5 * 16 + 3) * 256, 256, 0xBD);  // unreadable in b
  Bytes c = b;
  c[(17 * 16 + 1) * 256 + 0x00] ^= 1;
  c[(17 * 16 + 1) * 256 + 0x5F] ^= 0xFF;
  write_bytes(dir.file("b.dsk"), b);
  write_bytes(dir.file("c.dsk"), c);

  Outcome r = run({"cmp", "a.dsk", "c.dsk"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out,
            "Сравнение образа ./a.dsk\n"
            "с образом        ./c.dsk:\n"
            "  5/ 3- ошибка чтения образа c.dsk\n"
            " 17/ 1-  00 5F\n");
  EXPECT_EQ(r.err, "");

  // A sector unreadable on one side only is no difference of bytes, but it is listed.
  r = run({"cmp", "b.dsk", "a.dsk"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out,
            "Сравнение образа ./b.dsk\n"
            "с образом        ./a.dsk:\n"
            "  5/ 3- ошибка чтения образа b.dsk\n"
            "Отличий между образами не найдено\n");

  // Missing and odd files stop the comparison before it starts.
  r = run({"cmp", "a.dsk", "nothere.dsk"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "agatdisk: файл образа \"nothere.dsk\" не найден\n");
}

}  // namespace
}  // namespace agat::testing
