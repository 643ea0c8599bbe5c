// agatdisk png: picture files of an image saved as PNG files, checked by the size of the
// picture each holds, its name, and the refusals.
#include <gtest/gtest.h>

#include "harness.h"

namespace agat::testing {
namespace {

namespace fs = std::filesystem;

// Width and height from a PNG file's header.
std::pair<std::uint32_t, std::uint32_t> png_size(const std::string& path) {
  const Bytes b = file_bytes(path);
  if (b.size() < 24) return {0, 0};
  auto be32 = [&b](std::size_t at) {
    return std::uint32_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
  };
  return {be32(16), be32(20)};
}

TEST(AgatdiskPng, PicturesAsPngFiles) {
  TempDir dir;
  {
    auto md = image_medium(dir.host_path(), "disk.dsk", ITI140);
    FC_INITMEDIA(*md);
    static TFILEBUF buf;
    auto save = [&](const char* name, std::uint8_t ext, const Bytes& data) {
      TCATREC cr;
      cr.AGATNAME = agat_name(name);
      cr.EXT = ext;
      cr.SIZE = static_cast<std::int32_t>(data.size());
      std::copy(data.begin(), data.end(), buf.begin());
      FC_SAVE(cr, buf, *md, false);
    };
    Bytes mgr = {0x00, 0x20, 0x00, 0x20};  // 8192 bytes at $2000
    const Bytes body = pattern(8192, 1);
    mgr.insert(mgr.end(), body.begin(), body.end());
    save("PIC", 0x04, mgr);
    save("ZX.bol", 0x04, pattern(3000, 2));
    save("TEXT", 0x00, pattern(100, 3));
    ASSERT_EQ(take_critical(), "");
  }
  struct Case {
    std::string line;
    int status;
    std::string out, err;
    std::vector<std::tuple<std::string, std::uint32_t, std::uint32_t>> pngs;
  };
  const std::vector<Case> cases = {
      {"agatdisk png disk.dsk PIC", 0, "PIC.png\n", "", {{"PIC.png", 512, 384}}},
      {"agatdisk png disk.dsk PIC && agatdisk png disk.dsk PIC --mode hgr9",
       0,
       "PIC.png\nPIC~1.png\n",
       "",
       {{"PIC.png", 512, 384}, {"PIC~1.png", 1024, 768}}},
      {"agatdisk png disk.dsk PIC --mode=apple -o a.png", 0, "a.png\n", "", {{"a.png", 280, 192}}},
      {"agatdisk png disk.dsk PIC -o a.png && agatdisk png disk.dsk PIC -o a.png",
       1,
       "a.png\n",
       "agatdisk: файл \"a.png\" уже есть",
       {{"a.png", 512, 384}}},
      {"agatdisk png disk.dsk ZX.bol", 0, "ZX.bol.png\n", "", {{"ZX.bol.png", 256, 192}}},
      {"agatdisk png disk.dsk ZX.bol --mode mgr", 1, "", "нет режимов", {}},
      {"agatdisk png disk.dsk TEXT", 1, "", "agatdisk: файл \"TEXT\" не рисунок", {}},
      {"agatdisk png disk.dsk NOPE", 1, "", "в каталоге нет файла \"NOPE\"", {}},
      {"agatdisk png disk.dsk PIC --mode text80", 2, "", "неизвестный режим \"text80\"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TempDir run_dir;
    fs::copy_file(dir.file("disk.dsk"), run_dir.file("disk.dsk"));
    const Outcome r = run_line(c.line, run_dir.path().string());
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_TRUE(c.err.empty() ? r.err.empty() : r.err.find(c.err) != std::string::npos) << r.err;
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(run_dir.path())) ++files;
    EXPECT_EQ(files, c.pngs.size() + 1);
    for (const auto& [name, width, height] : c.pngs)
      EXPECT_EQ(png_size(run_dir.file(name)), std::make_pair(width, height)) << name;
    EXPECT_TRUE(file_bytes(dir.file("disk.dsk")) == file_bytes(run_dir.file("disk.dsk")));
  }
}

}  // namespace
}  // namespace agat::testing
