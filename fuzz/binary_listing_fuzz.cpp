// Fuzz target: the binary listing of a ".FIL" file as a B file, a K file and raw bytes
// (the code located as the viewer locates it, then disassembled), and the disassembler on
// the whole data at the load address of the T/S-list bytes; and the whole input read as an
// AppleSingle file, as an import reads one. Nothing past the file may be read.
//
// Invariants: the code located lies inside the file; AppleSingle code read is packed and
// read back unchanged.
#include "content/apple_single.h"
#include "content/dizasm.h"
#include "content/exec_proc.h"
#include "content/format_control.h"
#include "content/report_reader.h"
#include "file_input.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat;
  const TCATREC cr = fuzz::load_file_input({data, size});
  TFILEBUF& buf = fuzz::loaded_buffer();
  for (TFILEFORMAT format : {FFBINARY, FFKOMAND, FFASIS, FMTDETECT(cr, buf, FFAUTO)}) {
    std::uint8_t* code = nullptr;
    std::int32_t length = 0, address = 0;
    GETSIZEANDOFFS(cr, buf, format, code, length, address);
    FUZZ_CHECK(
        length == 0 || (code >= buf.data() && length > 0 && code + length <= buf.data() + cr.SIZE),
        "the code lies outside the file");
    TextReport report;
    binary_listing(report, cr, buf, format);
    report_lines(report.text(), 0);
  }
  TextReport report;
  dizasm_listing(report, buf.data(), cr.SIZE, cr.TSDATA[7] | cr.TSDATA[8] << 8);
  ContainedCode contained, again;
  std::string why;
  if (unpack_apple_single({reinterpret_cast<const char*>(data), size}, contained, why)) {
    const std::string packed = pack_apple_single(contained.code, contained.address.value_or(0));
    FUZZ_CHECK(unpack_apple_single(packed, again, why) && again.code == contained.code &&
                   again.address == contained.address.value_or(0) && again.left_out.empty(),
               "AppleSingle code does not read back as it was packed");
  }
  return 0;
}
