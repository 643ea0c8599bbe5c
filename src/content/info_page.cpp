#include "content/info_page.h"

#include "content/colours.h"
#include "content/content_buffer.h"
#include "content/format_control.h"
#include "content/graph_first_mode.h"
#include "content/graph_modes.h"
#include "content/graph_mousegraph.h"
#include "core/catalog_read.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/image_form.h"

namespace agat {

namespace {

// T/S-list byte N (3..11) of the file: TSDATA holds bytes 3..11.
std::uint16_t ts_word(const TTSDATA& ts, int n) {
  return get_le16(&ts[static_cast<std::size_t>(n - 3)]);
}

// The fields that the detected format adds: load address, code length, picture size and
// video mode, from the head of the file or from its T/S-list bytes; the video mode is the
// one the picture is shown in first.
void format_fields(ObjectInfo& info, const TCATREC& cr, const TFILEBUF& buf) {
  const std::uint16_t head0 = get_le16(&buf[0]), head2 = get_le16(&buf[2]);
  const ContentFormat& format = content_format(info.format);
  switch (format.shown) {
    case ContentShown::code:
      info.load_address = format.b_head ? head0 : ts_word(info.ts_data, 10);
      info.code_length = format.b_head ? head2 : ts_word(info.ts_data, 8);
      break;
    case ContentShown::basic:
      info.code_length = head0;
      break;
    case ContentShown::alvgraf:
      info.picture_size = {buf[2], buf[3]};
      break;
    case ContentShown::mousegraph: {
      const TMGSIZE size = mousegraph_size(cr);
      info.picture_size = {size.W, size.H};
      break;
    }
    case ContentShown::video_memory:
      info.load_address = format.b_head ? head0 : ts_word(info.ts_data, 10);
      info.video_mode = FGFDESC[gp_first_mode(gp_video_data(cr, buf, info.format))].NM;
      break;
    case ContentShown::bytes:
    case ContentShown::text:
    case ContentShown::agawt_text:
    case ContentShown::autograf_text:
    case ContentShown::zx_packed:
    case ContentShown::zx_plain:
      break;
  }
}

std::string hex(std::uint32_t v, int digits) {
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4)
    out[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[v & 15];
  return out;
}

std::string place(std::uint8_t track, std::uint8_t sector) {
  return std::to_string(track) + " / " + std::to_string(sector);
}

class Page {
 public:
  explicit Page(TextReport& r) : r_(r) { VV_INIT(r_); }
  Page& label(std::string_view text) {
    VV_ADD_COLOR(r_, COL[CR_INFO_HEADER]);
    VV_ADD_STRING(r_, text);
    return *this;
  }
  Page& value(std::string_view text) {
    VV_ADD_COLOR(r_, COL[CR_INFO_BODY]);
    VV_ADD_STRING_EOL(r_, text);
    return *this;
  }
  Page& field(std::string_view l, std::string_view v) { return label(l).value(v); }

 private:
  TextReport& r_;
};

void file_lines(Page& page, const ObjectInfo& info) {
  page.field("             Агат-имя: "_w,
             A2L(std::string_view(reinterpret_cast<const char*>(info.name.data()), 30)));
  page.field("            Read Only: ", (info.ext & 0x80) != 0 ? "*" : "");
  page.field("                  Тип: "_w, std::string(1, FC_FTYPE(info.ext)));
  page.field("              Скрытый: "_w, info.hidden ? "*" : "");
  page.field("    Размер в каталоге: "_w, std::to_string(info.sectors));
  page.field("Размер данных (блоки): "_w, std::to_string(info.size / 256) + " = $" +
                                              hex(static_cast<std::uint32_t>(info.size / 256), 4));
  page.field("Размер данных (байты): "_w,
             std::to_string(info.size) + " = $" + hex(static_cast<std::uint32_t>(info.size), 8));
  std::string ts;
  for (std::uint8_t b : info.ts_data) ts += " $" + hex(b, 2);
  page.field("  Данные в t/s списке:"_w, ts);
  page.label("         Расположение: "_w);
  if (info.in_image) {
    page.value("Образ Агат-диска: "_w).value(disk_description(info.image));
    page.field("Первый T/S список: "_w, place(info.track, info.sector));
  } else {
    page.value("FIL-файл"_w);
  }
  page.label("Предполагаемый формат: "_w);
  if (content_format(info.format).shown == ContentShown::bytes) return;  // no words, no line end
  page.value(format_description(info.format));
  if (info.load_address) page.field("Точка загрузки: "_w, "$" + hex(*info.load_address, 4));
  if (info.code_length) page.field("    Длина кода: "_w, "$" + hex(*info.code_length, 4));
  if (info.picture_size)
    page.field("Размер: "_w, std::to_string(info.picture_size->first) + " x " +
                                 std::to_string(info.picture_size->second));
  if (!info.video_mode.empty()) page.field("         Режим: "_w, info.video_mode);
}

}  // namespace

bool object_info(TCATREC& CR, TFILEBUF& BUF, ObjectInfo& INFO) {
  INFO = ObjectInfo{};
  INFO.kind = CR.CATRECT;
  INFO.host_name = CR.HOSTNAME;
  INFO.track = CR.TTSL;
  INFO.sector = CR.STSL;
  // A disk image in a host directory has its own form; whatever lies inside an image has
  // the form of that image.
  INFO.image = CR.CATRECT == CRTDISKIMAGE || CR.PMEDIA == nullptr ? CR.IMAGET : CR.PMEDIA->IMAGET;
  // The description is read from the image file's own header, not from an opened medium.
  if (CR.CATRECT == CRTDISKIMAGE && CR.PMEDIA != nullptr)
    image_description(CR.PMEDIA->HOSTPATH + CR.HOSTNAME, INFO.description);
  if (CR.CATRECT != CRTAGATFILE) return true;
  if (!load_content(CR, BUF)) return false;
  INFO.name = CR.AGATNAME;
  INFO.ext = CR.EXT;
  INFO.hidden = CR.HID >= 0x80;
  INFO.sectors = CR.SIZECAT;
  INFO.size = CR.SIZE;
  INFO.ts_data = CR.TSDATA;
  INFO.in_image = CR.PMEDIA->MEDIAT == MDIMAGE;
  INFO.format = FMTDETECT(CR, BUF, FFAUTO);
  format_fields(INFO, CR, BUF);
  return true;
}

std::string disk_description(TIMAGET T) {
  const TIMAGEDESC& d = IMAGEDESC[T];
  std::string line(d.HMNAME);
  line += " {" + std::to_string(d.NTR + 1);
  line += " треков x "_w;
  line += std::to_string(d.NSC + 1);
  line += " секторов = "_w;
  line += std::to_string(form_bytes(T));
  line += " байт}"_w;
  return line;
}

std::string_view format_description(TFILEFORMAT F) {
  return content_format(F).description;
}

void info_report(TextReport& R, const ObjectInfo& INFO) {
  Page page(R);
  page.field("           HostOS имя: "_w, host_to_cp1251(INFO.host_name));
  page.label("          Тип объекта: "_w);
  switch (INFO.kind) {
    case CRTHOSTFSDIR:
      page.value("HostOS директория"_w);
      break;
    case CRTDISKIMAGE:
      page.value(std::string("Образ Агат-диска: "_w) + disk_description(INFO.image));
      if (!INFO.description.empty()) page.field("             Описание: "_w, INFO.description);
      break;
    case CRTBTKDIR:
      page.value("Директория Best Tool Kit"_w);
      page.field("Координаты начала: "_w, place(INFO.track, INFO.sector));
      break;
    case CRTAGATFILE:
      page.value("Агатовский файл"_w);
      file_lines(page, INFO);
      break;
  }
}

void CC_INFO(TCATREC& CR) {
  ObjectInfo info;
  if (!object_info(CR, content_buffer(), info)) return;
  TextReport report;
  info_report(report, info);
  VV_VIEW(report);
}

}  // namespace agat
