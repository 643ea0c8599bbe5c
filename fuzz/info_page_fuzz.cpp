// Fuzz target: the information page and the dispatcher's view of a ".FIL" file, loaded as
// the panels load a host ".FIL" file (load_content), then exported in the format detected.
// The file buffer is poisoned past the file and the four zero bytes after it.
//
// Invariants: the format detected is a format a file can have; the export names its file
// with the format's suffix.
#include <filesystem>

#include "content/export_import.h"
#include "content/format_control.h"
#include "content/info_page.h"
#include "content/report_reader.h"
#include "fuzz_check.h"
#include "poison.h"
#include "scratch_dir.h"
#include "scratch_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  using namespace agat::fuzz;
  static const auto host = std::make_unique<TMEDIA>();
  static const auto buf = std::make_unique<TFILEBUF>();
  host->MEDIAT = MDHOSTFS;
  host->HOSTPATH = scratch_dir();
  write_scratch_file("F.FIL", data, size);
  TCATREC cr;
  cr.CATRECT = CRTAGATFILE;
  cr.PMEDIA = host.get();
  cr.HOSTNAME = "F.FIL";
  allow(buf->data(), buf->size());
  ObjectInfo info;
  const bool loaded = object_info(cr, *buf, info);
  if (!take_messages() || !loaded) return 0;
  const auto end = static_cast<std::size_t>(cr.SIZE) + 4;
  if (end < buf->size()) forbid(buf->data() + end, buf->size() - end);
  FUZZ_CHECK(info.format != FFAUTO && info.format < FILE_FORMAT_COUNT, "the format detected");
  TextReport report;
  info_report(report, info);
  report_lines(report.text(), 0);
  view_report(report, cr, *buf, info.format);
  plain_text(report.text());
  export_loaded(cr, *buf, info.format, scratch_dir() + "export", true);
  take_messages();
  return 0;
}
