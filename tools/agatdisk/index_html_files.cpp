// The pages of the files of a catalogue: what the viewer shows of each, as HTML.
#include <memory>

#include "command_support.h"
#include "content/format_control.h"
#include "content/format_defines.h"
#include "content/graph_mousegraph.h"
#include "content/graph_proc.h"
#include "content/report_reader.h"
#include "content/text_viewer.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "index_html.h"
#include "platform/png_writer.h"

namespace agat {

namespace {

// The PNG file of the picture (empty when it cannot be made).
std::vector<std::uint8_t> picture(const TCATREC& e, TFILEBUF& buf, TFILEFORMAT format) {
  std::vector<std::uint8_t> png;
  const TMGSIZE size = mousegraph_size(e);
  if (content_format(format).shown == ContentShown::mousegraph && size.WHOLE &&
      (size.W > SCRSIDE || size.H > SCRSIDE)) {
    // A whole MouseGraph picture larger than the frame, whole, a pixel for a pixel.
    const std::vector<std::uint8_t> pixels = mousegraph_pixels(e, buf, size);
    png = encode_png({pixels.data(), size.W, size.W, size.H, 1, 1});
  } else {
    auto frame = std::make_unique<TGRAPHSCREEN>();
    const TGRAPHVIEW view = gp_render(e, buf, format, *frame);
    png = encode_png({frame->P.data(), SCRSIDE, view.W, view.H, view.PSW, view.PSH});
  }
  return png;
}

}  // namespace

FileVisitor HtmlCatalogue::file_pages() {
  return [this](const IndexedImage& image, const IndexedEntry& entry, std::size_t place,
                const TCATREC& e, TFILEBUF& buf) {
    const std::string shown = (entry.catalog.empty() ? "" : entry.catalog + "/") + entry.name;
    std::string body = "<h2>" + cp1251_to_utf8("Файл "_w) + html_text(shown) + "</h2>\n";
    const TFILEFORMAT format = detect_format(e, buf);
    body += "<p>" + cp1251_to_utf8("Формат: "_w) + html_text(format_name(format)) + "</p>\n";
    bool written = true;
    if (e.SIZE == 0) {
      body += cp1251_to_utf8("<p>Файл пуст.</p>\n"_w);
    } else if (is_picture_format(format) && !PNG_AVAILABLE) {
      body += cp1251_to_utf8("<p>Рисунки PNG в этой сборке не пишутся.</p>\n"_w);
    } else if (is_picture_format(format)) {
      const std::vector<std::uint8_t> png = picture(e, buf, format);
      const std::string name = file_page_name(image.number, place, ".png");
      written =
          !png.empty() &&
          write(name, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
      body += "<p><img src=\"" + html_escape(name) + "\" alt=\"" + html_text(entry_name(e)) +
              "\"></p>\n";
    } else {
      TextReport report;
      view_report(report, e, buf, format);
      report.finish();
      body += "<pre>" + html_text(plain_text(report.text())) + "</pre>\n";
    }
    written = write(file_page_name(image.number, place, ".html"),
                    html_page(html_text(shown), image.path, body)) &&
              written;
    if (!written) failed_ = true;
  };
}

}  // namespace agat
