// Fuzz target: the comparison of two Agat files, loaded from ".FIL" files as the panels
// load them. The input is a format byte (0 found from the file, 1 text, anything else raw
// bytes), the 3-byte length of the first ".FIL" file, that file, and the second one.
//
// Invariants: a file equals itself; compared as a text or as raw bytes, equality does not
// depend on the order; compared as raw bytes, two files are equal exactly when their data are.
#include <algorithm>
#include <memory>
#include <utility>

#include "content/file_compare.h"
#include "content/report_reader.h"
#include "core/file_transfer.h"
#include "fuzz_check.h"
#include "scratch_dir.h"
#include "scratch_image.h"

namespace {

using namespace agat;

bool equal(TCATREC& a, TCATREC& b, TFILEFORMAT format) {
  TextReport report;
  bool same = false;
  FUZZ_CHECK(compare_files(a, b, format, report, same), "the files did not load");
  report_lines(report.text(), 0);
  return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat::fuzz;
  if (size < 4) return 0;
  static const auto host = std::make_unique<agat::TMEDIA>();
  host->MEDIAT = agat::MDHOSTFS;
  host->HOSTPATH = scratch_dir();
  const TFILEFORMAT format = data[0] == 0 ? FFAUTO : data[0] == 1 ? FFTEXT : FFASIS;
  const std::size_t first = std::min<std::size_t>(size - 4, data[1] | data[2] << 8 | data[3] << 16);
  const std::uint8_t* fil1 = data + 4;
  const std::uint8_t* fil2 = fil1 + first;
  const std::size_t second = size - 4 - first;
  // A ".FIL" file is at least its head.
  if (first < sizeof(TFILHEADER) || second < sizeof(TFILHEADER)) return 0;
  write_scratch_file("A.FIL", fil1, first);
  write_scratch_file("B.FIL", fil2, second);
  TCATREC a, b;
  for (auto [cr, name] : {std::pair{&a, "A.FIL"}, std::pair{&b, "B.FIL"}}) {
    cr->CATRECT = CRTAGATFILE;
    cr->PMEDIA = host.get();
    cr->HOSTNAME = name;
  }
  FUZZ_CHECK(equal(a, a, format), "a file differs from itself");
  const bool same = equal(a, b, format);
  // Found from the file, the way depends on the first file's type; a way given does not.
  if (format != FFAUTO)
    FUZZ_CHECK(same == equal(b, a, format), "the comparison depends on the order");
  if (format == FFASIS)
    FUZZ_CHECK(same == std::equal(fil1 + 40, fil2, fil2 + 40, fil2 + second),
               "raw bytes compare equal exactly when they are");
  take_messages();
  return 0;
}
