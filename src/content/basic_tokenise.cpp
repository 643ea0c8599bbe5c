#include "content/basic_tokenise.h"

#include <algorithm>
#include <array>

#include "content/basic_keywords.h"
#include "core/char_sets.h"
#include "core/file_control_messages.h"

namespace agat {

namespace {

constexpr int kLongVarCount = 1023;
constexpr std::size_t kMaxLineCodes = 255;
constexpr std::uint8_t kQuote = 0x22, kData = 0x83, kRem = 0xB2;
constexpr std::string_view kZeroCode = "нулевой код внутри строки"_w;

// The Agat code of each Windows-1251 character: A2L is one-to-one, and L2A is not its
// inverse where the lister shows codes as lower-case Cyrillic.
std::uint8_t agat_of(char c) {
  static const std::array<std::uint8_t, 256> kAgatOf = [] {
    std::array<std::uint8_t, 256> t{};
    for (int code = 0; code < 256; ++code)
      t[A2L(static_cast<std::uint8_t>(code))] = static_cast<std::uint8_t>(code);
    return t;
  }();
  return kAgatOf[static_cast<std::uint8_t>(c)];
}

// Outside strings letters are taken in either case: lower-case Latin and Cyrillic as
// upper-case.
char folded(char c) {
  const auto u = static_cast<std::uint8_t>(c);
  if ((u >= 'a' && u <= 'z') || u >= 0xE0) return static_cast<char>(u - 0x20);
  return u == 0xB8 ? static_cast<char>(0xA8) : c;  // ё
}

std::string hex_byte(std::uint8_t b) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[b >> 4], kDigits[b & 15]};
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char u = folded(c);
  return u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1;
}

// "^$" and two hex digits at AT: the byte, or -1.
int raw_byte(std::string_view s, std::size_t at) {
  if (at + 3 >= s.size() || s[at] != '^' || s[at + 1] != '$') return -1;
  const int hi = hex_digit(s[at + 2]), lo = hex_digit(s[at + 3]);
  return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

bool starts_folded(std::string_view s, std::size_t at, std::string_view word) {
  if (word.empty() || s.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (folded(s[at + i]) != word[i]) return false;
  return true;
}

std::string shown_char(char c) {
  return "\"" + std::string(1, c) + "\"";
}

// What stands at a place of a line outside strings and remarks.
struct Unit {
  enum Kind : std::uint8_t { keyword, name, character, bad } kind = bad;
  std::size_t length = 1;
  std::uint8_t code = 0;    // the first code
  std::uint8_t second = 0;  // a long name's number, low byte
};

}  // namespace

// The words a line's text is matched against: the keywords, each spelling by its first
// code, and the long names the program may name, by their first character.
class BasicVocabulary {
 public:
  explicit BasicVocabulary(const std::vector<BasicLongName>& names) {
    for (int code = 0x80; code <= 0xFF; ++code) {
      const std::string word = basic_keyword_text(static_cast<std::uint8_t>(code));
      if (word[0] != '^' || word.size() == 1)
        words_[static_cast<std::uint8_t>(word[0])].push_back({word, code});
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
      const int n = static_cast<int>(i) + 1;
      // Only numbers whose second code is not 00 and whose first is 01 or 02 are written.
      if (!names[i].named || !names[i].used || n % 256 == 0 || n >= 512) continue;
      const std::string text = long_name_text(names[i].name);
      if (!text.empty()) long_[static_cast<std::uint8_t>(text[0])].push_back({text, n});
    }
  }

  Unit at(std::string_view s, std::size_t i) const {
    Unit u;
    if (const int raw = raw_byte(s, i); raw >= 0) {
      u.kind = raw >= 0x80 ? Unit::keyword : Unit::character;
      u.length = 4;
      u.code = static_cast<std::uint8_t>(raw);
      if (raw == 0) u.kind = Unit::bad;
      return u;
    }
    const auto first = static_cast<std::uint8_t>(folded(s[i]));
    const Word* word = longest(words_[first], s, i);
    const Word* name = longest(long_[first], s, i);
    if (word != nullptr && (name == nullptr || word->text.size() >= name->text.size())) {
      u.kind = Unit::keyword;
      u.length = word->text.size();
      u.code = static_cast<std::uint8_t>(word->code);
      return u;
    }
    int number = 0;
    std::size_t length = 0;
    if (name != nullptr) {
      number = name->code;
      length = name->text.size();
    } else if (s[i] == '?') {
      // "?N?": a long name the list does not name.
      std::size_t j = i + 1;
      while (j < s.size() && j < i + 5 && s[j] >= '0' && s[j] <= '9')
        number = number * 10 + s[j++] - '0';
      if (j > i + 1 && j < s.size() && s[j] == '?' && number > 0 && number < 512 &&
          number % 256 != 0)
        length = j + 1 - i;
    }
    if (length > 0) {
      u.kind = Unit::name;
      u.length = length;
      u.code = static_cast<std::uint8_t>(number / 256 + 1);
      u.second = static_cast<std::uint8_t>(number % 256);
      return u;
    }
    const std::uint8_t code = agat_of(folded(s[i])) ^ 0x80;
    u.kind = code >= 0x07 && code < 0x80 ? Unit::character : Unit::bad;
    u.code = code;
    return u;
  }

 private:
  struct Word {
    std::string text;
    int code;
  };
  static const Word* longest(const std::vector<Word>& words, std::string_view s, std::size_t i) {
    const Word* best = nullptr;
    for (const Word& w : words)
      if ((best == nullptr || w.text.size() > best->text.size()) && starts_folded(s, i, w.text))
        best = &w;
    return best;
  }

  std::array<std::vector<Word>, 256> words_;
  std::array<std::vector<Word>, 256> long_;
};

namespace {

// A character inside a string, a remark or a long name, with its escapes; AT moves past it,
// PLAIN tells a character written as itself. -1 after a message for an escape that means
// nothing.
int quoted_code(std::string_view s, std::size_t& at, std::string& error, bool& plain) {
  plain = false;
  if (const int raw = raw_byte(s, at); raw >= 0) {
    at += 4;
    return raw;
  }
  const char c = s[at++];
  plain = c != '^';
  if (plain) return agat_of(c) ^ 0x80;
  if (at < s.size() && s[at] == '^') return agat_of(s[at++]) ^ 0x80;
  if (at < s.size() && s[at] >= '@' && s[at] <= '_') return s[at++] - '@';
  error = std::string("неизвестная последовательность \"^"_w) +
          std::string(at < s.size() ? 1 : 0, at < s.size() ? s[at] : ' ') + "\"";
  return -1;
}

bool tokenise(std::string_view s, const BasicVocabulary& words, BasicBytes& codes,
              std::string& error) {
  bool in_string = false, in_remark = false;
  for (std::size_t i = 0; i < s.size();) {
    if (in_string || in_remark) {
      bool plain = false;
      const int code = quoted_code(s, i, error, plain);
      if (code < 0) return false;
      if (code == 0) {
        error = kZeroCode;
        return false;
      }
      codes.push_back(static_cast<std::uint8_t>(code));
      if (code == kQuote && plain) in_string = !in_string;
      continue;
    }
    Unit u = words.at(s, i);
    // One blank either side of a keyword is the listing's, not the program's.
    if (s[i] == ' ' && i + 1 < s.size()) {
      if (Unit next = words.at(s, i + 1); next.kind == Unit::keyword) {
        u = next;
        ++i;
      }
    }
    if (u.kind == Unit::bad) {
      error = u.code == 0 ? std::string(kZeroCode)
                          : std::string("знак "_w) + shown_char(s[i]) +
                                std::string(" недопустим вне строки и комментария"_w);
      return false;
    }
    codes.push_back(u.code);
    if (u.kind == Unit::name) codes.push_back(u.second);
    const bool raw = s[i] == '^' && u.length == 4;
    i += u.length;
    if (u.kind == Unit::keyword) {
      in_remark = u.code == kData || u.code == kRem;
      if (i < s.size() && s[i] == ' ') ++i;
    } else if (u.kind == Unit::character && u.code == kQuote && !raw) {
      in_string = true;
    }
  }
  return true;
}

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// A hex number after a directive's "$", at most LIMIT.
bool hex_value(std::string_view s, std::int64_t limit, std::int64_t& value) {
  value = 0;
  if (s.empty() || s.size() > 8) return false;
  for (char c : s) {
    const int d = hex_digit(c);
    if (d < 0) return false;
    value = value * 16 + d;
  }
  return value <= limit;
}

// A name of the list: "N NAME", with the lister's remark after it when it has one.
bool read_long_name(std::string_view line, std::vector<BasicLongName>& names,
                    std::vector<int>& lines_of, int line_no, std::string& error) {
  std::size_t i = line.find_first_not_of(' ');
  int number = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9' && number <= kLongVarCount)
    number = number * 10 + line[i++] - '0';
  if (number < 1 || number > kLongVarCount || (i < line.size() && line[i] != ' ')) {
    error = "номер длинного имени не от 1 до 1023"_w;
    return false;
  }
  std::string_view name = line.substr(std::min(i + 1, line.size()));
  BasicLongName entry;
  constexpr std::string_view kUnused = " не используется"_w, kUnnamed = " имя не определено !"_w;
  if (name.ends_with(kUnused)) {
    name.remove_suffix(kUnused.size());
    entry.used = false;
  } else if (name.ends_with(kUnnamed)) {
    name.remove_suffix(kUnnamed.size());
  }
  std::string text(name);
  std::transform(text.begin(), text.end(), text.begin(), folded);
  for (std::size_t at = 0; at < text.size();) {
    // A name's code is its character's Agat code without bit 7, which must be set.
    bool plain = false;
    const int code = quoted_code(text, at, error, plain);
    if (code < 0) return false;
    if (code >= 0x80) {
      error = "недопустимый знак в длинном имени"_w;
      return false;
    }
    entry.name.push_back(static_cast<char>(code));
  }
  entry.named = !entry.name.empty();
  if (names.size() < static_cast<std::size_t>(number)) {
    names.resize(static_cast<std::size_t>(number));
    lines_of.resize(static_cast<std::size_t>(number), 0);
  }
  if (lines_of[number - 1] != 0) {
    error = "номер длинного имени повторяется"_w;
    return false;
  }
  lines_of[number - 1] = line_no;
  names[number - 1] = entry;
  return true;
}

bool read_tail(std::string_view s, BasicBytes& tail) {
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == ' ') {
      ++i;
      continue;
    }
    const int hi = hex_digit(s[i]), lo = i + 1 < s.size() ? hex_digit(s[i + 1]) : -1;
    if (hi < 0 || lo < 0 || (i + 2 < s.size() && s[i + 2] != ' ')) return false;
    tail.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    i += 2;
  }
  return true;
}

// One line that is no program line; false, with ERROR, when it is none of them either.
bool read_other_line(std::string_view line, BasicText& out, std::string& error) {
  std::int64_t v = 0;
  if (starts_with(line, BASIC_START) || starts_with(line, BASIC_DECLARED)) {
    const bool start = starts_with(line, BASIC_START);
    const std::size_t key = (start ? BASIC_START : BASIC_DECLARED).size();
    if (!hex_value(line.substr(key), 0xFFFF, v)) {
      error = "неверное шестнадцатеричное число"_w;
      return false;
    }
    (start ? out.start : out.declared.emplace()) = static_cast<std::uint16_t>(v);
    return true;
  }
  if (starts_with(line, BASIC_FILE_SIZE)) {
    if (!hex_value(line.substr(BASIC_FILE_SIZE.size()), MAXFILESIZE + 1, v)) {
      error = "неверное шестнадцатеричное число"_w;
      return false;
    }
    out.size = static_cast<std::int32_t>(v);
    return true;
  }
  if (starts_with(line, BASIC_TAIL)) {
    if (!out.tail) out.tail.emplace();
    if (read_tail(line.substr(BASIC_TAIL.size()), *out.tail)) return true;
    error = "неверный байт"_w;
    return false;
  }
  error = "нет номера строки"_w;
  return false;
}

}  // namespace

std::string basic_line_error(int line_no, std::string_view error) {
  return std::string("строка "_w) + std::to_string(line_no) + ": " + std::string(error);
}

std::string basic_char_text(std::uint8_t code, bool quoted) {
  const char x = A2L(static_cast<char>(code ^ 0x80));
  const auto ux = static_cast<std::uint8_t>(x);
  if (!quoted && (ux < 32 || x == '^')) return "^$" + hex_byte(code);
  if (x == '^') return "^^";
  if (ux == 0x1E || ux == 0x98) return "^$" + hex_byte(code);  // "^^" is "^"; 98 is no character
  if (ux < 32) return {'^', static_cast<char>(ux + 64)};
  return {x};
}

std::string basic_keyword_text(std::uint8_t code) {
  const std::string_view word = BASICTABLE[code - 0x80];
  if (std::find(BASICTABLE.begin(), BASICTABLE.begin() + (code - 0x80), word) !=
      BASICTABLE.begin() + (code - 0x80))
    return "^$" + hex_byte(code);
  std::string text(word);
  std::replace(text.begin(), text.end(), '\0', '?');
  return text;
}

std::string long_name_text(std::string_view name) {
  std::string text;
  for (char c : name) text += basic_char_text(static_cast<std::uint8_t>(c & 0x7F), true);
  return text;
}

BasicLineReader::BasicLineReader(const std::vector<BasicLongName>& names)
    : words_(std::make_unique<const BasicVocabulary>(names)) {}
BasicLineReader::~BasicLineReader() = default;

std::optional<BasicBytes> BasicLineReader::read(std::string_view body) const {
  BasicBytes codes;
  std::string error;
  if (!tokenise(body, *words_, codes, error)) return std::nullopt;
  return codes;
}

bool read_basic_text(std::string_view text, BasicText& out, std::string& error) {
  out = BasicText{};
  struct ProgramLine {
    int line_no;
    std::uint16_t number;
    std::string_view body;
  };
  std::vector<ProgramLine> program;
  std::vector<int> name_lines;
  bool in_names = false;
  int line_no = 0;
  for (std::size_t b = 0; b < text.size();) {
    std::size_t e = text.find('\n', b);
    if (e == std::string_view::npos) e = text.size();
    std::string_view line = text.substr(b, e - b);
    b = e + 1;
    ++line_no;
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::size_t lead = line.find_first_not_of(' ');
    if (lead == std::string_view::npos) continue;
    std::string fail;
    if (line[lead] >= '0' && line[lead] <= '9') {
      if (in_names) {
        if (!read_long_name(line, out.names, name_lines, line_no, fail)) {
          error = basic_line_error(line_no, fail);
          return false;
        }
        continue;
      }
      std::size_t i = lead;
      std::int32_t number = 0;
      while (i < line.size() && line[i] >= '0' && line[i] <= '9' && number <= 65535)
        number = number * 10 + line[i++] - '0';
      if (number > 65535) {
        error = basic_line_error(line_no, "номер строки больше 65535"_w);
        return false;
      }
      if (!program.empty() && number <= program.back().number) {
        error = basic_line_error(line_no, "номер строки не больше номера предыдущей строки"_w);
        return false;
      }
      if (i < line.size() && line[i] == ' ') ++i;
      program.push_back({line_no, static_cast<std::uint16_t>(number), line.substr(i)});
    } else if (starts_with(line, BASIC_NAMES_HEADING)) {
      in_names = true;
    } else if (!read_other_line(line, out, fail)) {
      error = basic_line_error(line_no, fail);
      return false;
    }
  }
  // The table holds the names one after another from number 1: a number left out before
  // the last name leaves no place for it.
  const auto last_named = std::find_if(out.names.rbegin(), out.names.rend(),
                                       [](const BasicLongName& n) { return n.named; });
  for (std::size_t i = 0; i < static_cast<std::size_t>(out.names.rend() - last_named); ++i) {
    if (out.names[i].named) continue;
    const auto next = std::find_if(name_lines.begin() + static_cast<std::ptrdiff_t>(i),
                                   name_lines.end(), [](int l) { return l != 0; });
    error = basic_line_error(*next,
                             std::string("пропущено длинное имя номер "_w) + std::to_string(i + 1));
    return false;
  }
  const BasicVocabulary words(out.names);
  for (const ProgramLine& p : program) {
    BasicBytes codes;
    std::string fail;
    if (!tokenise(p.body, words, codes, fail)) {
      error = basic_line_error(p.line_no, fail);
      return false;
    }
    if (codes.size() > kMaxLineCodes) {
      error = basic_line_error(p.line_no, "строка длиннее 255 байт"_w);
      return false;
    }
    out.lines.emplace_back(p.number, std::move(codes));
    out.last_line = p.line_no;
  }
  return true;
}

}  // namespace agat
