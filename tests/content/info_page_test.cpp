// The information page of ".FIL" files of every family: the lines that each detected format
// adds, the FFASIS page that ends without a line end, and heads of files too short for them.
#include <gtest/gtest.h>

#include <memory>

#include "content/info_page.h"
#include "content/report_reader.h"
#include "core/catalog_read.h"
#include "core/cp1251.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

struct Case {
  std::uint8_t ext;
  std::vector<std::uint8_t> data;
  std::vector<std::pair<int, std::uint8_t>> ts;  // T/S-list byte number and value
  std::string tail;                              // how the page ends (UTF-8)
  bool within = false;                           // the text is within the page, not its end
  std::vector<std::uint8_t> name = {};           // Agat codes; none: an "Alv Graf" name
};

TEST(InfoPage, TheLinesOfEachFormat) {
  testing::TempDir dir;
  std::vector<std::uint8_t> alv_name(30, 0xA0);
  alv_name[16] = 0x20, alv_name[17] = 0xD0, alv_name[18] = 0x69, alv_name[19] = 0x43;
  const std::vector<std::uint8_t> mgr_name = {0xCD, 0xC7, 0xD2, 0xAE, 0xC1};
  std::vector<std::uint8_t> hgr(8196, 0x0F);
  hgr[0] = 0x00, hgr[1] = 0x20, hgr[2] = 0x00, hgr[3] = 0x20;
  // clang-format off
  const std::vector<Case> cases = {
      {0x84, {0x00, 0x20, 0x00, 0x20, 1}, {}, "Read Only: *\n                  Тип: B\n", true},
      // A B video-memory image of 8 KB.
      {0x04, {0x00, 0x20, 0x00, 0x20, 1}, {},
       "FIL-файл\nПредполагаемый формат: Образ видеопамяти\nТочка загрузки: $2000\n"
       "         Режим: MGR  128 x 128 x 16\n"},
      {0x20, {1}, {{8, 0x00}, {9, 0x08}, {10, 0x00}, {11, 0x40}},
       "Образ видеопамяти\nТочка загрузки: $4000\n         Режим: Text 64 normal\n"},
      {0x40, {0, 0, 64, 48}, {}, "Рисунок системы \"Alv Graf\"\nРазмер: 64 x 48\n"},
      // Eight KB that make sense as HGR (stripes of four points) are said to be shown so.
      {0x04, hgr, {}, "$2000\n         Режим: HGR  256 x 256 x  2\n"},
      // MouseGraph: a picture saved whole, 26 x 21 units of 16 points, and a fragment.
      {0x20, std::vector<std::uint8_t>(17664, 0), {{6, 26}, {7, 21}},
       "Фрагмент рисунка \"MouseGraph\"\nРазмер: 416 x 336\n", false, mgr_name},
      {0x20, {1, 2, 3, 4, 5, 6, 7, 8}, {{6, 3}, {7, 4}}, "MouseGraph\"\nРазмер: 3 x 4\n", false,
       mgr_name},
      // A one-byte B file: the other head bytes read as zeros, not as the last file's.
      {0x04, {0x34}, {}, "dos 3.3\nТочка загрузки: $0034\n    Длина кода: $0000\n"},
      {0x02, {0x10, 0x02}, {}, "BASIC\n    Длина кода: $0210\n"},
      {0x01, {1, 2, 3}, {},
       "  Данные в t/s списке: $00 $00 $00 $00 $00 $00 $00 $00 $00\n"
       "         Расположение: FIL-файл\nПредполагаемый формат: "},
  };
  // clang-format on
  auto md = std::make_unique<TMEDIA>();
  md->HOSTPATH = dir.host_path();
  auto buf = std::make_unique<TFILEBUF>();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    std::vector<std::uint8_t> fil(40, 0);
    std::fill_n(fil.begin(), 30, 0xA0);
    const std::vector<std::uint8_t>& agat = c.name.empty() ? alv_name : c.name;
    std::copy(agat.begin(), agat.end(), fil.begin());
    for (auto [byte, value] : c.ts) fil[30 + static_cast<std::size_t>(byte - 3)] = value;
    fil[39] = c.ext;
    fil.insert(fil.end(), c.data.begin(), c.data.end());
    const std::string name = "F" + std::to_string(i) + ".FIL";
    testing::write_bytes(dir.file(name), fil);
    FC_READCAT(*md);
    TCATREC* e = nullptr;
    for (std::int32_t k = 0; k < md->CAT.CATNUM; ++k)
      if (md->CAT.CATREC[k].HOSTNAME == name) e = &md->CAT.CATREC[k];
    ASSERT_NE(e, nullptr);
    ObjectInfo info;
    ASSERT_TRUE(object_info(*e, *buf, info));
    TextReport report;
    info_report(report, info);
    const std::string page = cp1251_to_utf8(plain_text(report.text()));
    EXPECT_TRUE(c.within ? page.find(c.tail) != std::string::npos : page.ends_with(c.tail))
        << "case " << i << "\n"
        << page;
    EXPECT_TRUE(page.starts_with("           HostOS имя: " + name + "\n")) << page;
    std::filesystem::remove(dir.file(name));
  }
}

}  // namespace
}  // namespace agat
