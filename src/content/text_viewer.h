// The text-viewer buffer: every scrolling report (errors, comparisons, listings, dumps,
// disassembly...) is built in a TextReport and then handed to the viewer screen, or
// printed by a command-line program through the report reader (content/report_reader.h).
//
// A report holds Windows-1251 text with colour carried in-band:
//   - a byte 0 is never text: the byte after it is a text attribute (see COL) that
//     applies from there on; the pair takes no screen column;
//   - a byte 10 ends a line, and VV_ADD_EOL always follows it with a colour pair that
//     repeats the current attribute, so any line can be drawn without the ones before;
//   - every other byte is a character.
// Only the VV_ operations write this format and only the report reader reads it.
// A report that outgrows VV_BUFSIZE ends with NO_SPACE; what comes after is dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace agat {

inline constexpr std::uint32_t VV_BUFSIZE = 2048000;

// Two line ends, light red, and the note: the last 28 bytes of a buffer that overflowed.
// (The view refers to a named array, not to a literal: a literal may have a different
// address in every translation unit, and the view must be one object everywhere.)
inline constexpr char NO_SPACE_BYTES[] = "\n\n\0\x0C>> No space in buffer <<";
inline constexpr std::string_view NO_SPACE{NO_SPACE_BYTES, sizeof NO_SPACE_BYTES - 1};

// One report being built. Its bytes grow as they are written, up to VV_BUFSIZE.
class TextReport {
 public:
  // The bytes written so far, colour pairs included.
  std::string_view text() const { return bytes_; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }

 private:
  friend void VV_INIT(TextReport& R);
  friend void VV_ADD_CHAR(TextReport& R, char C);
  friend void VV_ADD_STRING(TextReport& R, std::string_view S);
  friend void VV_ADD_TEXT(TextReport& R, std::string_view S);
  friend void VV_ADD_COLOR(TextReport& R, std::uint8_t B);
  friend void VV_ADD_EOL(TextReport& R);
  friend class TextLine;

  // Appends RAW as it is, closing the report with NO_SPACE where it fills up.
  void append(std::string_view raw);

  std::string bytes_;
  std::uint8_t colour_ = 0;  // the attribute of the last colour pair written
};

// Empties the report. The colour is forgotten too, so that every report writes its own
// first colour pair.
void VV_INIT(TextReport& R);
// Appends one byte as it is (a 0 here starts a colour pair).
void VV_ADD_CHAR(TextReport& R, char C);
// Appends the characters of S; a byte 0 in S becomes "?".
void VV_ADD_STRING(TextReport& R, std::string_view S);
// Appends lines of text: every line feed in S as VV_ADD_EOL, the rest as VV_ADD_STRING.
void VV_ADD_TEXT(TextReport& R, std::string_view S);
// Appends a colour pair, unless B is already the current colour.
void VV_ADD_COLOR(TextReport& R, std::uint8_t B);
// Appends a line end and a colour pair that repeats the current colour.
void VV_ADD_EOL(TextReport& R);
void VV_ADD_STRING_EOL(TextReport& R, std::string_view S);
// V in decimal, right-aligned in a field of F characters (a longer number is not cut).
void VV_ADD_LONGINT(TextReport& R, std::int32_t V, std::int32_t F);
// Exactly N upper-case hexadecimal digits: the low 4 x N bits of V, zero-filled.
void VV_ADD_HEX(TextReport& R, std::int32_t V, std::uint8_t N);
// One line of a report gathered before it goes in, for producers that write many short
// runs a line (listings, dumps): one append a line instead of one a run. The bytes are
// exactly those the VV_ operations named below would write.
class TextLine {
 public:
  // A line that starts in the report's current colour.
  explicit TextLine(TextReport& R) : report_(R), colour_(R.colour_) {}
  TextLine(const TextLine&) = delete;
  ~TextLine() { flush(); }

  // As VV_ADD_COLOR.
  TextLine& color(std::uint8_t B) {
    if (B == colour_) return *this;
    room(2);
    buf_[n_++] = '\0';
    buf_[n_++] = static_cast<char>(B);
    colour_ = B;
    return *this;
  }
  // As VV_ADD_STRING: a byte 0 becomes "?".
  TextLine& text(std::string_view S) {
    if (S.size() > sizeof buf_ - n_) {
      for (const char c : S) ch(c);
      return *this;
    }
    for (const char c : S) buf_[n_++] = c == '\0' ? '?' : c;
    return *this;
  }
  TextLine& ch(char C) {
    room(1);
    buf_[n_++] = C == '\0' ? '?' : C;
    return *this;
  }
  // As VV_ADD_HEX, for up to 8 digits.
  TextLine& hex(std::uint32_t V, int N) {
    room(static_cast<std::size_t>(N));
    for (int i = N - 1; i >= 0; --i) buf_[n_++] = "0123456789ABCDEF"[(V >> (4 * i)) & 0xF];
    return *this;
  }
  // As VV_ADD_EOL: the line and its end go into the report.
  void end() {
    room(3);
    buf_[n_++] = '\n';
    buf_[n_++] = '\0';
    buf_[n_++] = static_cast<char>(colour_);
    flush();
  }

 private:
  // Makes room for N more bytes by passing those gathered to the report.
  void room(std::size_t n) {
    if (n_ + n > sizeof buf_) flush();
  }
  void flush();

  TextReport& report_;
  std::uint8_t colour_;
  char buf_[256];
  std::size_t n_ = 0;
};

// Shows the report through the installed viewer; returns when the user leaves it.
void VV_VIEW(const TextReport& R);

// The viewer screen that VV_VIEW calls with the bytes of a report. The program installs
// it at start; without one VV_VIEW does nothing.
using TextViewHook = std::function<void(std::string_view text)>;
void set_text_view_hook(TextViewHook hook);

}  // namespace agat
