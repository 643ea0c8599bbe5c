// Fuzz target: the BASIC lister on a ".FIL" file: the listing the viewer shows and both
// exports (Agat and GW-Basic keywords). Nothing past the file may be read. The Agat export,
// read back by the import, gives the file's bytes in whole sectors; and the input read as a
// program's text is refused or made into a program, never more.
#include <algorithm>

#include "content/basic_proc.h"
#include "content/basic_tokenise.h"
#include "content/report_reader.h"
#include "file_input.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  const TCATREC cr = fuzz::load_file_input({data, size});
  TextReport report;
  basic_listing(report, cr, fuzz::loaded_buffer());
  report_lines(report.text(), 0);
  const std::string text = basic_export_text(cr, fuzz::loaded_buffer(), false);
  basic_export_text(cr, fuzz::loaded_buffer(), true);

  BasicText read;
  BasicBytes made;
  std::string error;
  FUZZ_CHECK(read_basic_text(text, read, error) && build_basic_program(read, made, error),
             "the Agat export is read as a program");
  const auto whole = [](std::size_t n) { return (n + 255) / 256 * 256; };
  const auto file_size = static_cast<std::size_t>(cr.SIZE);
  FUZZ_CHECK(whole(made.size()) == whole(file_size), "the import makes as many sectors");
  made.resize(whole(made.size()), 0);
  FUZZ_CHECK(std::equal(made.begin(), made.begin() + static_cast<std::ptrdiff_t>(file_size),
                        fuzz::loaded_buffer().begin()) &&
                 std::all_of(made.begin() + static_cast<std::ptrdiff_t>(file_size), made.end(),
                             [](std::uint8_t b) { return b == 0; }),
             "the import gives back the file's bytes");

  if (read_basic_text({reinterpret_cast<const char*>(data), size}, read, error) &&
      build_basic_program(read, made, error))
    FUZZ_CHECK(made.size() <= static_cast<std::size_t>(MAXFILESIZE) + 1, "a program fits a file");
  return 0;
}
