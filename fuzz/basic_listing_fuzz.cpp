// Fuzz target: the BASIC lister on a ".FIL" file: the listing the viewer shows and both
// exports (Agat and GW-Basic keywords). Nothing past the file may be read.
#include "content/basic_proc.h"
#include "content/report_reader.h"
#include "file_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  const TCATREC cr = fuzz::load_file_input({data, size});
  TextReport report;
  basic_listing(report, cr, fuzz::loaded_buffer());
  report_lines(report.text(), 0);
  basic_export_text(cr, fuzz::loaded_buffer(), false);
  basic_export_text(cr, fuzz::loaded_buffer(), true);
  return 0;
}
