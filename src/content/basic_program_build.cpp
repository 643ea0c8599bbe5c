// A program's text made into the file's bytes: the lines with their links and 00 ends, the
// end link and the long-name table (or the bytes the text gives instead), the length word;
// and the import of a host text as such a file.
#include <algorithm>

#include "content/basic_tokenise.h"
#include "content/host_transfer.h"
#include "core/catalog_entry.h"
#include "core/file_control_messages.h"

namespace agat {

BasicBytes long_name_table(const std::vector<BasicLongName>& names) {
  BasicBytes table;
  for (const BasicLongName& n : names) {
    if (!n.named) break;
    for (char c : n.name) table.push_back(static_cast<std::uint8_t>(c & 0x7F));
    table.back() |= 0x80;
  }
  const auto length = static_cast<std::uint16_t>(table.size());
  table.insert(table.end(),
               {0, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)});
  return table;
}

bool build_basic_program(const BasicText& text, BasicBytes& file, std::string& error) {
  file.assign(2, 0);
  for (const auto& [number, codes] : text.lines) {
    const std::size_t next = file.size() + 4 + codes.size() + 1;
    const auto link = static_cast<std::uint16_t>(text.start + next - 2);
    file.insert(file.end(),
                {static_cast<std::uint8_t>(link), static_cast<std::uint8_t>(link >> 8),
                 static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8)});
    file.insert(file.end(), codes.begin(), codes.end());
    file.push_back(0);
  }
  if (text.tail) {
    file.insert(file.end(), text.tail->begin(), text.tail->end());
  } else {
    file.insert(file.end(), {0, 0});
    const BasicBytes table = long_name_table(text.names);
    file.insert(file.end(), table.begin(), table.end());
  }
  if (!text.declared && file.size() > 0xFFFF) {
    error = basic_line_error(text.last_line, "программа длиннее 65535 байт"_w);
    return false;
  }
  if (file.size() > static_cast<std::size_t>(MAXFILESIZE) + 1) {
    error = basic_line_error(text.last_line, "программа длиннее файла Агата"_w);
    return false;
  }
  const std::uint16_t declared = text.declared.value_or(static_cast<std::uint16_t>(file.size()));
  file[0] = static_cast<std::uint8_t>(declared);
  file[1] = static_cast<std::uint8_t>(declared >> 8);
  if (text.size) file.resize(static_cast<std::size_t>(*text.size), 0);
  return true;
}

bool BP_IMPORT(TCATREC& CR, TFILEBUF& BUF, const std::string& NM) {
  constexpr std::string_view kOperation = "Импорт BASIC-программы"_w;
  std::string host;
  if (!read_host_file(NM, 4 * static_cast<std::uint64_t>(MAXFILESIZE), host, kOperation))
    return false;
  BasicText text;
  BasicBytes file;
  std::string error;
  if (!read_basic_text(text_from_host(host), text, error) ||
      !build_basic_program(text, file, error)) {
    report_critical(std::string(kOperation) + std::string(": файл "_w) + quoted_host_path(NM) +
                    ", " + error);
    return false;
  }
  std::copy(file.begin(), file.end(), BUF.begin());
  CR.SIZE = static_cast<std::int32_t>(file.size());
  CR.EXT = 0x02;
  CR.TSDATA.fill(0);
  return true;
}

}  // namespace agat
