// Fuzz target: the sector-map analysis of a fuzzed image (the VTOC check and its report,
// the references, the summary with the lost chains, the chains lit for every entry), then
// a catalog entry made for up to three lost T/S lists (one on an AIM image), as `r` on the
// map makes them.
//
// Invariants: every sector is counted once, by the role of its first reference or as
// unreferenced; a lost chain starts at a lost T/S list; an entry made for a lost list
// leaves an image whose catalog reads and on which that list is no longer lost, and a
// refused one leaves the file byte for byte.
#include <algorithm>

#include "content/immap_report.h"
#include "content/report_reader.h"
#include "core/immap_summary.h"
#include "fuzz_check.h"
#include "image_input.h"
#include "scratch_dir.h"
#include "scratch_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  using namespace agat::fuzz;
  TMEDIA* found = open_scratch_image(decode_image_input({data, size}));
  if (found == nullptr) return 0;
  TMEDIA& md = *found;
  const bool loads = reread(md);
  TVTOCFAULTS faults;
  scan_map(md, faults);
  TextReport report;
  vtoc_report(faults, report);
  plain_text(report.text());
  const TIMMSUMMARY summary = summarise_map(md, faults);
  std::int64_t counted = summary.UNREFERENCED;
  for (const auto n : summary.BYROLE) counted += n;
  FUZZ_CHECK(counted == (md.NUMTR + 1) * (md.NUMSC + 1), "every sector counted once");
  for (const TIMMORPHAN& o : summary.ORPHANS)
    FUZZ_CHECK(is_orphan_tsl(SCMP[o.AT.T][o.AT.S]), "a lost chain that starts at no lost list");
  for (int i = 0; i < md.CAT.CATNUM; ++i)
    FLASHSEARCH(md, md.CAT.CATREC[i].TTSL, md.CAT.CATREC[i].STSL);

  // Every entry made saves and reads the image again: of an AIM image, whose tracks decode
  // slowest, one is enough.
  const std::size_t entries = md.IMAGET == ITA800 ? 1 : 3;
  for (std::size_t k = 0; k < summary.ORPHANS.size() && k < entries; ++k) {
    const TSECTORPLACE at = summary.ORPHANS[k].AT;
    const Bytes before = read_scratch_file(SCRATCH_IMAGE);
    scan_map(md, faults);
    const bool built = BUILDFILE(md, at.T, at.S);
    if (!take_messages() || !built) {
      FUZZ_CHECK(read_scratch_file(SCRATCH_IMAGE) == before, "a refused entry changed the file");
      reread(md);
      continue;
    }
    FUZZ_CHECK(reread(md) || !loads, "the image no longer loads");
    scan_map(md, faults);
    FUZZ_CHECK(SCMP[at.T][at.S].LINKSCNT > 0, "the list is still lost");
  }
  return 0;
}
