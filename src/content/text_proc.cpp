#include "content/text_proc.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "content/colours.h"
#include "content/host_text.h"
#include "content/host_transfer.h"
#include "core/catalog_entry.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"

namespace agat {

namespace {

// A text format: where its data starts and what each stored byte stands for. A byte is
// a character (line ends become line feeds), the end of the text, or, in "Автограф"
// texts, a colour.
struct TextLayout {
  static constexpr std::uint16_t kEnd = 0x100;
  static constexpr std::uint16_t kColour = 0x200;
  std::int32_t start = 0;
  // The Windows-1251 character in the low byte; for a colour its attribute.
  std::array<std::uint16_t, 256> meaning{};
};

// "Агат-Автор" moves the groups of 32 codes: 40-5F to 60-7F, 60-7F to E0-FF, E0-FF to
// 40-5F, by an XOR per group.
constexpr std::array<std::uint8_t, 8> A2T = {0x00, 0x00, 0x20, 0x80, 0x00, 0x00, 0x00, 0xA0};

TextLayout make_layout(ContentShown kind) {
  const bool agawt = kind == ContentShown::agawt_text;
  const bool autograf = kind == ContentShown::autograf_text;
  TextLayout layout;
  layout.start = agawt ? 5 : autograf ? 4 : 0;
  for (int stored = 0; stored < 256; ++stored) {
    std::uint16_t& m = layout.meaning[stored];
    // The end marker is the stored byte, before any adjustment.
    if ((agawt && stored == 0x80) || (!agawt && !autograf && stored == 0)) {
      m = TextLayout::kEnd;
      continue;
    }
    std::uint8_t code = static_cast<std::uint8_t>(stored);
    if (agawt) code ^= A2T[code >> 5];
    if (autograf) code ^= 0x80;
    if (code == (autograf ? 0x80 : 0x8D)) {
      m = '\n';
    } else if (autograf && code >= 0x81 && code <= 0x87) {
      m = TextLayout::kColour | (code - 0x81 + 8);  // console colours 8..14
    } else {
      m = A2L(code);
    }
  }
  return layout;
}

const TextLayout& layout_of(TFILEFORMAT fmt) {
  static const TextLayout plain = make_layout(ContentShown::text);
  static const TextLayout agawt = make_layout(ContentShown::agawt_text);
  static const TextLayout autograf = make_layout(ContentShown::autograf_text);
  const ContentShown kind = content_format(fmt).shown;
  return kind == ContentShown::agawt_text ? agawt : kind == ContentShown::autograf_text ? autograf
                                                                                       : plain;
}

// Reads the text up to its end marker or the file's size and hands it on in runs of
// lines, between the colour changes. The codes go eight at a time while none of them
// ends the text or changes the colour: texts of a megabyte are shown at once.
template <class Sink>
void walk_text(const TCATREC& cr, const TFILEBUF& buf, TFILEFORMAT fmt, Sink& sink) {
  constexpr std::uint16_t kSpecial = TextLayout::kEnd | TextLayout::kColour;
  const auto& meaning = layout_of(fmt).meaning;
  const std::uint8_t* data = buf.data();
  const std::int32_t size = std::clamp(cr.SIZE, 0, MAXFILESIZE + 1);
  std::array<char, 4096> run;
  std::int32_t pos = layout_of(fmt).start;
  while (pos < size) {
    const std::int32_t stop = std::min(size, pos + static_cast<std::int32_t>(run.size()));
    std::size_t n = 0;
    while (pos + 8 <= stop) {
      std::uint16_t any = 0;
      for (int k = 0; k < 8; ++k) {
        const std::uint16_t m = meaning[data[pos + k]];
        run[n + static_cast<std::size_t>(k)] = static_cast<char>(m);
        any |= m;
      }
      if (any & kSpecial) break;
      pos += 8;
      n += 8;
    }
    for (; pos < stop && !(meaning[data[pos]] & kSpecial); ++pos)
      run[n++] = static_cast<char>(meaning[data[pos]]);
    sink.text(std::string_view(run.data(), n));
    if (pos == stop) continue;
    const std::uint16_t m = meaning[data[pos++]];
    if (m & TextLayout::kEnd) return;
    sink.colour(static_cast<std::uint8_t>(m));
  }
}

struct ViewSink {
  TextReport& r;
  void text(std::string_view s) { add_report_text(r, s); }  // a code 0 shows as "?"
  void colour(std::uint8_t attribute) { VV_ADD_COLOR(r, attribute); }
};

struct FileSink {
  std::string& text_;
  void text(std::string_view s) {
    for (std::size_t eol; (eol = s.find('\n')) != std::string_view::npos; s.remove_prefix(eol + 1))
      text_.append(s.substr(0, eol)).append(SCCRLF);
    text_.append(s);
  }
  void colour(std::uint8_t) {}
};

}  // namespace

void text_report(TextReport& R, const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT) {
  VV_INIT(R);
  VV_ADD_COLOR(R, COL[CR_TEXT]);
  ViewSink sink{R};
  walk_text(CR, BUF, FMT, sink);
  VV_ADD_EOL(R);
  VV_ADD_COLOR(R, COL[EMPTY]);
  VV_ADD_STRING(R, "== EOF ==");
}

void TP_VIEW(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT) {
  TextReport R;
  text_report(R, CR, BUF, FMT);
  VV_VIEW(R);
}

std::string text_export_text(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT) {
  std::string text;
  FileSink sink{text};
  walk_text(CR, BUF, FMT, sink);
  return text;
}

bool TP_EXPORT(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM) {
  return write_host_file(NM, host_text(text_export_text(CR, BUF, FMT)), "Экспорт текста"_w);
}

bool TP_IMPORT(TCATREC& CR, TFILEBUF& BUF, const std::string& NM) {
  constexpr std::string_view kOperation = "Импорт текста"_w;
  // Every stored code takes at least one host byte in four (the longest UTF-8
  // sequence), so a longer file cannot fit and is not even read.
  std::string host;
  if (!read_host_file(NM, 4 * static_cast<std::uint64_t>(MAXFILESIZE), host, kOperation))
    return false;
  const std::string text = text_from_host(host);
  std::string agat;
  agat.reserve(text.size() + 2);
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t eol = rest.find('\n');
    std::string_view line = rest.substr(0, eol);
    rest.remove_prefix(eol == std::string_view::npos ? rest.size() : eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    for (char c : line) {
      const char code = L2A(c);
      agat.push_back(code == 0 ? '\x5F' : code);  // a zero would end the text
    }
    agat.push_back('\x8D');
  }
  agat.push_back('\0');
  if (agat.size() > static_cast<std::size_t>(MAXFILESIZE)) {
    report_critical(std::string(kOperation) + std::string(": текст файла "_w) +
                    quoted_host_path(NM) + std::string(" длиннее файла Агата ("_w) +
                    std::to_string(MAXFILESIZE) + std::string(" байт)"_w));
    return false;
  }
  std::copy(agat.begin(), agat.end(), BUF.begin());
  CR.SIZE = static_cast<std::int32_t>(agat.size());
  CR.EXT = 0x00;
  CR.TSDATA.fill(0);
  return true;
}

}  // namespace agat
