#include "content/format_control.h"

#include <algorithm>

#include "content/basic_proc.h"
#include "content/content_buffer.h"
#include "content/exec_proc.h"
#include "content/graph_mousegraph.h"
#include "content/graph_proc.h"
#include "content/text_proc.h"
#include "core/file_control_messages.h"
#include "core/file_rewrite.h"
#include "core/file_transfer.h"

namespace agat {

namespace {

// Whether the name starts, at 1-based position FROM, with the Agat codes of CODES.
template <std::size_t N>
bool name_has(const TCATREC& cr, std::size_t from, const std::uint8_t (&codes)[N]) {
  return std::equal(codes, codes + N, cr.AGATNAME.begin() + (from - 1));
}

// A video-memory image: a load address that is a multiple of $800 and a length of $800,
// $2000 or $4000 (ADDR and LEN point at little-endian words).
bool video_memory_words(const std::uint8_t* addr, const std::uint8_t* len) {
  return addr[0] == 0 && (addr[1] & 7) == 0 && len[0] == 0 &&
         (len[1] == 0x08 || len[1] == 0x20 || len[1] == 0x40);
}

// The name ends in ".bol" (Agat codes AE 42 4F 4C): the last character that is not an
// Agat blank, looked for from position 30 down to position 5 at the lowest.
bool name_ends_bol(const TCATREC& cr) {
  for (std::size_t pos = 30; pos >= 5; --pos) {
    if (cr.AGATNAME[pos - 1] == AGAT_SPACE) continue;
    static constexpr std::uint8_t kBol[] = {0xAE, 0x42, 0x4F, 0x4C};
    return name_has(cr, pos - 3, kBol);
  }
  return false;
}

TFILEFORMAT detect_b_file(const TCATREC& cr, const TFILEBUF& buf) {
  static constexpr std::uint8_t kTekst[] = {0x74, 0x45, 0x4B, 0x53, 0x54, 0xAE};
  if (name_has(cr, 1, kTekst)) return FFAGAWT;
  if (video_memory_words(&buf[0], &buf[2])) return FFBINGRAF;
  if (name_ends_bol(cr)) {
    const bool unpacked = buf[0] == 0x00 && buf[1] == 0x40 && buf[2] == 0x00 && buf[3] == 0x1B;
    return unpacked ? FFZXUNCOMPGRAF : FFZXCOMPGRAF;
  }
  return FFBINARY;
}

TFILEFORMAT detect_k_file(const TCATREC& cr) {
  // TSDATA holds T/S-list bytes 3..11: byte N is TSDATA[N - 3].
  const auto ts = [&cr](int byte) { return cr.TSDATA[static_cast<std::size_t>(byte - 3)]; };
  const std::uint8_t addr[] = {ts(10), ts(11)};
  const std::uint8_t len[] = {ts(8), ts(9)};
  static constexpr std::uint8_t kMgr[] = {0xCD, 0xC7, 0xD2, 0xAE};
  const bool mgr = name_has(cr, 1, kMgr);
  // A whole picture's length, cut to 16 bits in bytes 8..9, can read as a screen's ($2000
  // for 768 x 768): its size, which fits the loaded length, is the surer sign.
  if (mgr && mousegraph_whole(cr)) return FFMGFRAGM;
  if (video_memory_words(addr, len)) return FFKOMGRAF;
  if (mgr && ts(7) != 0 && ts(6) != 0) return FFMGFRAGM;
  return FFKOMAND;
}

}  // namespace

TFILEFORMAT FMTDETECT(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT) {
  return is_auto_format(FMT) ? detect_format(CR, BUF) : FMT;
}

TFILEFORMAT code_format(std::uint8_t TYPE) {
  return TYPE == 0x04 ? FFBINARY : FFKOMAND;
}

TFILEFORMAT detect_format(const TCATREC& CR, const TFILEBUF& BUF) {
  switch (CR.EXT & 0x7F) {
    case 0x00:
      return FFTEXT;
    case 0x02:
      return FFBASIC;
    case 0x04:
      return detect_b_file(CR, BUF);
    case 0x20:
      return detect_k_file(CR);
    case 0x40: {
      static constexpr std::uint8_t kAlv[] = {0x20, 0xD0, 0x69, 0x43};
      return name_has(CR, 17, kAlv) ? FFALVGRAF : FFASIS;
    }
    default:
      return FFASIS;
  }
}

bool load_content(TCATREC& CR, TFILEBUF& BUF) {
  FC_LOAD(CR, BUF);
  if (!FC_CRITICALERRORBUFFER.empty()) return false;
  const auto end = std::min<std::size_t>(static_cast<std::size_t>(CR.SIZE) + 4, BUF.size());
  std::fill(BUF.begin() + CR.SIZE, BUF.begin() + static_cast<std::ptrdiff_t>(end), 0);
  return true;
}

void view_report(TextReport& R, const TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT) {
  switch (content_format(FMT).family) {
    case ContentFamily::text:
      text_report(R, CR, BUF, FMT);
      break;
    case ContentFamily::basic:
      basic_listing(R, CR, BUF);
      break;
    case ContentFamily::binary:
      binary_listing(R, CR, BUF, FMT);
      break;
    case ContentFamily::picture:
      binary_listing(R, CR, BUF, FFASIS);
      break;
  }
}

bool CC_VIEW(TCATREC& CR, TFILEFORMAT FMT) {
  if (CR.CATRECT != CRTAGATFILE) return false;
  TFILEBUF& buf = content_buffer();
  if (!load_content(CR, buf)) return false;
  if (CR.SIZE == 0) return true;
  const TFILEFORMAT fmt = FMTDETECT(CR, buf, FMT);
  switch (content_format(fmt).family) {
    case ContentFamily::binary:
      EP_VIEW(CR, buf, fmt);
      break;
    case ContentFamily::text:
      TP_VIEW(CR, buf, fmt);
      break;
    case ContentFamily::basic:
      BP_VIEW(CR, buf);
      break;
    case ContentFamily::picture:
      GP_VIEW(CR, buf, fmt);
      break;
  }
  return false;
}

bool is_editable_format(TFILEFORMAT FMT) {
  return !is_auto_format(FMT) && content_format(FMT).family == ContentFamily::binary;
}

std::optional<TFILEFORMAT> CC_EDIT(TCATREC& CR, TFILEFORMAT FMT) {
  if (CR.CATRECT != CRTAGATFILE) return std::nullopt;
  TFILEBUF& buf = content_buffer();
  if (!load_content(CR, buf) || CR.SIZE == 0) return std::nullopt;
  const TFILEFORMAT fmt = FMTDETECT(CR, buf, FMT);
  if (!is_editable_format(fmt)) return fmt;
  // Refused before the editor opens, so that no one edits what cannot be saved.
  if (may_rewrite_file(CR) && EP_EDIT(CR, buf, fmt)) rewrite_file(CR, buf);
  return fmt;
}

}  // namespace agat
