#include "content/report_reader.h"

#include <algorithm>

namespace agat {

std::vector<ReportLine> report_lines(std::string_view report, std::uint8_t initial) {
  std::vector<ReportLine> lines;
  std::uint8_t attribute = initial;  // in force at the byte being read
  std::uint8_t line_attribute = initial;
  std::size_t start = 0;
  for (std::size_t i = 0; i < report.size(); ++i) {
    if (report[i] == '\0') {
      // A pair cut short by the end of the text has no attribute; the attribute byte
      // itself may be 10 and is no line end.
      if (i + 1 < report.size()) attribute = static_cast<std::uint8_t>(report[i + 1]);
      ++i;
    } else if (report[i] == '\n') {
      lines.push_back({report.substr(start, i - start), line_attribute});
      start = i + 1;
      line_attribute = attribute;
    }
  }
  lines.push_back({report.substr(std::min(start, report.size())), line_attribute});
  return lines;
}

std::size_t line_width(const ReportLine& line) {
  std::size_t width = 0;
  for_each_run(line, [&width](std::uint8_t, std::string_view text) { width += text.size(); });
  return width;
}

std::vector<ReportLine> wrap_line(const ReportLine& line, std::size_t width) {
  std::vector<ReportLine> pieces;
  const std::string_view b = line.bytes;
  std::uint8_t attribute = line.attribute;
  ReportLine piece{b, attribute};
  std::size_t start = 0, count = 0;
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (b[i] == '\0') {
      if (i + 1 < b.size()) attribute = static_cast<std::uint8_t>(b[i + 1]);
      ++i;
      continue;
    }
    if (count == width) {
      piece.bytes = b.substr(start, i - start);
      pieces.push_back(piece);
      piece.attribute = attribute;
      start = i;
      count = 0;
    }
    ++count;
  }
  piece.bytes = b.substr(start);
  pieces.push_back(piece);
  return pieces;
}

std::string plain_text(const ReportLine& line) {
  std::string text;
  for_each_run(line, [&text](std::uint8_t, std::string_view run) { text += run; });
  return text;
}

std::string plain_text(std::string_view report) {
  std::string text;
  text.reserve(report.size());
  for (std::size_t i = 0; i < report.size(); ++i) {
    if (report[i] == '\0')
      ++i;  // and its attribute byte
    else
      text.push_back(report[i]);
  }
  return text;
}

std::string shown_text(std::string_view report) {
  std::string text = plain_text(report);
  for (char& c : text)
    if (c != '\n' && !viewer_shows(static_cast<std::uint8_t>(c))) c = '?';
  return text;
}

}  // namespace agat
