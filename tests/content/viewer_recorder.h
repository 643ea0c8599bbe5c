// Test helpers for the text-viewer buffer: a recorder that stands in for the viewer
// screen, and a readable form of the buffer's bytes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "content/text_viewer.h"
#include "core/cp1251.h"

namespace agat::testing {

// Installs itself as the viewer for its lifetime and keeps a copy of everything shown.
struct ViewRecorder {
  ViewRecorder() {
    set_text_view_hook(
        [this](const char* text, std::uint32_t size) { shown.emplace_back(text, size); });
  }
  ~ViewRecorder() { set_text_view_hook(nullptr); }
  ViewRecorder(const ViewRecorder&) = delete;  // the hook holds its address

  std::vector<std::string> shown;
};

// The buffer as UTF-8 with each colour pair written "{XX}" (the attribute in hex), so
// that Russian reports can be compared as they read.
inline std::string readable(std::string_view buffer) {
  std::string out;
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    if (buffer[i] == '\0' && i + 1 < buffer.size()) {
      char pair[8];
      std::snprintf(pair, sizeof pair, "{%02X}", static_cast<unsigned char>(buffer[++i]));
      out += pair;
    } else {
      out += cp1251_to_utf8(buffer.substr(i, 1));
    }
  }
  return out;
}

}  // namespace agat::testing
