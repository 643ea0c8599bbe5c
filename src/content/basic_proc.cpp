#include "content/basic_proc.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "content/basic_keywords.h"
#include "content/basic_round_trip.h"
#include "content/basic_tokenise.h"
#include "content/colours.h"
#include "content/host_text.h"
#include "content/host_transfer.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"

namespace agat {

namespace {

constexpr std::int32_t kMaxProgramSize = 65535;
constexpr int kLongVarCount = 1023;
constexpr std::size_t kLongNameLength = 10;
constexpr std::string_view kIndent = "      ";  // a statement continued on a new screen line

// Where a listing goes: the viewer report, with colours, one statement per screen line
// and the damage messages; or the text of an exported file, which takes only the
// program lines and the table of long names. Text for the viewer is gathered into runs
// of one colour, which enter the report at once. An exported statement turned into a
// remark is held back and written at the end of its line, after the statements that
// follow it, so that the remark hides none of them.
class ListingOutput {
 public:
  explicit ListingOutput(TextReport& view) : view_(&view) {}
  explicit ListingOutput(std::string& file) : file_(&file) {}
  ~ListingOutput() { flush(); }
  ListingOutput(const ListingOutput&) = delete;
  ListingOutput& operator=(const ListingOutput&) = delete;

  bool viewer() const { return view_ != nullptr; }
  void colour(COL_ELEMENTS element) {
    if (view_ == nullptr || COL[element] == colour_) return;
    flush();
    colour_ = COL[element];
    VV_ADD_COLOR(*view_, colour_);
  }
  void text(std::string_view s) {
    if (view_ != nullptr) {
      run_.append(s);
      return;
    }
    std::string& to = holding_ ? held_ : *file_;
    for (char c : s) to.push_back(c == '\0' ? '?' : c);
    if (!holding_ && !held_.empty() && !s.empty()) followed_ = true;
  }
  // The exported text only: the statement that starts here is held back until `release`.
  void hold() {
    if (view_ != nullptr) return;
    if (!held_.empty()) held_.push_back(':');
    holding_ = true;
  }
  void release() { holding_ = false; }
  bool holding() const { return holding_; }
  void number(std::int32_t value, std::int32_t width) {
    const std::string digits = std::to_string(value);
    if (static_cast<std::int32_t>(digits.size()) < width)
      text(std::string(static_cast<std::size_t>(width) - digits.size(), ' '));
    text(digits);
  }
  // OPEN_STRING: the line ends inside a string, which the held statements must not join.
  void line_end(bool open_string = false) {
    if (view_ == nullptr) {
      // Held statements go last, after a separator where a statement now comes before
      // them and the line does not already end in one.
      if (followed_ && open_string) file_->push_back('"');
      if (followed_ && (open_string || file_->back() != ':')) file_->push_back(':');
      file_->append(held_);
      held_.clear();
      holding_ = followed_ = false;
      file_->append(SCCRLF);
      return;
    }
    flush();
    VV_ADD_EOL(*view_);
  }
  // The viewer only: a statement that goes on on a new screen line.
  void screen_break() {
    if (view_ == nullptr) return;
    line_end();
    text(kIndent);
  }
  // The viewer only: a message, with or without its line end; a number in hex.
  void note(std::string_view s, bool eol = true) {
    if (view_ == nullptr) return;
    text(s);
    if (eol) line_end();
  }
  void hex(std::int32_t value) {
    if (view_ == nullptr) return;
    flush();
    VV_ADD_HEX(*view_, value, 4);
  }

 private:
  void flush() {
    if (view_ == nullptr || run_.empty()) return;
    VV_ADD_STRING(*view_, run_);
    run_.clear();
  }

  TextReport* view_ = nullptr;
  std::string* file_ = nullptr;
  std::string run_;          // viewer text not yet in the report
  std::string held_;         // exported remarks waiting for the end of their line
  bool holding_ = false;     // the text goes to held_
  bool followed_ = false;    // a statement was written after the first held one
  std::uint8_t colour_ = 0;  // the report's colour: a new report has none set
};

struct LongVar {
  std::string name;  // the low 7 bits of the stored codes, at most 10
  bool used = false;
  std::uint16_t number = 0;
};

// One run of the lister over a loaded program. An EXACT listing is the exported text that
// the import reads back: keywords, characters and long names (whole, however long) in the
// forms of content/basic_tokenise.h, and the heading of the long-name list as the viewer
// shows it.
class Lister {
 public:
  Lister(const TCATREC& cr, const TFILEBUF& buf, const TKEYWORDS& words, ListingOutput& out,
         bool exact = false)
      : buf_(buf),
        words_(words),
        out_(out),
        exact_(exact),
        fact_(std::clamp(cr.SIZE, 0, kMaxProgramSize)),
        vars_(kLongVarCount + 1) {}

  void list();

 private:
  // The bytes of the file; beyond its end every byte reads as zero, which ends a line
  // and the chain of lines, so nothing past the loaded file is ever taken as code.
  std::uint8_t at(std::int32_t pos) const { return pos >= 0 && pos < fact_ ? buf_[pos] : 0; }
  std::int32_t word(std::int32_t pos) const { return at(pos) | at(pos + 1) << 8; }

  void unpack_long_vars();
  bool chain_ends_inside_file();
  void read_long_names();
  std::int32_t list_line(std::int32_t pos);
  void keyword(std::uint8_t code);
  void character(std::uint8_t code);
  void long_var(std::uint8_t first, std::uint8_t second);
  void show_long_name(const std::string& name);
  void list_long_vars();

  const TFILEBUF& buf_;
  const TKEYWORDS& words_;
  ListingOutput& out_;
  bool exact_;
  std::int32_t fact_;
  std::int32_t declared_ = 0;
  std::int32_t lv_len_ = -1;  // -1: no table of long names
  std::int32_t lv_start_ = 0;
  std::vector<LongVar> vars_;  // numbered from 1
  bool in_string_ = false;
  bool in_remark_ = false;
};

// The declared size against the file's, the chain of lines, and the table of long names
// at the declared end: its length word in the last two bytes, the names before it.
void Lister::unpack_long_vars() {
  for (int i = 1; i <= kLongVarCount; ++i) vars_[i].number = static_cast<std::uint16_t>(i);
  declared_ = word(0);
  if (declared_ > fact_) {
    out_.note("Заявленный размер BASIC-программы превышает фактический размер файла."_w);
    declared_ = fact_;
  }
  if (declared_ < 2) {
    out_.note("Заявленный размер BASIC-программы меньше двух байт."_w, false);
    return;
  }
  if (declared_ + 256 < fact_)
    out_.note("Заявленный размер BASIC-программы значительно меньше фактического размера файла."_w);
  if (!chain_ends_inside_file()) return;
  const std::int32_t len = word(declared_ - 2);
  if (len + 4 > declared_) {
    out_.note("Ссылка на таблицу длиных имен указывает за пределы файла."_w);
    return;
  }
  lv_len_ = len;
  lv_start_ = declared_ - 2 - len - 1;
  if (lv_len_ > 0) read_long_names();
}

// Follows the lines as the listing will; false when a line runs to the file's end
// without its closing zero or the chain does not end inside the file. A line that runs
// past the declared end is told once.
bool Lister::chain_ends_inside_file() {
  std::int32_t pos = 2;
  while (pos < fact_ && at(pos + 1) != 0) {
    pos += 4;
    bool told = false;
    while (true) {
      if (pos >= fact_) {
        out_.note("Строка не закрыта нулевым байтом до DOS-конца файла."_w);
        return false;
      }
      if (pos >= declared_ && !told) {
        out_.note("Строка не закрыта нулевым байтом до декларированного конца программы."_w);
        told = true;
      }
      if (buf_[pos++] == 0) break;
    }
  }
  return pos < fact_;
}

// Names one after another, the last code of each with bit 7 set, up to a zero byte.
void Lister::read_long_names() {
  int n = 1;
  for (std::int32_t pos = lv_start_; pos < fact_ && buf_[pos] != 0; ++pos) {
    if (n > kLongVarCount) {
      out_.note("Число длиных имен слишком велико."_w);
      return;
    }
    const std::uint8_t b = buf_[pos];
    if (exact_ || vars_[n].name.size() < kLongNameLength)
      vars_[n].name.push_back(static_cast<char>(b & 0x7F));
    if (b & 0x80) ++n;
  }
}

void Lister::keyword(std::uint8_t code) {
  out_.colour(CR_BASIC_RESER);
  if (code == 0x8E) out_.screen_break();
  if (words_[code - 0x80].starts_with("rem ")) out_.hold();
  out_.text(" ");
  out_.text(exact_ ? basic_keyword_text(code) : std::string(words_[code - 0x80]));
  out_.text(" ");
  if (code == 0x83 || code == 0xB2) in_remark_ = true;  // DATA, REM: the rest is text
}

void Lister::character(std::uint8_t code) {
  const bool quoted = in_string_ || in_remark_;
  if (code == 0x3A && !quoted && out_.holding()) {
    out_.release();  // the held statement's own separator is written with it
    return;
  }
  out_.colour(quoted ? CR_BASIC_STRING : CR_BASIC_MISC);
  const char x = A2L(static_cast<char>(code ^ 0x80));
  const auto ux = static_cast<std::uint8_t>(x);
  if (exact_) {
    out_.text(basic_char_text(code, quoted));
  } else if (!out_.viewer() && ux < 32) {
    const char escaped[] = {'^', static_cast<char>(ux + 64)};
    out_.text(std::string_view(escaped, 2));
  } else {
    out_.text(std::string_view(&x, 1));
  }
  if (code == 0x22) in_string_ = !in_string_;
  if (code == 0x3A && !quoted) out_.screen_break();
}

// A long name is shown through the character set, as the program's own characters are.
void Lister::show_long_name(const std::string& name) {
  if (exact_) {
    out_.text(long_name_text(name));
    return;
  }
  std::string shown;
  for (char c : name) shown.push_back(A2L(static_cast<char>(c | 0x80)));
  out_.text(shown);
}

void Lister::long_var(std::uint8_t first, std::uint8_t second) {
  if (second == 0) {
    out_.colour(CR_BASIC_QWES);
    out_.text("?zErO?");
    return;
  }
  const int n = (first - 1) * 256 + second;
  LongVar& var = vars_[n];
  var.used = true;
  if (!var.name.empty()) {
    out_.colour(CR_BASIC_LVAR);
    show_long_name(var.name);
  } else {
    out_.colour(CR_BASIC_QWES);
    out_.text("?");
    out_.number(n, 0);
    out_.text("?");
  }
}

// Lists the line whose link is at POS; returns the position after its closing zero.
std::int32_t Lister::list_line(std::int32_t pos) {
  out_.colour(CR_BASIC_LINENM);
  out_.number(word(pos + 2), 5);
  out_.text(" ");
  pos += 4;
  in_string_ = false;
  in_remark_ = false;
  for (std::uint8_t code = at(pos++); code != 0; code = at(pos++)) {
    if (in_string_ || in_remark_ || (code >= 0x07 && code < 0x80)) {
      character(code);
    } else if (code >= 0x80) {
      keyword(code);
    } else if (code <= 0x02) {
      // A pair whose second byte is the line's closing zero leaves that zero to end
      // the line.
      const std::uint8_t second = at(pos);
      if (second != 0) ++pos;
      long_var(code, second);
    } else {
      out_.colour(CR_BASIC_QWES);
      out_.text(" ??");
      out_.number(code, 0);
      out_.text("?? ");
    }
  }
  out_.line_end(in_string_);
  return pos;
}

void Lister::list_long_vars() {
  std::vector<const LongVar*> sorted;
  for (int i = 1; i <= kLongVarCount; ++i) sorted.push_back(&vars_[i]);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const LongVar* a, const LongVar* b) { return a->name < b->name; });
  for (const LongVar* var : sorted) {
    if (var->name.empty() && !var->used) continue;
    out_.colour(CR_BASIC_COM);
    out_.number(var->number, 3);
    out_.text(" ");
    show_long_name(var->name);
    out_.colour(CR_BASIC_LVAR);
    if (!var->used)
      out_.text(" не используется"_w);
    else if (var->name.empty())
      out_.text(" имя не определено !"_w);
    out_.line_end();
  }
}

void Lister::list() {
  out_.colour(CR_BASIC_COM);
  unpack_long_vars();
  std::int32_t pos = 2;
  while (true) {
    out_.colour(CR_BASIC_ALERT);
    if (pos > declared_) out_.note("  Выход за заявленный размер BASIC-программы."_w);
    if (pos > fact_) {
      out_.note("  Выход за фактические пределы файла."_w);
      break;
    }
    if (at(pos + 1) == 0) break;
    pos = list_line(pos);
  }
  out_.colour(CR_BASIC_COM);
  out_.note("Первый свободный байт по смещению $"_w, false);
  out_.hex(pos + 2);
  out_.note("");
  // The bytes between the first free byte (after the end link) and the long-name table,
  // or the declared end, belong to nothing; the end link itself is no unknown area.
  const std::int32_t limit = lv_len_ >= 0 ? lv_start_ : declared_ + 2;
  if (pos + 2 < limit) {
    out_.note("Неизвестная область с размером $"_w, false);
    out_.hex(limit - (pos + 2));
    out_.note("");
  }
  if (lv_len_ <= 0) return;
  if (exact_) {
    // The viewer's heading, which tells the import that the list begins.
    const auto hex4 = [](std::int32_t v) {
      char digits[8];
      std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(v) & 0xFFFF);
      return std::string(digits);
    };
    out_.text(std::string(BASIC_NAMES_HEADING) + std::string(" (начало: $"_w) +
              hex4(lv_start_ + 2) + std::string(", длина: $"_w) + hex4(lv_len_) + "):");
    out_.line_end();
  }
  out_.note("Таблица длинных переменных (начало: $"_w, false);
  out_.hex(lv_start_ + 2);
  out_.note(", длина: $"_w, false);
  out_.hex(lv_len_);
  out_.note("):");
  list_long_vars();
}

}  // namespace

void basic_listing(TextReport& R, const TCATREC& CR, const TFILEBUF& BUF) {
  VV_INIT(R);
  ListingOutput out(R);
  Lister(CR, BUF, BASICTABLE, out).list();
}

void BP_VIEW(TCATREC& CR, TFILEBUF& BUF) {
  TextReport R;
  basic_listing(R, CR, BUF);
  VV_VIEW(R);
}

std::string basic_export_text(const TCATREC& CR, const TFILEBUF& BUF, bool GWBASIC) {
  std::string text;
  {
    ListingOutput out(text);
    Lister(CR, BUF, GWBASIC ? QBASICTABLE : BASICTABLE, out, !GWBASIC).list();
  }
  return GWBASIC ? text : exact_basic_text(text, CR, BUF);
}

bool BP_EXPORT(TCATREC& CR, TFILEBUF& BUF, const std::string& NM, bool GWBASIC) {
  return write_host_file(NM, host_text(basic_export_text(CR, BUF, GWBASIC)),
                         "Экспорт BASIC-программы"_w);
}

}  // namespace agat
