// Recovery of a lost chain as a new file: chains that share a sector with something are
// refused, and the entry the file takes spares the deleted files.
#include <gtest/gtest.h>

#include "core/immap.h"
#include "core/immap_summary.h"
#include "support/image_test.h"

namespace agat {
namespace {

using testing::take_critical_text;

class ImmapRecovery : public testing::ImageTest {
 protected:
  TVTOCFAULTS faults;
  TIMMSUMMARY scan() {
    SCANMAP(*md, faults);
    return summarise_map(*md, faults);
  }
  TSECTOR& sector(int t, int s) { return md->MASS[t][s]; }
  TCATREC33& raw(const TCATREC& e) { return as<TCATSECTOR>(sector(e.TCAT, e.SCAT)).CR[e.OCAT]; }
  // A T/S list at t/s in a free sector naming the data sectors given.
  void lay_list(int t, int s, std::initializer_list<std::pair<int, int>> data) {
    sector(t, s).fill(0);
    int j = 0;
    for (const auto& [dt, ds] : data) {
      sector(t, s)[12 + 2 * j] = static_cast<std::uint8_t>(dt);
      sector(t, s)[13 + 2 * j++] = static_cast<std::uint8_t>(ds);
    }
  }
};

// A chain that names a sector something already holds is refused, naming the holder, and
// nothing changes: the common case (a file deleted, the next one saved into its sectors), a
// live file's T/S list, the catalog and the VTOC. A chain of free sectors is recovered.
TEST_F(ImmapRecovery, ChainsThatShareSectorsAreRefused) {
  make();
  for (int i = 0; i < 5120; ++i) buf[i] = static_cast<std::uint8_t>(i * 13);
  const TCATREC a = save("A", 5120);
  FC_DELETE(entry("A"));
  reload();
  const TCATREC b = save("B", 700);
  const std::string holder_b = "уже принадлежит файлу \"B\", файл не создан";
  EXPECT_FALSE(BUILDFILE(*md, a.TTSL, a.STSL));
  EXPECT_NE(take_critical_text().find(holder_b), std::string::npos);

  const struct {
    std::pair<int, int> named;
    std::string why;
  } cases[] = {
      {{b.TTSL, b.STSL}, holder_b},
      {{17, 1}, "сектор 17/1 — это сектор каталога, файл не создан"},
      {{17, 0}, "сектор 17/0 — это VTOC, файл не создан"},
      {{30, 2}, ""},
  };
  sector(30, 1).fill(0), sector(30, 2).fill(0);  // data, readable
  for (const auto& c : cases) {
    lay_list(30, 0, {{30, 1}, c.named});
    store();
    const auto before = image_bytes();
    EXPECT_EQ(BUILDFILE(*md, 30, 0), c.why.empty()) << c.why;
    const std::string message = take_critical_text();
    if (c.why.empty()) {
      EXPECT_EQ(message, "");
      reload();
      EXPECT_EQ(entry("  30    0").TTSL, 30);
      EXPECT_FALSE(scan().DAMAGED);
    } else {
      EXPECT_NE(message.find(c.why), std::string::npos) << message;
      EXPECT_EQ(image_bytes(), before) << c.why;
    }
  }
}

// A recovered file takes a never-used entry while there is one, so the deleted files keep
// theirs and can still be undeleted; only then the first deleted entry, with a warning that
// names its file.
TEST_F(ImmapRecovery, RecoveryKeepsDeletedEntries) {
  make();
  const TCATREC p = save("P", 256), q = save("Q", 256);
  for (const char* name : {"P", "Q"}) {
    FC_DELETE(entry(name));
    reload();
  }
  lay_list(30, 0, {{30, 1}});
  lay_list(31, 0, {{31, 1}});
  store();
  const TCATREC33 kept_p = raw(p), kept_q = raw(q);

  EXPECT_TRUE(BUILDFILE(*md, 30, 0));
  EXPECT_EQ(std::tuple(take_critical_text(), FC_WARNINGBUFFER.empty()), std::tuple("", true));
  reload();
  EXPECT_EQ(entry("  30    0").OCAT, 2);
  EXPECT_TRUE(std::equal(kept_p.N, kept_p.N + 30, raw(p).N) && raw(p).TF == 0xFF &&
              std::equal(kept_q.N, kept_q.N + 30, raw(q).N) && raw(q).TF == 0xFF);

  TCATSECTOR& cat = as<TCATSECTOR>(sector(17, 1));
  for (int o = 3; o < 7; ++o) cat.CR[o] = cat.CR[2];  // no never-used entry is left
  cat.TE = 0;
  store();
  EXPECT_TRUE(BUILDFILE(*md, 31, 0));
  const std::string warning = cp1251_to_utf8(FC_WARNINGBUFFER);
  EXPECT_EQ(take_critical_text(), "");
  EXPECT_NE(warning.find("занята запись удалённого файла \"P\", его больше нельзя восстановить"),
            std::string::npos)
      << warning;
  reload();
  EXPECT_EQ(std::tuple(entry("  31    0").OCAT, raw(q).TF, raw(q).N[0]),
            std::tuple(p.OCAT, 0xFF, kept_q.N[0]));
}

}  // namespace
}  // namespace agat
