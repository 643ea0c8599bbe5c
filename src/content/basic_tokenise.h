// Agat BASIC programs (type 02) from host text: the text that the export with Agat keywords
// writes, read back into the tokenised program. A line is its number and its statements:
// keywords by the Agat table (the longest word that fits, never inside a string or after REM
// or DATA), characters as the lister shows them, "^" escapes, long names as codes 01/02 with
// their number. After the lines come the list of long names (after the heading line the
// viewer shows) and, where the program is not laid out as usual, lines that say how it is.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1251_literal.h"
#include "core/world_formats.h"

namespace agat {

using BasicBytes = std::vector<std::uint8_t>;

// How the text writes what a line holds, the same on both sides. A character code, inside a
// string or a remark (QUOTED) or not: the lister's character, a control character as "^"
// and a letter, "^" itself as "^^" (outside strings "^$" and the code in hex), a code the
// host's text cannot carry as "^$" and its hex. A keyword: its word, or "^$" and its hex
// when an earlier code has the same word. A long name (the low seven bits of its codes):
// its characters, control characters as "^" and a letter.
std::string basic_char_text(std::uint8_t code, bool quoted);
std::string basic_keyword_text(std::uint8_t code);
std::string long_name_text(std::string_view name);

// The lines of a program's text that are no program lines.
inline constexpr std::string_view BASIC_NAMES_HEADING = "Таблица длинных переменных"_w;
inline constexpr std::string_view BASIC_START = "Адрес загрузки: $"_w;
inline constexpr std::string_view BASIC_DECLARED = "Заявленный размер: $"_w;
inline constexpr std::string_view BASIC_FILE_SIZE = "Размер файла: $"_w;
inline constexpr std::string_view BASIC_TAIL = "Байты после строк:"_w;
inline constexpr std::uint16_t BASIC_USUAL_START = 0x0801;

struct BasicLongName {
  std::string name;    // the low seven bits of its codes
  bool named = false;  // the list gives it
  bool used = true;    // not marked unused: the program's lines may name it
};

// A program's text as read: its lines and long names, and what differs from the usual
// layout (the program at $0801, its length word the file's length, the end link and the
// long-name table after the last line, the file no longer than that).
struct BasicText {
  std::vector<std::pair<std::uint16_t, BasicBytes>> lines;  // number, codes without the 00
  std::vector<BasicLongName> names;                         // numbered from 1
  std::uint16_t start = BASIC_USUAL_START;
  std::optional<std::uint16_t> declared;
  std::optional<BasicBytes> tail;  // instead of the end link and the table
  std::optional<std::int32_t> size;
  int last_line = 0;  // the text's line of the last program line, for a refusal
};

// Reads lines of a program whose long names are NAMES.
class BasicVocabulary;
class BasicLineReader {
 public:
  explicit BasicLineReader(const std::vector<BasicLongName>& names);
  ~BasicLineReader();
  BasicLineReader(const BasicLineReader&) = delete;
  BasicLineReader& operator=(const BasicLineReader&) = delete;
  // The codes of a line from its text after the number; none when the text cannot be one.
  std::optional<BasicBytes> read(std::string_view body) const;

 private:
  std::unique_ptr<const BasicVocabulary> words_;
};

// A refusal's words for the text's line LINE_NO: "строка 12: " and ERROR.
std::string basic_line_error(int line_no, std::string_view error);

// Reads a whole text (Windows-1251, lines ended by LF or CR LF). False, with ERROR naming
// the text's line ("строка 12: ..."), when it is not a program.
bool read_basic_text(std::string_view text, BasicText& out, std::string& error);

// The long-name table as it lies after the end link: the names, bit 7 on the last code of
// each, a 00 and the names' length word.
BasicBytes long_name_table(const std::vector<BasicLongName>& names);

// The file's bytes. False, with ERROR, when the program is longer than its length word
// can say and the text does not give the word.
bool build_basic_program(const BasicText& text, BasicBytes& file, std::string& error);

// Reads the host text file NM as a tokenised program into BUF, with CR.SIZE, CR.EXT = $02
// and zero T/S-list data set; the caller saves the file. False, with a critical message
// naming the file and the line, when it cannot be read or is not a program; CR and BUF are
// then untouched.
bool BP_IMPORT(TCATREC& CR, TFILEBUF& BUF, const std::string& NM);

}  // namespace agat
