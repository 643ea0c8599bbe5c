#include "content/export_import.h"

#include <algorithm>

#include "content/basic_proc.h"
#include "content/basic_tokenise.h"
#include "content/content_buffer.h"
#include "content/exec_proc.h"
#include "content/format_control.h"
#include "content/text_proc.h"
#include "core/catalog_entry.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"
#include "core/host_fs.h"
#include "core/host_paths.h"

namespace agat {

namespace {

// An Agat name in Windows-1251 without its trailing blanks, between double quotes.
std::string shown_name(const TAGATNAME& name) {
  std::size_t length = name.size();
  while (length > 0 && name[length - 1] == AGAT_SPACE) --length;
  return quoted(A2L(std::string_view(reinterpret_cast<const char*>(name.data()), length)));
}

// An imported file never takes the place of a live namesake: NAME becomes the first of
// NAME~1, NAME~2 ... (its end cut where the number would not fit in 30 characters) that
// the current catalog lacks. False, with a critical message, when the catalog cannot be
// searched or every variant is taken.
bool make_import_name_unique(TMEDIA& md, TAGATNAME& name) {
  constexpr int kMaxVariants = 9999;
  const std::size_t before = FC_CRITICALERRORBUFFER.size();
  std::uint8_t t, s;
  std::int32_t o;
  if (!FINDTHISCAT(md, name, t, s, o, false)) return FC_CRITICALERRORBUFFER.size() == before;
  std::size_t length = name.size();
  while (length > 0 && name[length - 1] == AGAT_SPACE) --length;
  for (int n = 1; n <= kMaxVariants; ++n) {
    const std::string suffix = L2A("~" + std::to_string(n));
    TAGATNAME variant;
    variant.fill(AGAT_SPACE);
    const std::size_t kept = std::min(length, variant.size() - suffix.size());
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(kept), variant.begin());
    std::copy(suffix.begin(), suffix.end(), variant.begin() + static_cast<std::ptrdiff_t>(kept));
    if (FINDTHISCAT(md, variant, t, s, o, false)) continue;
    if (FC_CRITICALERRORBUFFER.size() != before) return false;
    report_warning(std::string("Импорт файла: файл "_w) + shown_name(name) +
                   std::string(" уже есть, новый файл записан под именем "_w) +
                   shown_name(variant));
    name = variant;
    return true;
  }
  report_critical(std::string("Импорт файла: все варианты имени "_w) + shown_name(name) +
                  std::string(" заняты"_w));
  return false;
}

}  // namespace

std::string_view export_suffix(TFILEFORMAT FMT) {
  return content_format(FMT).export_suffix;
}

bool export_loaded(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM,
                   bool SUBMODE) {
  switch (content_format(FMT).family) {
    case ContentFamily::text:
      return TP_EXPORT(CR, BUF, FMT, NM);
    case ContentFamily::basic:
      return BP_EXPORT(CR, BUF, NM, SUBMODE);
    case ContentFamily::binary:
    case ContentFamily::picture:
      break;
  }
  return EP_EXPORT(CR, BUF, FMT, NM, SUBMODE);
}

void CC_EXPORT(TCATREC& SRC, const std::string& DST, TFILEFORMAT FMT, bool SUBMODE,
               const TREPLACEQUESTION& ASK) {
  if (SRC.CATRECT != CRTAGATFILE) return;
  TFILEBUF& buf = content_buffer();
  if (!load_content(SRC, buf)) return;
  const TFILEFORMAT fmt = FMTDETECT(SRC, buf, FMT);
  std::string path = DST + std::string(export_suffix(fmt));
  if (host_link_status(path).kind != HostKind::missing) {
    if (ASK) {
      if (!ASK(path)) return;
    } else {
      const std::size_t start = host_name_start(path);
      const std::string folder = path.substr(0, start);
      std::string name = path.substr(start);
      if (!FINDUNIQNAME(folder, name)) return;
      report_warning(std::string("Экспорт файла: файл "_w) + quoted_host_path(path) +
                     std::string(" уже есть, записан файл "_w) + quoted_host_path(folder + name));
      path = folder + name;
    }
  }
  export_loaded(SRC, buf, fmt, path, SUBMODE);
}

bool is_import_format(TFILEFORMAT FMT) {
  return content_format(FMT).importable;
}

bool CC_IMPORT(const std::string& SRC, TCATREC& DST, TFILEFORMAT FMT, bool SUBMODE, bool REPLACE) {
  if (DST.PMEDIA == nullptr || !is_import_format(FMT)) return false;
  TFILEBUF& buf = content_buffer();
  const ContentFamily family = content_format(FMT).family;
  const bool read = family == ContentFamily::text    ? TP_IMPORT(DST, buf, SRC)
                    : family == ContentFamily::basic ? BP_IMPORT(DST, buf, SRC)
                                                     : EP_IMPORT(DST, buf, FMT, SRC, SUBMODE);
  return read && save_import(DST, buf, REPLACE);
}

bool save_import(TCATREC& DST, TFILEBUF& BUF, bool REPLACE) {
  // The last sector is written whole: after the file it holds zeros, not what an earlier
  // file left in the buffer.
  const std::size_t end =
      std::min<std::size_t>((static_cast<std::size_t>(DST.SIZE) + 255) / 256 * 256, BUF.size());
  std::fill(BUF.begin() + DST.SIZE, BUF.begin() + static_cast<std::ptrdiff_t>(end), 0);
  if (DST.PMEDIA->MEDIAT == MDIMAGE && !REPLACE &&
      !make_import_name_unique(*DST.PMEDIA, DST.AGATNAME))
    return false;
  FC_SAVE(DST, BUF, *DST.PMEDIA, true);
  return FC_CRITICALERRORBUFFER.empty();
}

}  // namespace agat
