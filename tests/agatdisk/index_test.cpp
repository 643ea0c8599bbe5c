// agatdisk index over a collection made here: one disk in every form of its geometry, a damaged
// and a near copy of it, an 800 KB disk sharing a file with it, noise of an image's size, a
// name with HTML's characters, a file that is no image and a link back to the folder.

#include <gtest/gtest.h>

#include "harness.h"
#include "index_record.h"
#include "sha256.h"
#include "support/host_faults.h"

namespace agat::testing {
namespace {

class AgatdiskIndex : public AgatdiskTest {
 protected:
  void SetUp() override {
    write_bytes(dir.file("one.bin"), pattern(1000, 1));
    write_bytes(dir.file("two.bin"), pattern(600, 2));
    write_bytes(dir.file("three.bin"), pattern(300, 3));
    ASSERT_EQ(sh("mkdir -p c/sub && agatdisk new base.dsk --form dsk140 && "
                 "agatdisk put base.dsk one.bin --name ONE && "
                 "agatdisk put base.dsk two.bin --name TWO --type T && "
                 "agatdisk put base.dsk one.bin --name '<&\">' && agatdisk lock base.dsk ONE && "
                 "agatdisk mkdir base.dsk SUB && agatdisk cd base.dsk SUB && "
                 "agatdisk put base.dsk three.bin --name THREE && agatdisk cd base.dsk SUB && "
                 "agatdisk new big.dsk --form dsk800 && agatdisk put big.dsk one.bin --name ONE && "
                 "echo note > c/note.txt && ln -s .. c/sub/loop")
                  .status,
              0);
    {
      // A whole MouseGraph picture of 640 x 32 pixels, wider than the picture window.
      auto md = image_medium(dir.host_path(), "base.dsk", ITI140);
      FC_READCAT(*md);
      TTSDATA size{};
      size[3] = 40;
      size[4] = 2;
      save(*md, "MGR.WIDE", 0x20, pattern(2560, 5), size);
      ASSERT_EQ(take_critical(), "");
      std::filesystem::copy_file(dir.path() / "base.dsk", dir.path() / "c" / "x<&\">.dsk");
    }
    for (const char* source : {"base.dsk", "big.dsk"}) {
      auto md = image_medium(dir.host_path(), source,
                             std::string(source) == "base.dsk" ? ITI140 : ITI800);
      FC_READCAT(*md);
      ASSERT_EQ(take_critical(), "");
      const std::span<const TTRACK> tracks(md->MASS.data(), md->NUMTR + 1u);
      for (const TIMAGEDESC& d : IMAGEDESC)
        if (d.NTR == md->NUMTR && d.NSC == md->NUMSC)
          write_bytes(dir.file("c/sub/" + std::string(source, 4) + std::string(d.form_name)),
                      image_file_bytes(d.form, tracks));
      if (md->NUMTR != 34) continue;
      // A near copy: one byte of ONE's data changed; a damaged one: TWO's list leads off the disk.
      const auto list_of = [&](int i) {
        return md->MASS[md->CAT.CATREC[i].TTSL][md->CAT.CATREC[i].STSL];
      };
      TSECTOR& data = md->MASS[list_of(1)[12]][list_of(1)[13]];
      data[5] ^= 0xFF;
      write_bytes(dir.file("c/near.dsk"), image_file_bytes(ITI140, tracks));
      data[5] ^= 0xFF;
      md->MASS[md->CAT.CATREC[2].TTSL][md->CAT.CATREC[2].STSL][12] = 99;
      write_bytes(dir.file("c/damaged.dsk"), image_file_bytes(ITI140, tracks));
    }
    write_bytes(dir.file("c/noise.dsk"), pattern(143360, 9));
  }

  // The lines of the image with this path in the index, up to the next image.
  static std::string image_of(const std::string& json, const std::string& path) {
    const std::size_t at = json.find("{\"path\": \"" + path + "\"");
    if (at == std::string::npos) return "";
    return json.substr(at, json.find("\n    {\"path\": ", at + 1) - at);
  }
};

TEST_F(AgatdiskIndex, RecordsEveryImageAndWhatRepeats) {
  const Outcome r = run({"index", "c", "--json", "index.json", "--html", "site", "--jobs", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string json = text_of(file_bytes(dir.file("index.json")));
  // Index of each image in the order of the walk: c/ then c/sub/, names in byte order.
  std::vector<std::string> paths = {"c/damaged.dsk", "c/near.dsk", "c/noise.dsk", "c/x<&\\\">.dsk"};
  for (const TIMAGEDESC& d : IMAGEDESC)
    paths.push_back("c/sub/" + std::string(d.NTR == 34 ? "base" : "big.") +
                    std::string(d.form_name));
  std::sort(paths.begin(), paths.end());
  // The copies of base: in every form, and as x<&">.dsk; with the near and damaged copies.
  std::string same140, near = "0, 1";
  for (std::size_t i = 3; i < paths.size(); ++i)
    if (paths[i].starts_with("c/sub/base") || paths[i].starts_with("c/x")) {
      same140 += (same140.empty() ? "" : ", ") + std::to_string(i);
      near += ", " + std::to_string(i);
    }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    EXPECT_TRUE(contains(json, "    {\"path\": \"" + paths[i] + "\"")) << json.substr(0, 400);
  }
  EXPECT_TRUE(contains(r.out, "Образов: " + std::to_string(paths.size()) + " ("));
  EXPECT_TRUE(
      contains(json, "\"summary\": {\"images\": " + std::to_string(paths.size()) +
                         ", \"damaged\": 1, \"unread\": 0, \"not_images\": 1, \"links\": 1"));

  const std::string one = sha256_hex(loaded(pattern(1000, 1)).data(), 1024);
  const std::string base = image_of(json, "c/x<&\\\">.dsk");
  ASSERT_NE(base, "");
  for (const std::string& part : std::vector<std::string>{
           "\"form\": \"dsk140\"", "\"size\": 143360",
           ("\"check\": {\"dos_catalog\": true, \"damaged\": false, \"vtoc\": 0"),
           "{\"catalog\": \"\", \"name\": \"ONE\", \"kind\": \"file\", \"type\": \"B\", \"ext\": "
           "132, "
           "\"locked\": true, \"deleted\": false, \"sectors\": 5, \"bytes\": 1024, \"sha256\": \"" +
               one + "\"",
           "{\"catalog\": \"\", \"name\": \"TWO\", \"kind\": \"file\", \"type\": \"T\", \"ext\": 0",
           "{\"catalog\": \"\", \"name\": \"<&\\\">\", \"kind\": \"file\"",
           ("{\"catalog\": \"\", \"name\": \"SUB\", \"kind\": \"btk\", \"type\": null"),
           "{\"catalog\": \"SUB\", \"name\": \"THREE\", \"kind\": \"file\", \"type\": \"B\", "
           "\"ext\": 4, "
           "\"locked\": false, \"deleted\": false, \"sectors\": 3, \"bytes\": 512, \"sha256\": \"" +
               sha256_hex(loaded(pattern(300, 3)).data(), 512) + "\", \"problem\": null}"})
    EXPECT_TRUE(contains(base, part));
  // The damaged copy says why TWO could not be read; noise holds no DOS catalog.
  const std::string damaged = image_of(json, "c/damaged.dsk");
  EXPECT_TRUE(contains(damaged, "\"damaged\": true"));
  EXPECT_TRUE(contains(damaged,
                       "\"name\": \"TWO\", \"kind\": \"file\", \"type\": \"T\", \"ext\": 0, "
                       "\"locked\": false, \"deleted\": false, \"sectors\": 4, \"bytes\": 768, "));
  EXPECT_TRUE(contains(damaged,
                       "\"problem\": \"предупреждение: Загрузка файла: данные: указатель на сектор "
                       "предупреждение: выходит за пределы среды: 99/"));
  const std::string noise = image_of(json, "c/noise.dsk");
  EXPECT_TRUE(contains(
      noise,
      "\"used_sha256\": null,\n      \"check\": {\"dos_catalog\": false, \"damaged\": null}"));
  EXPECT_TRUE(contains(noise, "\"entries\": [],"));

  // One disk in every form has one sector digest; the near copies differ in two sectors.
  const std::size_t sectors_at = base.find("\"sectors_sha256\": \"") + 19;
  EXPECT_TRUE(contains(json, "\"same_sectors\": [\n      {\"sha256\": \"" +
                                 base.substr(sectors_at, 64) + "\", \"images\": [" + same140 +
                                 "]}"));
  EXPECT_TRUE(contains(
      json, "\"near_copies\": [\n      {\"images\": [" + near + "], \"differing_sectors\": 2}"));
  EXPECT_TRUE(contains(json, "{\"sha256\": \"" + one +
                                 "\", \"bytes\": 1024, \"files\": [\n"
                                 "        {\"image\": 0, \"catalog\": \"\", \"name\": \"ONE\"}"));

  // The catalogue: every page but the two of the whole collection names its image; no name
  // reaches the HTML unescaped.
  for (const auto& f : std::filesystem::directory_iterator(dir.path() / "site")) {
    const std::string page = text_of(file_bytes(f.path().string())), name = f.path().filename();
    SCOPED_TRACE(name);
    EXPECT_EQ(page.find("<&\">"), std::string::npos);
    if (name != "index.html" && name != "duplicates.html" && !name.ends_with(".png")) {
      EXPECT_TRUE(contains(page, "<h1>Образ <code>c/"));
    }
  }
  const auto site = [&](const std::string& name) {
    return text_of(file_bytes(dir.file("site/" + name)));
  };
  const std::string x_page =
      "image-" + std::to_string(paths.size() + 1) + ".html";  // after note.txt
  for (const std::string& part :
       {"<a href=\"" + x_page +
            "\">c/x&lt;&amp;&quot;&gt;.dsk</a></td><td>dsk140</td><td>143360</td>",
        std::string("<td><span class=\"bad\">повреждён</span></td>")})
    EXPECT_TRUE(contains(site("index.html"), part));
  EXPECT_TRUE(contains(site(x_page), "<h1>Образ <code>c/x&lt;&amp;&quot;&gt;.dsk</code></h1>"));
  EXPECT_TRUE(
      contains(site(x_page), ">&lt;&amp;&quot;&gt;</a></td><td>B</td><td>5</td><td>1024</td>"));
  // The picture whole, 640 x 32 pixels.
  const Bytes png = file_bytes(dir.file("site/" + x_page.substr(0, x_page.size() - 5) + "-5.png"));
  ASSERT_GE(png.size(), 24u);
  EXPECT_EQ(Bytes(png.begin() + 16, png.begin() + 24), (Bytes{0, 0, 2, 128, 0, 0, 0, 32}));
  EXPECT_TRUE(
      contains(site("image-1.html"), ">TWO</a></td><td>T</td><td>4</td><td>768</td><td></td><td>"));

  // The result does not depend on the number of workers.
  ASSERT_EQ(run({"index", "c", "--json", "one.json", "--jobs", "1"}).status, 0);
  EXPECT_EQ(text_of(file_bytes(dir.file("one.json"))), json);
}

using AgatdiskIndexArguments = AgatdiskTest;

TEST_F(AgatdiskIndexArguments, RefusesWhatItCannotTake) {
  std::filesystem::create_directory(dir.path() / "c");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"index", "c", "--jobs", "0"}, 2, "неверное число потоков \"0\""},
      {{"index", "c", "--jobs", "x"}, 2, "неверное число потоков"},
      {{"index", "c", "missing"}, 1, "agatdisk: \"missing\": не найден"},
      {{"index", "c", "--json", "no/such/dir/x.json"}, 1, "не удалось записать файл"},
  };
  // A file that cannot be read is listed with the reason; an empty one is no image.
  write_bytes(dir.file("c/locked.dsk"), Bytes(143360));
  write_bytes(dir.file("c/empty"), {});
  {
    InjectedFaults refused({{HostFileCall::open, 1, {EACCES}}});
    const auto unread = index_file(dir.file("c/locked.dsk"), 4, {});
    ASSERT_TRUE(unread.has_value());
    EXPECT_EQ(std::tuple(unread->read, unread->form.has_value(), unread->number, unread->size),
              std::tuple(false, false, 4u, 143360u));
    EXPECT_TRUE(contains(cp1251_to_utf8(unread->problem), "файл не читается: "));
  }
  EXPECT_FALSE(index_file(dir.file("c/empty"), 0, {}).has_value());
  EXPECT_TRUE(contains(run({"index", "c"}).out, "Не прочитано: 0\nПропущено (не образы): 1,"));
  EXPECT_EQ(sha256_hex("abc", 3),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace agat::testing
