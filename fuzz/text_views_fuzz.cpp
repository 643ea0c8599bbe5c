// Fuzz target: the text views on a ".FIL" file, read as each of the three text formats
// (plain DOS text, "Агат-Автор", "Автограф"): the view and the export; and the data taken
// as a host text to import. Nothing past the file may be read.
#include <string_view>

#include "content/host_transfer.h"
#include "content/report_reader.h"
#include "content/text_proc.h"
#include "file_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  const TCATREC cr = fuzz::load_file_input({data, size});
  for (TFILEFORMAT format : {FFTEXT, FFAGAWT, FFAUTOGRAF}) {
    TextReport report;
    text_report(report, cr, fuzz::loaded_buffer(), format);
    plain_text(report.text());
    text_export_text(cr, fuzz::loaded_buffer(), format);
  }
  text_from_host(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
