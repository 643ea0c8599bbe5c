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
// A report that outgrows VV_BUFSIZE ends with NO_SPACE; what comes after is dropped. A
// streamed report (built with a sink, for output that has no screen to fill) has no such
// limit: its finished lines leave it as it grows.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

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
  // Receives bytes of a streamed report: whole lines (colour pairs included, each piece
  // starting where a line starts), then at finish() the rest.
  using Sink = std::function<void(std::string_view bytes)>;

  TextReport() = default;
  // A streamed report: whenever more than STREAM_CHUNK bytes are held, its whole lines go
  // to SINK and are dropped; nothing is ever cut.
  explicit TextReport(Sink sink) : sink_(std::move(sink)) {}
  static constexpr std::size_t STREAM_CHUNK = 65536;

  // The bytes written so far (of a streamed report: those not yet passed on), colour
  // pairs included.
  std::string_view text() const { return bytes_; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  // Whether nothing more goes in: a held report that reached VV_BUFSIZE.
  bool full() const { return !sink_ && bytes_.size() >= VV_BUFSIZE; }
  // Passes on whatever a streamed report still holds; nothing for a held one.
  void finish();

 private:
  friend void VV_INIT(TextReport& R);
  friend void VV_ADD_CHAR(TextReport& R, char C);
  friend void VV_ADD_STRING(TextReport& R, std::string_view S);
  friend void add_report_text(TextReport& R, std::string_view S);
  friend void VV_ADD_COLOR(TextReport& R, std::uint8_t B);
  friend void VV_ADD_EOL(TextReport& R);
  friend class TextLine;

  // Appends RAW as it is, closing the report with NO_SPACE where it fills up.
  void append(std::string_view raw);
  // The most bytes a report holds before its overflow note: VV_BUFSIZE unless streamed.
  std::size_t limit() const { return sink_ ? kUnlimited : VV_BUFSIZE; }
  // A streamed report that holds more than STREAM_CHUNK bytes passes on its whole lines.
  void stream();

  static constexpr std::size_t kUnlimited = std::size_t{1} << 62;
  std::string bytes_;
  Sink sink_;
  std::size_t scanned_ = 0;   // streamed: the bytes before this one were looked at
  std::size_t line_end_ = 0;  // streamed: where the last whole line found ends, or 0
  std::uint8_t colour_ = 0;   // the attribute of the last colour pair written
};

// Empties the report. The colour is forgotten too, so that every report writes its own
// first colour pair.
void VV_INIT(TextReport& R);
// Appends one byte as it is (a 0 here starts a colour pair).
void VV_ADD_CHAR(TextReport& R, char C);
// Appends the characters of S; a byte 0 in S becomes "?".
void VV_ADD_STRING(TextReport& R, std::string_view S);
// Appends lines of text: every line feed in S as VV_ADD_EOL, the rest as VV_ADD_STRING.
void add_report_text(TextReport& R, std::string_view S);
// Appends a colour pair, unless B is already the current colour.
void VV_ADD_COLOR(TextReport& R, std::uint8_t B);
// Appends a line end and a colour pair that repeats the current colour.
void VV_ADD_EOL(TextReport& R);
void VV_ADD_STRING_EOL(TextReport& R, std::string_view S);
// V in decimal, right-aligned in a field of F characters (a longer number is not cut).
void VV_ADD_LONGINT(TextReport& R, std::int32_t V, std::int32_t F);
// Exactly N upper-case hexadecimal digits: the low 4 x N bits of V, zero-filled.
void VV_ADD_HEX(TextReport& R, std::int32_t V, std::uint8_t N);
// Lines of a report gathered before they go in, for producers that write many short runs
// a line (listings, dumps): one append for many lines instead of one a run. The bytes are
// exactly those the VV_ operations named below would write; they reach the report when the
// gathering buffer is nearly full and when the TextLine ends, so while it lives, nothing
// else may write to the report.
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
  // Writes straight into the gathering buffer, for a producer of many lines of one
  // shape: characters (never a byte 0) and colours, with no check of room on the way.
  class Pen {
   public:
    // As VV_ADD_COLOR.
    Pen& color(std::uint8_t B) {
      if (B != colour_) {
        *p_++ = '\0';
        *p_++ = static_cast<char>(B);
        colour_ = B;
      }
      return *this;
    }
    Pen& ch(char C) {
      *p_++ = C;
      return *this;
    }
    // A literal, without its terminating zero.
    template <std::size_t N>
    Pen& text(const char (&S)[N]) {
      for (std::size_t i = 0; i + 1 < N; ++i) *p_++ = S[i];
      return *this;
    }
    Pen& text(std::string_view S) {
      for (const char c : S) *p_++ = c;
      return *this;
    }
    // A run that a pen wrote once (see over), to be written many times: its N bytes,
    // colour pairs included, copied as they are, then FILL(char*) called on the copy to put
    // in the characters (never a byte 0) that differ from one copy to the next; LENGTH
    // bytes are kept, with colour COLOUR in force after them. The piece must have been
    // written from the colour in force here. (All N bytes are copied whatever the length:
    // one move of a fixed size; the room of the line must cover them.)
    template <std::size_t N, class Fill>
    Pen& piece(const std::array<char, N>& BYTES, std::size_t LENGTH, std::uint8_t COLOUR,
               Fill FILL) {
      std::memcpy(p_, BYTES.data(), N);
      FILL(p_);
      p_ += LENGTH;
      colour_ = COLOUR;
      return *this;
    }
    // A pen over a buffer of the caller's, for writing a piece; starts in colour COLOUR.
    static Pen over(char* P, std::uint8_t COLOUR) { return Pen(P, COLOUR); }
    const char* end() const { return p_; }
    std::uint8_t colour() const { return colour_; }

   private:
    friend class TextLine;
    Pen(char* p, std::uint8_t colour) : p_(p), colour_(colour) {}
    char* p_;
    std::uint8_t colour_;
  };
  // Makes room for MAX bytes and lets WRITE(Pen) write at most that many, returning the
  // pen where it stopped; the line end follows, as end() writes it.
  template <class Write>
  void line(std::size_t MAX, Write WRITE) {
    room(MAX + 3);
    const Pen pen = WRITE(Pen(buf_ + n_, colour_));
    n_ = static_cast<std::size_t>(pen.p_ - buf_);
    colour_ = pen.colour_;
    end();
  }
  // As VV_ADD_EOL. The lines gathered go into the report when less than a long line's
  // room is left.
  void end() {
    room(3);
    buf_[n_++] = '\n';
    buf_[n_++] = '\0';
    buf_[n_++] = static_cast<char>(colour_);
    if (n_ > sizeof buf_ - kLineRoom) flush();
  }

 private:
  static constexpr std::size_t kLineRoom = 256;
  // Makes room for N more bytes by passing those gathered to the report.
  void room(std::size_t n) {
    if (n_ + n > sizeof buf_) flush();
  }
  void flush();

  TextReport& report_;
  std::uint8_t colour_;
  char buf_[16384];
  std::size_t n_ = 0;
};

// Shows the report through the installed viewer; returns when the user leaves it.
void VV_VIEW(const TextReport& R);

// The viewer screen that VV_VIEW calls with the bytes of a report. The program installs
// it at start; without one VV_VIEW does nothing.
using TextViewHook = std::function<void(std::string_view text)>;
void set_text_view_hook(TextViewHook hook);

}  // namespace agat
