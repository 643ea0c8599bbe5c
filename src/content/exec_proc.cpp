#include "content/exec_proc.h"

#include <algorithm>

#include "content/dizasm.h"
#include "content/hexdump.h"
#include "content/host_transfer.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"

namespace agat {

namespace {

// T/S-list byte N (3..11) of the entry: TSDATA holds bytes 3..11.
constexpr std::size_t ts_byte(int n) {
  return static_cast<std::size_t>(n - 3);
}

}  // namespace

void GETSIZEANDOFFS(const TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, std::uint8_t*& SRC,
                    std::int32_t& SIZE, std::int32_t& OFFS) {
  const std::int32_t file = std::clamp(CR.SIZE, 0, MAXFILESIZE + 1);
  const ContentFormat& format = content_format(FMT);
  SRC = BUF.data();
  OFFS = 0;
  SIZE = file;
  if (format.shown != ContentShown::code) return;
  if (format.b_head) {
    // The code follows the head, so only what the file holds after it is code.
    SRC = BUF.data() + 4;
    OFFS = get_le16(&BUF[0]);
    SIZE = std::min<std::int32_t>(get_le16(&BUF[2]), std::max(file - 4, 0));
  } else {
    OFFS = get_le16(&CR.TSDATA[ts_byte(10)]);
    SIZE = std::min<std::int32_t>(get_le16(&CR.TSDATA[ts_byte(8)]), file);
  }
}

void EP_VIEW(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT) {
  std::uint8_t* src = nullptr;
  std::int32_t size = 0, offs = 0;
  GETSIZEANDOFFS(CR, BUF, FMT, src, size, offs);
  HEXDUMP(src, size, offs, true);
}

bool EP_EDIT(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT) {
  std::uint8_t* src = nullptr;
  std::int32_t size = 0, offs = 0;
  GETSIZEANDOFFS(CR, BUF, FMT, src, size, offs);
  return HEXDUMP(src, size, offs, false);
}

bool EP_EXPORT(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM, bool ENC) {
  std::uint8_t* src = nullptr;
  std::int32_t size = 0, offs = 0;
  GETSIZEANDOFFS(CR, BUF, FMT, src, size, offs);
  if (ENC) A2L(src, size);
  return write_host_file(NM, std::string_view(reinterpret_cast<const char*>(src), size),
                         "Экспорт файла"_w);
}

bool EP_IMPORT(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM, bool ENC) {
  std::string data;
  if (!read_host_file(NM, EP_IMPORT_MAXFILE, data, "Импорт файла"_w)) return false;
  place_imported_code(CR, BUF, FMT, data, EP_IMPORT_ADDRESS, ENC);
  return true;
}

void place_imported_code(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, std::string_view CODE,
                         std::uint16_t ADDRESS, bool ENC) {
  const bool b_file = content_format(FMT).b_head;
  std::uint8_t* code = BUF.data() + (b_file ? 4 : 0);
  const auto size_read = static_cast<std::int32_t>(
      std::min<std::size_t>(CODE.size(), static_cast<std::size_t>(EP_IMPORT_MAXFILE)));
  std::copy(CODE.begin(), CODE.begin() + size_read, code);
  auto size = size_read;
  if (ENC) L2A(code, size);
  if (size > EP_IMPORT_MAXCODE) {
    report_warning(std::string("Импорт файла: двоичный файл длиннее "_w) +
                   std::to_string(EP_IMPORT_MAXCODE) + std::string(" байт, отброшено "_w) +
                   std::to_string(size_read - EP_IMPORT_MAXCODE) + std::string(" байт"_w));
    size = EP_IMPORT_MAXCODE;
  }
  put_le16(&CR.TSDATA[ts_byte(8)], static_cast<std::uint16_t>(size));
  put_le16(&CR.TSDATA[ts_byte(10)], ADDRESS);
  CR.EXT = 0x20;
  if (b_file) {
    put_le16(&BUF[0], ADDRESS);
    put_le16(&BUF[2], static_cast<std::uint16_t>(size));
    CR.EXT = 0x04;
    size += 4;
  }
  CR.SIZE = size;
}

void binary_listing(TextReport& R, const TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT) {
  std::uint8_t* src = nullptr;
  std::int32_t size = 0, offs = 0;
  GETSIZEANDOFFS(CR, BUF, FMT, src, size, offs);
  VV_INIT(R);
  dizasm_listing(R, src, size, offs);
}

}  // namespace agat
