// Test helpers for BASIC programs: their characters and lines as bytes, and a program
// loaded as the lister and the export read it.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "content/basic_proc.h"
#include "content/viewer_recorder.h"
#include "core/char_sets.h"
#include "core/cp1251.h"

namespace agat {

using Bytes = std::vector<std::uint8_t>;

// Program characters: the Agat code of each character with bit 7 cleared.
inline Bytes chars(const std::string& utf8) {
  std::string cp;
  utf8_to_cp1251(utf8, cp);
  Bytes out;
  for (char c : L2A(cp)) out.push_back(static_cast<std::uint8_t>(c) ^ 0x80);
  return out;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The size word, the lines (link to the next line at $0801 on, number, codes, 0), the end
// link, the long names (bit 7 on the last code of each), a zero and the names' length word.
inline Bytes program(const std::vector<std::pair<int, Bytes>>& lines,
                     const std::vector<std::string>& names = {}) {
  Bytes b = {0, 0};
  for (const auto& [number, codes] : lines) {
    const std::size_t link = 0x0801 + b.size() + 3 + codes.size();
    b = b +
        Bytes{static_cast<std::uint8_t>(link), static_cast<std::uint8_t>(link >> 8),
              static_cast<std::uint8_t>(number), 0} +
        codes + Bytes{0};
  }
  Bytes table;
  for (const std::string& name : names)
    for (std::size_t i = 0; i < name.size(); ++i)
      table.push_back(static_cast<std::uint8_t>(name[i] | (i + 1 == name.size() ? 0x80 : 0)));
  b = b + Bytes{0, 0} + table +
      Bytes{0, static_cast<std::uint8_t>(table.size()),
            static_cast<std::uint8_t>(table.size() >> 8)};
  b[0] = static_cast<std::uint8_t>(b.size());
  b[1] = static_cast<std::uint8_t>(b.size() >> 8);
  return b;
}

// A program (or any file) as loaded: CR.SIZE of its bytes (SIZE < 0: all), the rest of the buffer
// FILL.
struct Loaded {
  std::unique_ptr<TFILEBUF> buf = std::make_unique<TFILEBUF>();
  TCATREC cr;
  explicit Loaded(const Bytes& bytes, std::int32_t size = -1, std::uint8_t fill = 0) {
    cr.SIZE = size < 0 ? static_cast<std::int32_t>(bytes.size()) : size;
    buf->fill(fill);
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), cr.SIZE), buf->begin());
  }
  std::string view() const {
    TextReport R;
    basic_listing(R, cr, *buf);
    return cp1251_to_utf8(plain_text(R.text()));
  }
  std::string exported(bool gw) const { return cp1251_to_utf8(basic_export_text(cr, *buf, gw)); }
  Bytes bytes() const { return Bytes(buf->begin(), buf->begin() + cr.SIZE); }
};

}  // namespace agat
