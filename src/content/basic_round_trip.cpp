#include "content/basic_round_trip.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "content/basic_tokenise.h"
#include "content/host_text.h"
#include "content/host_transfer.h"

namespace agat {

namespace {

constexpr std::int32_t kMaxProgramSize = 65535;
constexpr std::size_t kTailBytesPerLine = 32;

// V in hex, at least DIGITS digits.
std::string hex(std::int64_t v, int digits = 4) {
  std::string text;
  for (; v > 0 || digits > 0; v >>= 4, --digits)
    text.insert(text.begin(), "0123456789ABCDEF"[v & 15]);
  return text;
}

std::int64_t round_to_sector(std::int64_t n) {
  return (n + 255) / 256 * 256;
}

// The loaded file, zeros beyond it.
struct Original {
  const std::uint8_t* bytes;
  std::int32_t size;
  std::uint8_t at(std::int64_t p) const { return p >= 0 && p < size ? bytes[p] : 0; }
  std::uint16_t word(std::int64_t p) const {
    return static_cast<std::uint16_t>(at(p) | at(p + 1) << 8);
  }
  // The end of the bytes that are not zero.
  std::int64_t used() const {
    std::int64_t n = size;
    while (n > 0 && bytes[n - 1] == 0) --n;
    return n;
  }
};

struct WalkedLine {
  std::int64_t at;  // its link
  std::uint16_t number;
  BasicBytes codes;
};

// The lines as the lister follows them: from offset 2, up to a link whose high byte is 00,
// each to its 00 (the file read as zeros beyond its end and beyond 65535 bytes). END is
// where the chain stopped: the end link.
std::vector<WalkedLine> walk(const Original& o, std::int64_t& end) {
  const Original listed{o.bytes, std::min(o.size, kMaxProgramSize)};
  std::vector<WalkedLine> lines;
  std::int64_t pos = 2;
  while (pos <= listed.size && listed.at(pos + 1) != 0) {
    WalkedLine line{pos, listed.word(pos + 2), {}};
    std::int64_t p = pos + 4;
    while (listed.at(p) != 0) line.codes.push_back(listed.at(p++));
    lines.push_back(std::move(line));
    pos = p + 1;
  }
  end = pos;
  return lines;
}

void add_line(std::string& text, std::string_view line) {
  text.append(line);
  text.append(SCCRLF);
}

void add_tail(std::string& text, const std::uint8_t* bytes, std::size_t count) {
  std::size_t i = 0;
  do {
    std::string line(BASIC_TAIL);
    for (std::size_t k = 0; k < kTailBytesPerLine && i < count; ++k)
      line += " " + hex(bytes[i++], 2);
    add_line(text, line);
  } while (i < count);
}

// The file's size, when what the import makes from the text would have another number of
// sectors or more bytes.
void add_size(std::string& text, std::int64_t made, std::int32_t size) {
  if (size < made || size > round_to_sector(made))
    add_line(text, std::string(BASIC_FILE_SIZE) + hex(size));
}

// Whether the import of TEXT, written as a host file and read back, gives the file's bytes,
// in whole sectors as an image keeps them.
bool gives_back(const std::string& text, const Original& o) {
  BasicText read;
  BasicBytes made;
  std::string error;
  if (!read_basic_text(text_from_host(host_text(text)), read, error) ||
      !build_basic_program(read, made, error))
    return false;
  const auto whole = static_cast<std::size_t>(round_to_sector(o.size));
  if (static_cast<std::size_t>(round_to_sector(static_cast<std::int64_t>(made.size()))) != whole)
    return false;
  made.resize(whole, 0);
  return std::equal(o.bytes, o.bytes + o.size, made.begin()) &&
         std::all_of(made.begin() + o.size, made.end(), [](std::uint8_t b) { return b == 0; });
}

// The program as its length word and every byte after it.
std::string bytes_alone(const Original& o) {
  std::string text;
  add_line(text, std::string(BASIC_DECLARED) + hex(o.word(0)));
  const std::int64_t count = std::max<std::int64_t>(0, o.used() - 2);
  add_tail(text, o.bytes + 2, static_cast<std::size_t>(count));
  add_size(text, 2 + count, o.size);
  return text;
}

// The load address that the links follow, if they follow one.
std::optional<std::uint16_t> load_address(const std::vector<WalkedLine>& lines, std::int64_t end,
                                          const Original& o) {
  if (lines.empty()) return BASIC_USUAL_START;
  const auto next = [&](std::size_t i) { return i + 1 < lines.size() ? lines[i + 1].at : end; };
  const auto start = static_cast<std::uint16_t>(o.word(lines[0].at) - (next(0) - 2));
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (o.word(lines[i].at) != static_cast<std::uint16_t>(start + next(i) - 2)) return std::nullopt;
  return start;
}

std::string raw_codes(const BasicBytes& codes) {
  std::string text;
  for (std::uint8_t code : codes) text += "^$" + hex(code, 2);
  return text;
}

// One thing a line holds, as the lister writes it and as its codes.
struct LineUnit {
  std::string text;
  BasicBytes codes;
  bool keyword;
};

// The line CODES cut as the lister reads it: strings and remarks, keywords, characters,
// long names (a pair whose name is unknown as "?N?"); a code the lister shows in no form
// the import reads as its hex.
std::vector<LineUnit> units_of(const BasicBytes& codes, const std::vector<BasicLongName>& names) {
  std::vector<LineUnit> units;
  bool in_string = false, in_remark = false;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const std::uint8_t code = codes[i];
    if (in_string || in_remark || (code >= 0x07 && code < 0x80)) {
      units.push_back({basic_char_text(code, in_string || in_remark), {code}, false});
      if (code == 0x22) in_string = !in_string;
    } else if (code >= 0x80) {
      units.push_back({" " + basic_keyword_text(code) + " ", {code}, true});
      in_remark = code == 0x83 || code == 0xB2;
    } else if (code <= 0x02 && i + 1 < codes.size()) {
      const std::size_t n = (code - 1) * 256 + codes[i + 1];
      const bool named = n <= names.size() && names[n - 1].named;
      units.push_back({named ? long_name_text(names[n - 1].name) : "?" + std::to_string(n) + "?",
                       {code, codes[i + 1]},
                       false});
      ++i;
    } else {
      units.push_back({raw_codes({code}), {code}, false});
    }
  }
  return units;
}

// The line CODES written unit by unit, each unit the import would read otherwise as its
// codes in hex (a keyword's between its blanks).
std::string repaired_line(const BasicBytes& codes, const std::vector<BasicLongName>& names,
                          const BasicLineReader& reader) {
  std::string text;
  std::size_t done = 0;
  for (const LineUnit& u : units_of(codes, names)) {
    done += u.codes.size();
    const std::optional<BasicBytes> read = reader.read(text + u.text);
    if (read && read->size() == done && std::equal(read->begin(), read->end(), codes.begin()))
      text += u.text;
    else
      text += u.keyword ? " " + raw_codes(u.codes) + " " : raw_codes(u.codes);
  }
  return text;
}

}  // namespace

std::string exact_basic_text(std::string_view LISTING, const TCATREC& CR, const TFILEBUF& BUF) {
  const Original o{BUF.data(), std::clamp(CR.SIZE, 0, MAXFILESIZE + 1)};
  std::int64_t end = 0;
  const std::vector<WalkedLine> lines = walk(o, end);
  std::vector<std::string_view> listed;
  for (std::size_t b = 0; b < LISTING.size();) {
    const std::size_t e = std::min(LISTING.find('\n', b), LISTING.size());
    std::string_view line = LISTING.substr(b, e - b);
    if (line.ends_with('\r')) line.remove_suffix(1);
    listed.push_back(line);
    b = e + 1;
  }
  // A line longer than the import takes is not worth the mending either.
  const bool long_line = std::any_of(lines.begin(), lines.end(),
                                     [](const WalkedLine& l) { return l.codes.size() > 255; });
  const std::optional<std::uint16_t> start = load_address(lines, end, o);
  if (listed.size() < lines.size() || !start || long_line) return bytes_alone(o);

  // The long names as the import reads them from the list after the lines.
  std::string names_part;
  for (std::size_t i = lines.size(); i < listed.size(); ++i) add_line(names_part, listed[i]);
  BasicText names;
  std::string error;
  if (!read_basic_text(names_part, names, error)) return bytes_alone(o);

  // A line the import would read otherwise is written again, what it misreads in hex, or
  // else all in hex.
  const BasicLineReader reader(names.names);
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const BasicBytes& codes = lines[i].codes;
    std::string body(listed[i].substr(6));
    if (reader.read(body) != codes) body = repaired_line(codes, names.names, reader);
    if (reader.read(body) != codes) body = raw_codes(codes);
    add_line(text, std::string(listed[i].substr(0, 6)) + body);
  }
  text += names_part;

  if (*start != BASIC_USUAL_START) add_line(text, std::string(BASIC_START) + hex(*start));
  // After the end link the usual table, or the bytes as they are.
  BasicBytes usual = {0, 0};
  const BasicBytes table = long_name_table(names.names);
  usual.insert(usual.end(), table.begin(), table.end());
  const std::int64_t used = o.used();
  bool as_usual = used <= end + static_cast<std::int64_t>(usual.size());
  for (std::size_t i = 0; as_usual && i < usual.size(); ++i)
    as_usual = o.at(end + static_cast<std::int64_t>(i)) == usual[i];
  std::int64_t made = end + static_cast<std::int64_t>(usual.size());
  if (!as_usual) {
    // Up to the last byte that is not zero, the end link at least.
    const std::int64_t count =
        std::max<std::int64_t>(0, std::min<std::int64_t>(std::max(used, end + 2), o.size) - end);
    add_tail(text, o.bytes + end, static_cast<std::size_t>(count));
    made = end + count;
  }
  if (o.word(0) != made) add_line(text, std::string(BASIC_DECLARED) + hex(o.word(0)));
  add_size(text, made, o.size);
  return gives_back(text, o) ? text : bytes_alone(o);
}

}  // namespace agat
