#include "content/export_import.h"

#include <algorithm>

#include "content/basic_proc.h"
#include "content/content_buffer.h"
#include "content/exec_proc.h"
#include "content/format_control.h"
#include "content/text_proc.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"

namespace agat {

namespace {

bool is_text_format(TFILEFORMAT f) {
  return f == FFTEXT || f == FFAGAWT || f == FFAUTOGRAF;
}

}  // namespace

std::string_view export_suffix(TFILEFORMAT FMT) {
  if (is_text_format(FMT)) return ".txt";
  return FMT == FFBASIC ? ".bas" : ".bin";
}

bool export_loaded(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM,
                   bool SUBMODE) {
  if (is_text_format(FMT)) return TP_EXPORT(CR, BUF, FMT, NM);
  if (FMT == FFBASIC) return BP_EXPORT(CR, BUF, NM, SUBMODE);
  return EP_EXPORT(CR, BUF, FMT, NM, SUBMODE);
}

void CC_EXPORT(TCATREC& SRC, const std::string& DST, TFILEFORMAT FMT, bool SUBMODE) {
  if (SRC.CATRECT != CRTAGATFILE) return;
  TFILEBUF& buf = content_buffer();
  if (!load_content(SRC, buf)) return;
  const TFILEFORMAT fmt = FMTDETECT(SRC, buf, FMT);
  export_loaded(SRC, buf, fmt, DST + std::string(export_suffix(fmt)), SUBMODE);
}

bool is_import_format(TFILEFORMAT FMT) {
  return FMT == FFTEXT || FMT == FFASIS || FMT == FFBINARY || FMT == FFKOMAND;
}

bool CC_IMPORT(const std::string& SRC, TCATREC& DST, TFILEFORMAT FMT, bool SUBMODE) {
  if (DST.PMEDIA == nullptr || !is_import_format(FMT)) return false;
  TFILEBUF& buf = content_buffer();
  const bool read =
      FMT == FFTEXT ? TP_IMPORT(DST, buf, SRC) : EP_IMPORT(DST, buf, FMT, SRC, SUBMODE);
  if (!read) return false;
  // The last sector is written whole: after the file it holds zeros, not what an earlier
  // file left in the buffer.
  const std::size_t end =
      std::min<std::size_t>((static_cast<std::size_t>(DST.SIZE) + 255) / 256 * 256, buf.size());
  std::fill(buf.begin() + DST.SIZE, buf.begin() + static_cast<std::ptrdiff_t>(end), 0);
  FC_SAVE(DST, buf, *DST.PMEDIA, true);
  return FC_CRITICALERRORBUFFER.empty();
}

}  // namespace agat
