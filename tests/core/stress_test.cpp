// A seeded random run of saves, deletes, undeletes and renames. After every step every
// live file loads back byte for byte and the VTOC marks free exactly the sectors that no
// catalog or live file uses.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

class StressTest : public testing::CoreTest, public ::testing::WithParamInterface<TIMAGET> {};

TEST_P(StressTest, RandomOperationsKeepTheDiskConsistent) {
  testing::TempDir dir;
  auto md = testing::create_image(dir.host_path(), "s.img", GetParam());
  static TFILEBUF buf;
  std::mt19937 rng(20261206u + GetParam());
  std::map<TAGATNAME, std::vector<std::uint8_t>> live;  // the model: name -> data
  const int max_sectors = md->NUMTR == 34 ? 60 : 400;

  int saved = 0, deleted = 0, undeleted = 0, renamed = 0, refused = 0;
  const auto random_name = [&] { return testing::agat_name("F" + std::to_string(rng() % 40)); };
  // A random live or deleted entry, nullptr when there is none.
  const auto pick = [&](bool deleted) -> TCATREC* {
    std::vector<TCATREC*> out;
    for (int i = 1; i < md->CAT.CATNUM; ++i)
      if ((md->CAT.CATREC[i].TTSL == 0xFF) == deleted) out.push_back(&md->CAT.CATREC[i]);
    return out.empty() ? nullptr : out[rng() % out.size()];
  };

  for (int step = 0; step < 250; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    FC_READCAT(*md);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
    const int op = static_cast<int>(rng() % 10);
    TCATREC* e = nullptr;
    if (op < 5) {  // save, replacing a file of the same name
      TCATREC cr;
      cr.AGATNAME = random_name();
      cr.EXT = 0x04;
      cr.SIZE = static_cast<std::int32_t>(rng() % (max_sectors * 256));
      for (int i = 0; i < cr.SIZE; ++i) buf[i] = static_cast<std::uint8_t>(rng());
      FC_SAVE(cr, buf, *md, false);
      if (FC_CRITICALERRORBUFFER.empty()) {
        live[cr.AGATNAME].assign(buf.begin(), buf.begin() + cr.SIZE);
        ++saved;
      } else {
        ++refused;
        testing::take_critical();  // a full disk: nothing was saved, the old file stays
      }
    } else if (op < 7 && (e = pick(false)) != nullptr) {  // delete
      live.erase(e->AGATNAME);
      FC_DELETE(*e);
      ++deleted;
    } else if (op < 8 && (e = pick(true)) != nullptr) {  // undelete, when nothing took its sectors
      TAGATNAME restored = e->AGATNAME;
      restored[29] = AGAT_SPACE;
      FC_LOAD(*e, buf);
      bool free =
          FC_WARNINGBUFFER.empty() && FC_CRITICALERRORBUFFER.empty() && !live.count(restored);
      testing::take_critical();
      for (std::uint8_t t = e->AGATNAME[29], s = e->STSL; free && t != 0;) {
        const auto& l = as<TTSLSECTOR>(md->MASS[t][s]);
        free = FC_IS_SECFREE(*md, t, s);
        for (int i = 0; i < 122 && l.TSL[i][0] != 0; ++i)
          free = free && FC_IS_SECFREE(*md, l.TSL[i][0], l.TSL[i][1]);
        t = l.TE, s = l.SE;
      }
      if (free) {
        live[restored].assign(buf.begin(), buf.begin() + e->SIZE);
        FC_UNDELETE(*e);
        ++undeleted;
      }
    } else if ((e = pick(false)) != nullptr) {  // rename
      TCATREC cr2 = *e;
      cr2.AGATNAME = random_name();
      if (live.count(cr2.AGATNAME)) continue;
      live[cr2.AGATNAME] = live[e->AGATNAME];
      live.erase(e->AGATNAME);
      FC_RENAME(*e, cr2);
      ++renamed;
    }
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
    ASSERT_EQ(FC_WARNINGBUFFER, "");

    FC_READCAT(*md);
    std::size_t listed = 0;
    for (int i = 1; i < md->CAT.CATNUM; ++i) {
      TCATREC& x = md->CAT.CATREC[i];
      if (x.TTSL == 0xFF) continue;
      ++listed;
      const auto it = live.find(x.AGATNAME);
      ASSERT_NE(it, live.end()) << testing::name_text(x.AGATNAME);
      FC_LOAD(x, buf);
      ASSERT_GE(x.SIZE, static_cast<std::int32_t>(it->second.size()));
      ASSERT_TRUE(std::equal(it->second.begin(), it->second.end(), buf.begin()))
          << testing::name_text(x.AGATNAME);
    }
    ASSERT_EQ(listed, live.size());
    testing::DiskAudit(*md).expect_vtoc_matches();
    ASSERT_FALSE(HasFailure());
  }
  // The run exercised every operation, and the disk filled up at least once on 140 KB.
  EXPECT_GT(saved, 50);
  EXPECT_GT(deleted, 10);
  EXPECT_GT(undeleted, 3);
  EXPECT_GT(renamed, 10);
  EXPECT_TRUE(md->NUMTR != 34 || refused > 0);
}

INSTANTIATE_TEST_SUITE_P(BothSizes, StressTest, ::testing::Values(ITI140, ITI800),
                         testing::ImageTypeName());

}  // namespace
}  // namespace agat
