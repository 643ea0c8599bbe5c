// Test helpers for reports: a recorder that stands in for the viewer screen, and a
// readable form of a report's bytes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "content/report_reader.h"
#include "content/text_viewer.h"
#include "core/cp1251.h"

namespace agat::testing {

// Installs itself as the viewer for its lifetime and keeps a copy of everything shown.
struct ViewRecorder {
  ViewRecorder() {
    set_text_view_hook([this](std::string_view text) { shown.emplace_back(text); });
  }
  ~ViewRecorder() { set_text_view_hook(nullptr); }
  ViewRecorder(const ViewRecorder&) = delete;  // the hook holds its address

  std::vector<std::string> shown;
};

// A report as UTF-8 with each colour pair written "{XX}" (the attribute in hex), so that
// Russian reports can be compared as they read.
inline std::string readable(std::string_view report) {
  std::string out;
  bool first_line = true;
  for (const ReportLine& line : report_lines(report, 0)) {
    if (!first_line) out += '\n';
    first_line = false;
    bool first_run = true;
    for_each_run(line, [&](std::uint8_t attribute, std::string_view text) {
      if (!first_run) {
        char pair[8];
        std::snprintf(pair, sizeof pair, "{%02X}", attribute);
        out += pair;
      }
      first_run = false;
      out += cp1251_to_utf8(text);
    });
  }
  return out;
}

}  // namespace agat::testing
