// Every write through the file system on a few hundred damaged images (seeded): an operation
// that reports a critical error leaves the image file byte for byte as it was; one that
// reports none leaves an image whose catalog still reads, and a saved file reads back whole.
#include <gtest/gtest.h>

#include <random>

#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "support/testdata.h"

namespace agat {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An entry of a base image: where it is and where its chain starts.
struct Entry {
  TSREF place;
  int index;
  TSREF first;  // of a deleted file: through the track its name keeps
};

struct Base {
  Bytes bytes;
  TIMAGET type;
  std::vector<Entry> entries;
};

// A new image of the type with files of one to three T/S lists, a locked one, a deleted one
// and a sub-catalog holding a file.
Bytes made_image(const testing::TempDir& dir, TIMAGET type) {
  auto md = testing::create_image(dir.host_path(), "base", type);
  static TFILEBUF buf;
  int n = 0;
  for (std::int32_t size : {0, 300, 5000, 40000, 70000, 600}) {
    TCATREC cr;
    cr.AGATNAME = testing::agat_name("F" + std::to_string(n++));
    cr.EXT = n == 3 ? 0x84 : 0x04;
    cr.SIZE = size;
    FC_SAVE(cr, buf, *md, false);
    if (n == 4) {
      FC_MAKEDIR(*md, testing::agat_name("SUB"));
      FC_READCAT(*md);
      FC_CHDIR(*testing::find_entry(*md, "SUB"));
    }
    if (n == 5) {
      FC_READCAT(*md);
      FC_CHDIR(md->CAT.CATREC[1]);
    }
  }
  FC_READCAT(*md);
  FC_DELETE(*testing::find_entry(*md, "F5"));
  EXPECT_EQ(testing::take_critical(), "");
  Bytes bytes = testing::read_bytes(dir.file("base"));
  std::filesystem::remove(dir.file("base"));
  return bytes;
}

Base base_of(const testing::TempDir& dir, Bytes bytes, TIMAGET type) {
  testing::write_bytes(dir.file("base"), bytes);
  auto md = testing::image_medium(dir.host_path(), "base", type);
  FC_READCAT(*md);
  testing::take_critical();
  Base base{std::move(bytes), type, {}};
  for (int i = 1; i < md->CAT.CATNUM; ++i) {
    const TCATREC& e = md->CAT.CATREC[i];
    base.entries.push_back(
        {{e.TCAT, e.SCAT}, e.OCAT, {e.TTSL == 0xFF ? e.AGATNAME[29] : e.TTSL, e.STSL}});
  }
  std::filesystem::remove(dir.file("base"));
  return base;
}

class MutatedImages : public testing::CoreTest {
 protected:
  testing::TempDir dir;
  std::mt19937 rng{20261231u};
  unsigned below(unsigned n) { return rng() % n; }

  // One to three faults around the entry an operation will work on: in its T/S list, its
  // catalog entry and links, the VTOC (its pointers, sizes and the masks of tracks 1 and 17),
  // or anywhere; bytes set to values that lead off the disk, to track 0, to the VTOC's track.
  void damage(const Base& base, Bytes& bytes, const Entry& e) {
    const int sectors = IMAGEDESC[base.type].NSC + 1;
    for (int k = 1 + below(3); k > 0; --k) {
      const int o = 11 + 35 * e.index;
      const std::vector<std::pair<TSREF, std::vector<int>>> places = {
          {e.first, {0, 1, 2, 12, 13, 14}},
          {e.place, {1, 2, o, o + 1, o + 2, o + 32}},
          {{17, 0}, {1, 2, 39, 48, 49, 52, 53, 55, 56 + 4 * 17, 57 + 4 * 17, 60, 61}},
          {{static_cast<std::uint8_t>(below(35)), static_cast<std::uint8_t>(below(16))},
           {static_cast<int>(below(256))}}};
      const auto& [at, offsets] = places[below(places.size())];
      const std::size_t start = (std::size_t{at.TR} * sectors + at.SC) * 256;
      if (start + 256 > bytes.size()) continue;
      const unsigned fill = below(20);
      if (fill < 2) {
        std::fill_n(bytes.begin() + start, 256, fill == 0 ? UNREAD_FILL : 0);
        continue;
      }
      static constexpr int kValues[] = {0, 0xFF, 17, 1, 35, 160, 200};
      bytes[start + offsets[below(offsets.size())]] = static_cast<std::uint8_t>(
          below(3) != 0 ? kValues[below(std::size(kValues))] : below(256));
    }
  }
};

TEST_F(MutatedImages, FailuresChangeNothingAndSuccessesLeaveAReadableImage) {
  std::vector<Base> bases = {base_of(dir, made_image(dir, ITI140), ITI140),
                             base_of(dir, made_image(dir, ITI800), ITI800)};
  if (testing::have_testdata())
    for (const char* name : {"dos33/files.dsk", "other/stale-deleted.dsk", "other/minimal.img"})
      bases.push_back(base_of(dir, testing::read_bytes(testing::testdata(name)), ITI140));
  static TFILEBUF buf, back;
  int failed = 0, done = 0;
  for (int run = 0; run < 400; ++run) {
    const Base& base = bases[below(bases.size())];
    const Entry& target = base.entries[below(base.entries.size())];
    Bytes bytes = base.bytes;
    damage(base, bytes, target);
    testing::write_bytes(dir.file("m"), bytes);
    auto md = testing::image_medium(dir.host_path(), "m", base.type);
    FC_READCAT(*md);
    if (!testing::take_critical().empty()) continue;  // agatdisk stops here: nothing written
    TCATREC* e = nullptr;
    for (int i = 1; i < md->CAT.CATNUM; ++i)
      if (TSREF{md->CAT.CATREC[i].TCAT, md->CAT.CATREC[i].SCAT} == target.place &&
          md->CAT.CATREC[i].OCAT == target.index)
        e = &md->CAT.CATREC[i];
    // Put, make a catalog, delete, undelete, switch the lock, enter, rename; a deleted file is
    // mostly undeleted and a sub-catalog mostly entered.
    int op = static_cast<int>(below(7));
    if (e != nullptr && e->TTSL == 0xFF && below(2)) op = 3;
    if (e != nullptr && e->CATRECT == CRTBTKDIR && below(2)) op = 5;
    SCOPED_TRACE("run " + std::to_string(run) + ", operation " + std::to_string(op));
    TCATREC cr;
    cr.AGATNAME = e != nullptr && below(2) ? e->AGATNAME : testing::agat_name("NEW");
    cr.EXT = 0x04;
    cr.SIZE = static_cast<std::int32_t>(below(40000));
    for (std::int32_t i = 0; i < cr.SIZE; ++i) buf[i] = static_cast<std::uint8_t>(rng());
    if (op == 0) FC_SAVE(cr, buf, *md, false);
    if (op == 1) FC_MAKEDIR(*md, cr.AGATNAME);
    if (e != nullptr && op == 2) FC_DELETE(*e);
    if (e != nullptr && op == 3) FC_UNDELETE(*e);
    if (e != nullptr && op == 4) FC_RELOCK(*e, 0);
    if (e != nullptr && op == 5) FC_CHDIR(*e);
    if (e != nullptr && op == 6) FC_RENAME(*e, cr);
    if (!testing::take_critical().empty()) {
      ++failed;
      ASSERT_TRUE(testing::read_bytes(dir.file("m")) == bytes);
      continue;
    }
    ++done;
    auto after = testing::image_medium(dir.host_path(), "m", base.type);
    FC_READCAT(*after);
    ASSERT_EQ(testing::take_critical_text(), "");
    if (op != 0) continue;
    TCATREC* saved = nullptr;
    for (int i = after->CAT.CATNUM - 1; i > 0; --i)
      if (after->CAT.CATREC[i].TTSL != 0xFF && after->CAT.CATREC[i].AGATNAME == cr.AGATNAME)
        saved = &after->CAT.CATREC[i];
    ASSERT_NE(saved, nullptr);
    FC_LOAD(*saved, back);
    ASSERT_EQ(testing::take_critical_text(), "");
    ASSERT_TRUE(std::equal(buf.begin(), buf.begin() + cr.SIZE, back.begin()));
  }
  EXPECT_GT(failed, 30);
  EXPECT_GT(done, 100);
}

}  // namespace
}  // namespace agat
