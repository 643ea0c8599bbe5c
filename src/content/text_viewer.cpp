#include "content/text_viewer.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace agat {

namespace {

static_assert(NO_SPACE.size() == 28 && NO_SPACE[2] == '\0' && NO_SPACE[3] == 12);

TextViewHook& view_hook() {
  static TextViewHook hook;
  return hook;
}

}  // namespace

void VV_INIT(TextReport& R) {
  R.bytes_.clear();
  R.scanned_ = R.line_end_ = 0;
  R.colour_ = 0;
}

void VV_ADD_CHAR(TextReport& R, char C) {
  std::string& bytes = R.bytes_;
  const std::size_t limit = R.limit();
  if (bytes.size() >= limit) return;  // closed by the overflow note
  bytes.push_back(C);
  // The note is written as soon as no more than its own length is left, so it always
  // fits and fills the buffer to its last byte.
  if (bytes.size() + NO_SPACE.size() > limit - 1) bytes.append(NO_SPACE);
  if (bytes.size() > TextReport::STREAM_CHUNK) R.stream();
}

void TextReport::append(std::string_view raw) {
  // Bytes that leave room for the overflow note after the last of them go in at once;
  // near the end of the buffer, one by one, so that the note comes where it must.
  if (bytes_.size() + raw.size() + NO_SPACE.size() <= limit() - 1) {
    bytes_.append(raw);
    if (bytes_.size() > STREAM_CHUNK) stream();
    return;
  }
  for (char c : raw) VV_ADD_CHAR(*this, c);
}

void TextReport::stream() {
  if (!sink_) return;
  // The last line feed that ends a line: the byte after a 0 is a colour, whatever its
  // value, so the bytes are read on from where the last look stopped (a line's start, or
  // a pair still waiting for its colour), never twice.
  std::size_t i = scanned_;
  for (; i < bytes_.size(); ++i) {
    if (bytes_[i] == '\0') {
      if (i + 1 == bytes_.size()) break;
      ++i;
    } else if (bytes_[i] == '\n') {
      line_end_ = i + 1;
    }
  }
  scanned_ = i;
  if (line_end_ == 0) return;
  sink_(std::string_view(bytes_).substr(0, line_end_));
  bytes_.erase(0, line_end_);
  scanned_ -= line_end_;
  line_end_ = 0;
}

void TextReport::finish() {
  if (!sink_ || bytes_.empty()) return;
  sink_(bytes_);
  bytes_.clear();
  scanned_ = line_end_ = 0;
}

void VV_ADD_STRING(TextReport& R, std::string_view S) {
  // A zero would start a colour pair: it becomes "?". (A plain loop: the strings are
  // short, and a library search costs more than the look at each byte.)
  bool zero = false;
  for (const char c : S) zero |= c == '\0';
  if (!zero) {
    R.append(S);
    return;
  }
  std::string text(S);
  std::replace(text.begin(), text.end(), '\0', '?');
  R.append(text);
}

void add_report_text(TextReport& R, std::string_view S) {
  std::string& bytes = R.bytes_;
  // Text that surely leaves room for the note (a line end takes three bytes) and holds
  // no zero goes in a line at a time; otherwise through VV_ADD_STRING and VV_ADD_EOL,
  // which replace the zeros and place the note exactly.
  if (bytes.size() + 3 * S.size() + NO_SPACE.size() <= R.limit() - 1 &&
      S.find('\0') == std::string_view::npos) {
    const char line_end[] = {'\n', '\0', static_cast<char>(R.colour_)};
    for (std::size_t eol; (eol = S.find('\n')) != std::string_view::npos; S.remove_prefix(eol + 1))
      bytes.append(S.data(), eol).append(line_end, sizeof line_end);
    bytes.append(S);
    if (bytes.size() > TextReport::STREAM_CHUNK) R.stream();
    return;
  }
  for (std::size_t eol; (eol = S.find('\n')) != std::string_view::npos; S.remove_prefix(eol + 1)) {
    VV_ADD_STRING(R, S.substr(0, eol));
    VV_ADD_EOL(R);
  }
  VV_ADD_STRING(R, S);
}

void VV_ADD_COLOR(TextReport& R, std::uint8_t B) {
  if (B == R.colour_) return;
  VV_ADD_CHAR(R, '\0');
  VV_ADD_CHAR(R, static_cast<char>(B));
  R.colour_ = B;
}

void VV_ADD_EOL(TextReport& R) {
  VV_ADD_CHAR(R, '\n');
  VV_ADD_CHAR(R, '\0');
  VV_ADD_CHAR(R, static_cast<char>(R.colour_));
}

void TextLine::flush() {
  report_.append(std::string_view(buf_, n_));
  report_.colour_ = colour_;
  n_ = 0;
}

void VV_ADD_STRING_EOL(TextReport& R, std::string_view S) {
  VV_ADD_STRING(R, S);
  VV_ADD_EOL(R);
}

void VV_ADD_LONGINT(TextReport& R, std::int32_t V, std::int32_t F) {
  const std::string digits = std::to_string(V);
  for (std::int32_t pad = F - static_cast<std::int32_t>(digits.size()); pad > 0; --pad)
    VV_ADD_CHAR(R, ' ');
  VV_ADD_STRING(R, digits);
}

void VV_ADD_HEX(TextReport& R, std::int32_t V, std::uint8_t N) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  const auto bits = static_cast<std::uint32_t>(V);
  // Digit I counts from the right; digits beyond the 32 bits of V are zeros.
  for (int i = N - 1; i >= 0; --i) VV_ADD_CHAR(R, i < 8 ? kDigits[(bits >> (4 * i)) & 0xF] : '0');
}

void VV_VIEW(const TextReport& R) {
  if (view_hook()) view_hook()(R.text());
}

void set_text_view_hook(TextViewHook hook) {
  view_hook() = std::move(hook);
}

}  // namespace agat
