// Fuzz target: the catalog operations on a fuzzed image. The tail of the input is a list of
// operations, each a kind byte (modulo 8) and its arguments:
//   0 save a file: name, type, size (2 bytes, in units of 16 bytes)
//   1 delete: entry        2 undelete: entry        3 rename: entry, name, type
//   4 make a sub-catalog: name        5 clean the image        6 enter: entry
//   7 lock, unlock or toggle: entry, mode
// An entry byte picks an entry of the current catalog, a name byte one of 16 names.
//
// Invariants, on every image: the operation ends. On an image that the sector map finds
// sound before the operation: an operation that fails leaves the file byte for byte; one
// that succeeds leaves an image that loads and that the map finds sound (an undelete that
// warns of a sector taken meanwhile aside), a catalog that shows what was done (the file
// saved loads back; a deleted entry is deleted; a renamed one has its new name and type;
// a new sub-catalog is there; a cleaned catalog keeps its live files as they were), and a
// free-sector count that changed by exactly the sectors taken or freed.
#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "core/catalog_ops.h"
#include "core/change_dir.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"
#include "core/immap_summary.h"
#include "core/media_lifecycle.h"
#include "core/vtoc.h"
#include "fuzz_check.h"
#include "image_input.h"
#include "scratch_dir.h"
#include "scratch_image.h"

namespace agat::fuzz {
namespace {

using Place = std::pair<int, int>;

// Operations on one input: enough for a few steps in a row, few enough that an input of an
// 800 KB image takes well under a second (every save and load of an AIM image decodes all
// its tracks, the slowest work of all here).
int max_operations(TIMAGET form) {
  return form == ITA800 ? 2 : 8;
}

// Reads the operations from the tail; bytes past its end read as 0.
class Ops {
 public:
  explicit Ops(std::span<const std::uint8_t> tail) : tail_(tail) {}
  bool done() const { return at_ >= tail_.size(); }
  std::uint8_t byte() { return at_ < tail_.size() ? tail_[at_++] : 0; }

 private:
  std::span<const std::uint8_t> tail_;
  std::size_t at_ = 0;
};

TFILEBUF& file_buffer() {
  static const auto buf = std::make_unique<TFILEBUF>();
  return *buf;
}

TAGATNAME name_of(std::uint8_t b) {
  TAGATNAME n;
  n.fill(AGAT_SPACE);
  n[0] = 0xCE;             // "N"
  n[1] = 0xC1 + (b % 16);  // "A".."P"
  return n;
}

// A type byte a program may give: anything but $FF, which marks a sub-catalog.
std::uint8_t type_of(std::uint8_t b) {
  return b == 0xFF ? 0x04 : b;
}

// The map finds no sector used twice, none used while free or (unless UNREAD_OK) used while
// unreadable, no error but the missing volume-name terminator (which it charges to the
// VTOC). Lost T/S lists are allowed: every deleted file leaves one.
bool sound(TMEDIA& md, bool unread_ok = false) {
  if (md.VTOCINVALID) return false;
  TVTOCFAULTS faults;
  scan_map(md, faults);
  const TIMMSUMMARY map = summarise_map(md, faults);
  const auto volume_name = [](const TVTOCFAULT& f) {
    return f.KIND == TVTOCFAULT::FIELD && f.OFFS == VTOC_VOLNAME_OFFS;
  };
  const auto vtoc = [](const TSECTORPLACE& p) { return p.T == 17 && p.S == 0; };
  return map.SHARED.empty() && (unread_ok || map.UNREADABLE.empty()) && map.USED_BUT_FREE.empty() &&
         std::all_of(faults.begin(), faults.end(), volume_name) &&
         std::all_of(map.ERRORS.begin(), map.ERRORS.end(), vtoc);
}

// The sectors of the T/S chain from T/S: its lists and the data they name (track 0: a hole).
std::set<Place> chain_of(TMEDIA& md, std::uint8_t t, std::uint8_t s) {
  std::set<Place> sectors;
  while (t != 0 && FC_IS_RANGEOK(md, t, s) && sectors.insert({t, s}).second) {
    const auto& list = as<TTSLSECTOR>(md.MASS[t][s]);
    for (const auto& pair : list.TSL)
      if (pair[0] != 0) sectors.insert({pair[0], pair[1]});
    t = list.TE;
    s = list.SE;
  }
  return sectors;
}

// The sectors of the catalog chain from T/S.
int catalog_length(TMEDIA& md, std::uint8_t t, std::uint8_t s) {
  std::set<Place> seen;
  while (t != 0 && FC_IS_RANGEOK(md, t, s) && seen.insert({t, s}).second) {
    const auto& cs = as<TCATSECTOR>(md.MASS[t][s]);
    t = cs.TE;
    s = cs.SE;
  }
  return static_cast<int>(seen.size());
}

int current_catalog_length(TMEDIA& md) {
  const auto& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  return catalog_length(md, vt.TE, vt.SE);
}

TCATREC* find_live(TMEDIA& md, const TAGATNAME& name) {
  for (int i = 1; i < md.CAT.CATNUM; ++i) {
    TCATREC& e = md.CAT.CATREC[i];
    if (e.TTSL != 0xFF && e.AGATNAME == name) return &e;
  }
  return nullptr;
}

TCATREC* entry_at(TMEDIA& md, const TCATREC& e) {
  for (int i = 1; i < md.CAT.CATNUM; ++i) {
    TCATREC& f = md.CAT.CATREC[i];
    if (f.TCAT == e.TCAT && f.SCAT == e.SCAT && f.OCAT == e.OCAT) return &f;
  }
  return nullptr;
}

// The bytes a loaded file of SIZE bytes saved from `pattern(SEED)` holds.
void fill_pattern(TFILEBUF& buf, std::int32_t size, std::uint8_t seed) {
  for (std::int32_t i = 0; i < size; ++i) buf[i] = static_cast<std::uint8_t>(i * 7 + seed);
}

bool holds_pattern(const TFILEBUF& buf, std::int32_t size, std::int32_t loaded, std::uint8_t seed) {
  for (std::int32_t i = 0; i < loaded; ++i)
    if (buf[i] != (i < size ? static_cast<std::uint8_t>(i * 7 + seed) : 0)) return false;
  return true;
}

// What the state of the image was before an operation, for the checks after it.
struct Before {
  Bytes file;
  std::uint32_t free = 0;
  int catalog = 0;
};

class Run {
 public:
  Run(TMEDIA& md, std::span<const std::uint8_t> tail) : md_(md), ops_(tail) {}

  void all() {
    for (int n = 0; n < max_operations(md_.IMAGET) && !ops_.done(); ++n) {
      const bool was_sound = is_sound();
      before_ = {was_sound ? read_scratch_file(SCRATCH_IMAGE) : Bytes(), md_.FREESPACE,
                 current_catalog_length(md_)};
      fresh_ = false;
      one(was_sound, static_cast<std::uint8_t>(n));
      if (!fresh_) reload();
      if (md_.CAT.CATNUM == 0) return;  // the image no longer loads: nothing to work on
    }
  }

 private:
  TCATREC* pick() {
    return md_.CAT.CATNUM > 1 ? &md_.CAT.CATREC[1 + ops_.byte() % (md_.CAT.CATNUM - 1)] : nullptr;
  }

  // Reads the image again after an operation; true when its catalog reads.
  bool reload() {
    loads_ = reread(md_);
    fresh_ = true;
    sound_.reset();
    return loads_;
  }

  bool is_sound() {
    if (!sound_) sound_ = loads_ && sound(md_);
    return *sound_;
  }

  // After the operation: a failure changed nothing; a success left a sound image whose
  // free count moved by DELTA; answers whether it succeeded.
  bool outcome(bool was_sound, std::int64_t delta, bool warned_ok = false) {
    const bool warned = !FC_WARNINGBUFFER.empty();
    const bool failed = !take_messages();
    if (!was_sound) return false;
    if (failed) {
      FUZZ_CHECK(read_scratch_file(SCRATCH_IMAGE) == before_.file,
                 "a failed operation changed the file");
      return false;
    }
    FUZZ_CHECK(reload(), "the image no longer loads");
    if (warned && warned_ok) return false;
    FUZZ_CHECK(is_sound(), "the operation damaged a sound image");
    const std::int64_t moved = std::int64_t{md_.FREESPACE} - before_.free;
    FUZZ_CHECK(moved == delta, "the free-sector count moved by other than what was done");
    return true;
  }

  void one(bool was_sound, std::uint8_t seed) {
    TFILEBUF& buf = file_buffer();
    switch (ops_.byte() % 8) {
      case 0: {
        TCATREC cr;
        cr.CATRECT = CRTAGATFILE;
        cr.AGATNAME = name_of(ops_.byte());
        cr.EXT = type_of(ops_.byte());
        cr.SIZE = std::min<std::int32_t>(MAXFILESIZE, (ops_.byte() | ops_.byte() << 8) * 16);
        cr.TSDATA.fill(seed);
        fill_pattern(buf, cr.SIZE, seed);
        const TCATREC* old = find_live(md_, cr.AGATNAME);
        const std::int64_t freed = old != nullptr && old->CATRECT == CRTAGATFILE
                                       ? chain_of(md_, old->TTSL, old->STSL).size()
                                       : 0;
        FC_SAVE(cr, buf, md_, false);
        const std::int64_t data = std::max(1, (cr.SIZE + 255) / 256), lists = (data + 121) / 122;
        const std::int64_t grown = current_catalog_length_after() - before_.catalog;
        if (!outcome(was_sound, freed - data - lists - grown)) return;
        TCATREC* e = find_live(md_, cr.AGATNAME);
        FUZZ_CHECK(e != nullptr && e->CATRECT == CRTAGATFILE && e->EXT == cr.EXT,
                   "the saved file is not listed");
        FUZZ_CHECK(e->SIZECAT == std::min<std::int64_t>(255, data + lists), "the length byte");
        FC_LOAD(*e, buf);
        FUZZ_CHECK(take_messages() && e->SIZE == data * 256 && e->TSDATA == cr.TSDATA &&
                       holds_pattern(buf, cr.SIZE, e->SIZE, seed),
                   "the saved file does not load back");
        return;
      }
      case 1: {
        TCATREC* e = pick();
        if (e == nullptr) return;
        const TCATREC was = *e;
        std::int64_t freed = 0;
        if (was.TTSL == 0xFF) {
          freed = 0;
        } else if (was.CATRECT == CRTAGATFILE) {
          freed = chain_of(md_, was.TTSL, was.STSL).size();
        } else {
          freed = catalog_length(md_, was.TTSL, was.STSL);
        }
        FC_DELETE(*e);
        if (!outcome(was_sound, freed)) return;
        const TCATREC* now = entry_at(md_, was);
        FUZZ_CHECK(now != nullptr && now->TTSL == 0xFF, "the deleted entry is not deleted");
        return;
      }
      case 2: {
        TCATREC* e = pick();
        if (e == nullptr) return;
        const TCATREC was = *e;
        FC_UNDELETE(*e);
        if (was.TTSL != 0xFF || was.CATRECT != CRTAGATFILE) {
          outcome(was_sound, 0);
          return;
        }
        // Known only afterwards: the sectors of the chain it took back.
        const bool warned = !FC_WARNINGBUFFER.empty();
        const bool failed = !FC_CRITICALERRORBUFFER.empty();
        if (!was_sound || warned || failed) {
          outcome(was_sound, 0, true);
          return;
        }
        take_messages();
        FUZZ_CHECK(reload(), "the image no longer loads");
        const TCATREC* now = entry_at(md_, was);
        FUZZ_CHECK(now != nullptr, "the entry is gone");
        if (now->TTSL == 0xFF) {
          FUZZ_CHECK(read_scratch_file(SCRATCH_IMAGE) == before_.file,
                     "an undelete that was not done changed the file");
          return;
        }
        // The file comes back as it was deleted: with the sectors that could not be read.
        FUZZ_CHECK(sound(md_, true), "the undelete damaged a sound image");
        const std::int64_t taken = chain_of(md_, now->TTSL, now->STSL).size();
        FUZZ_CHECK(std::int64_t{md_.FREESPACE} - before_.free == -taken,
                   "the undelete's free count");
        return;
      }
      case 3: {
        TCATREC* e = pick();
        TCATREC to;
        to.AGATNAME = name_of(ops_.byte());
        to.EXT = type_of(ops_.byte());
        if (e == nullptr || e->TTSL == 0xFF) return;
        const TCATREC was = *e;
        FC_RENAME(*e, to);
        if (!outcome(was_sound, 0)) return;
        const TCATREC* now = entry_at(md_, was);
        FUZZ_CHECK(now != nullptr && now->AGATNAME == to.AGATNAME &&
                       now->EXT == (was.CATRECT == CRTBTKDIR ? 0xFF : to.EXT),
                   "the entry does not have its new name");
        return;
      }
      case 4: {
        const TAGATNAME name = name_of(ops_.byte());
        FC_MAKEDIR(md_, name);
        const std::int64_t grown = current_catalog_length_after() - before_.catalog;
        if (!outcome(was_sound, -CATLEN - grown)) return;
        const TCATREC* e = find_live(md_, name);
        FUZZ_CHECK(e != nullptr && e->CATRECT == CRTBTKDIR, "the new sub-catalog is not listed");
        return;
      }
      case 5: {
        std::vector<std::pair<TCATREC, Bytes>> files;
        if (was_sound) {
          for (int i = 1; i < md_.CAT.CATNUM; ++i) {
            TCATREC& e = md_.CAT.CATREC[i];
            if (e.CATRECT != CRTAGATFILE || e.TTSL == 0xFF) continue;
            FC_LOAD(e, buf);
            // A file that does not load whole (its chain leaves the medium) is not compared.
            if (take_messages()) files.emplace_back(e, Bytes(buf.begin(), buf.begin() + e.SIZE));
          }
        }
        FC_CLEANMEDIA(md_);
        const std::int64_t cut = before_.catalog - current_catalog_length_after();
        if (!outcome(was_sound, cut)) return;
        for (int i = 1; i < md_.CAT.CATNUM; ++i)
          FUZZ_CHECK(md_.CAT.CATREC[i].TTSL != 0xFF || md_.CAT.CATREC[i].AGATNAME == TAGATNAME{},
                     "a deleted entry kept its name");
        for (auto& [e, bytes] : files) {
          TCATREC* now = entry_at(md_, e);
          FUZZ_CHECK(now != nullptr, "a live file is gone");
          FC_LOAD(*now, buf);
          FUZZ_CHECK(take_messages() && Bytes(buf.begin(), buf.begin() + now->SIZE) == bytes,
                     "the cleaning changed a live file");
        }
        return;
      }
      case 6: {
        TCATREC* e = pick();
        if (e == nullptr || e->CATRECT != CRTBTKDIR || e->TTSL == 0xFF) return;
        const Place target{e->TTSL, e->STSL};
        FC_CHDIR(*e);
        if (!outcome(was_sound, 0)) return;
        const auto& vt = as<TVTOCSECTOR>(md_.MASS[17][0]);
        FUZZ_CHECK(Place(vt.TE, vt.SE) == target, "the sub-catalog is not current");
        return;
      }
      default: {
        TCATREC* e = pick();
        const auto mode = static_cast<std::int8_t>(ops_.byte() % 3 - 1);
        if (e == nullptr || e->CATRECT != CRTAGATFILE || e->TTSL == 0xFF) return;
        const TCATREC was = *e;
        FC_RELOCK(*e, mode);
        if (!outcome(was_sound, 0)) return;
        const TCATREC* now = entry_at(md_, was);
        const std::uint8_t lock = mode == -1 ? 0 : mode == 1 ? 0x80 : (was.EXT & 0x80) ^ 0x80;
        FUZZ_CHECK(now != nullptr && now->EXT == ((was.EXT & 0x7F) | lock), "the lock bit");
        return;
      }
    }
  }

  // The length of the current catalog after the operation (in memory: what was saved).
  int current_catalog_length_after() { return current_catalog_length(md_); }

  TMEDIA& md_;
  Ops ops_;
  Before before_;
  bool loads_ = reread(md_);
  bool fresh_ = false;         // the image was read again after the operation
  std::optional<bool> sound_;  // what the map says of the image as last read
};

}  // namespace
}  // namespace agat::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat::fuzz;
  const ImageInput in = decode_image_input({data, size});
  agat::TMEDIA* md = open_scratch_image(in);
  if (md == nullptr || md->CAT.CATNUM == 0) return 0;
  Run(*md, in.tail).all();
  return 0;
}
