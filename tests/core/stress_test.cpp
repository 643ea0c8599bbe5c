// A seeded random run of saves, deletes, undeletes and renames. After every step every
// live file loads back byte for byte and the VTOC marks free exactly the sectors that no
// catalog or live file uses.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "core/catalog_ops.h"
#include "core/file_transfer.h"
#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::TempDir;

class StressTest : public testing::CoreTest, public ::testing::WithParamInterface<TIMAGET> {};

TEST_P(StressTest, RandomOperationsKeepTheDiskConsistent) {
  TempDir dir;
  auto md = testing::create_image(dir.host_path(), "s.img", GetParam());
  static TFILEBUF buf;
  std::mt19937 rng(20261206u + GetParam());
  std::map<TAGATNAME, std::vector<std::uint8_t>> live;  // the model: name -> data
  const int max_sectors = md->NUMTR == 34 ? 60 : 400;

  int saved = 0, deleted = 0, undeleted = 0, renamed = 0, refused = 0;
  auto random_name = [&] { return agat_name("F" + std::to_string(rng() % 40)); };
  auto entries = [&](bool deleted) {
    std::vector<TCATREC*> out;
    for (int i = 1; i < md->CAT.CATNUM; ++i)
      if ((md->CAT.CATREC[i].TTSL == 0xFF) == deleted) out.push_back(&md->CAT.CATREC[i]);
    return out;
  };

  for (int step = 0; step < 250; ++step) {
    FC_READCAT(*md);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "") << "step " << step;
    const int op = static_cast<int>(rng() % 10);
    if (op < 5) {  // save, replacing a file of the same name
      const TAGATNAME name = random_name();
      std::vector<std::uint8_t> data(rng() % (max_sectors * 256));
      for (auto& b : data) b = static_cast<std::uint8_t>(rng());
      std::copy(data.begin(), data.end(), buf.begin());
      TCATREC cr;
      cr.AGATNAME = name;
      cr.EXT = 0x04;
      cr.SIZE = static_cast<std::int32_t>(data.size());
      FC_SAVE(cr, buf, *md, false);
      if (FC_CRITICALERRORBUFFER.empty()) {
        live[name] = data;
        ++saved;
      } else {
        ++refused;
        testing::take_critical();  // a full disk: nothing was saved, the old file stays
      }
    } else if (op < 7 && !entries(false).empty()) {  // delete
      auto list = entries(false);
      TCATREC* e = list[rng() % list.size()];
      live.erase(e->AGATNAME);
      FC_DELETE(*e);
      ++deleted;
    } else if (op < 8 && !entries(true).empty()) {  // undelete, when nothing took its sectors
      auto list = entries(true);
      TCATREC* e = list[rng() % list.size()];
      TAGATNAME restored = e->AGATNAME;
      restored[29] = 0x52;
      FC_LOAD(*e, buf);
      const bool intact = FC_WARNINGBUFFER.empty() && FC_CRITICALERRORBUFFER.empty();
      testing::take_critical();
      testing::DiskAudit audit(*md);
      bool free = intact && !live.count(restored);
      std::uint8_t t = e->AGATNAME[29], s = e->STSL;
      while (free && t != 0) {
        free = FC_IS_SECFREE(*md, t, s);
        const auto& l = as<TTSLSECTOR>(md->MASS[t][s]);
        for (const auto& p : l.TSL) {
          if (p[0] == 0) break;
          free = free && FC_IS_SECFREE(*md, p[0], p[1]);
        }
        t = l.TE, s = l.SE;
      }
      if (free) {
        std::vector<std::uint8_t> data(buf.begin(), buf.begin() + e->SIZE);
        FC_UNDELETE(*e);
        live[restored] = data;
        ++undeleted;
      }
    } else if (!entries(false).empty()) {  // rename
      auto list = entries(false);
      TCATREC* e = list[rng() % list.size()];
      const TAGATNAME to = random_name();
      if (live.count(to)) continue;
      TCATREC cr2 = *e;
      cr2.AGATNAME = to;
      live[to] = live[e->AGATNAME];
      live.erase(e->AGATNAME);
      FC_RENAME(*e, cr2);
      ++renamed;
    }
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "") << "step " << step;
    ASSERT_EQ(FC_WARNINGBUFFER, "") << "step " << step;

    FC_READCAT(*md);
    ASSERT_EQ(static_cast<int>(entries(false).size()), static_cast<int>(live.size()))
        << "step " << step;
    for (TCATREC* e : entries(false)) {
      auto it = live.find(e->AGATNAME);
      ASSERT_NE(it, live.end()) << "step " << step << ": unexpected "
                                << testing::name_text(e->AGATNAME);
      FC_LOAD(*e, buf);
      ASSERT_GE(e->SIZE, static_cast<std::int32_t>(it->second.size()));
      ASSERT_TRUE(std::equal(it->second.begin(), it->second.end(), buf.begin()))
          << "step " << step << ": " << testing::name_text(e->AGATNAME);
    }
    testing::DiskAudit audit(*md);
    audit.expect_vtoc_matches();
    if (::testing::Test::HasFailure()) FAIL() << "step " << step;
  }
  // The run exercised every operation, and the disk filled up at least once on 140 KB.
  EXPECT_GT(saved, 50);
  EXPECT_GT(deleted, 10);
  EXPECT_GT(undeleted, 3);
  EXPECT_GT(renamed, 10);
  if (md->NUMTR == 34) {
    EXPECT_GT(refused, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(BothSizes, StressTest, ::testing::Values(ITI140, ITI800),
                         testing::ImageTypeName());

}  // namespace
}  // namespace agat
