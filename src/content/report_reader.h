// Reading a report built by the VV_ operations (content/text_viewer.h): its lines, the
// runs of one colour within a line, and its plain text. The viewer screen, the
// command-line programs and the tests all read reports through these, so the in-band
// colour format is known here and in the writer only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace agat {

// One line of a report: its bytes without the line feed (colour pairs still in-band),
// and the attribute in force where it starts.
struct ReportLine {
  std::string_view bytes;
  std::uint8_t attribute = 0;
};

// The report cut at its line feeds. The first line starts in `initial`; every other line
// starts in the colour the line before ended with. A report that ends with a line feed
// has an empty last line after it.
std::vector<ReportLine> report_lines(std::string_view report, std::uint8_t initial);

// Calls visit(attribute, characters) for the characters before the line's first colour
// pair (in the line's own attribute), then once for each colour pair with the characters
// that follow it up to the next pair. Runs may be empty.
template <class Visit>
void for_each_run(const ReportLine& line, Visit visit) {
  std::uint8_t attribute = line.attribute;
  const std::string_view b = line.bytes;
  std::size_t start = 0;
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (b[i] != '\0') continue;
    visit(attribute, b.substr(start, i - start));
    // A pair cut short by the end of the text has no attribute.
    if (i + 1 < b.size()) attribute = static_cast<std::uint8_t>(b[i + 1]);
    start = ++i + 1;
  }
  visit(attribute, start < b.size() ? b.substr(start) : std::string_view());
}

// The number of characters of a line (colour pairs take none).
std::size_t line_width(const ReportLine& line);

// The line cut into pieces of `width` characters (the last one may be shorter), each
// starting in the colour that holds there. A colour pair just before a cut ends the
// piece before it.
std::vector<ReportLine> wrap_line(const ReportLine& line, std::size_t width);

// The characters of a line, or of a whole report with its line feeds, without colour.
std::string plain_text(const ReportLine& line);
std::string plain_text(std::string_view report);

// Whether the viewer screen shows the Windows-1251 byte C as it is; it shows "?" for every
// other byte (control codes and most of $80..$BF).
inline bool viewer_shows(std::uint8_t c) {
  return (c >= 32 && c <= 127) || c >= 192;
}
// The plain text of a report as the viewer screen shows it: line feeds kept, every other
// byte that the screen would show as "?" replaced by "?".
std::string shown_text(std::string_view report);

}  // namespace agat
