#include "command_support.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <deque>
#include <vector>

#include "core/change_dir.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/emulator_header.h"
#include "core/file_control.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/host_fs.h"
#include "image_access.h"
#include "terminal.h"

namespace agat {

namespace {

// The --form names of the forms SELECTED picks, in the forms' order: "a, b или c".
template <typename Pick>
std::string form_names(Pick selected) {
  std::vector<std::string_view> names;
  for (const TIMAGEDESC& d : IMAGEDESC)
    if (selected(d)) names.push_back(d.form_name);
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i)
    text += (i == 0                  ? ""
             : i + 1 == names.size() ? std::string(" или "_w)
                                     : ", ") +
            std::string(names[i]);
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------
// Operands and option values

TypedName typed_name(const std::string& utf8) {
  TypedName name;
  std::string error;
  if (!typed_agat_name(utf8, name, error)) throw UsageError{error};
  return name;
}

TIMAGET creatable_form(const ParsedArgs& args) {
  if (!args.has("--form")) throw UsageError{std::string("нужен ключ --form ФОРМА"_w)};
  const std::string& given = args.value("--form", "");
  TIMAGET form;
  const bool known = image_type_of_name(given, form);
  if (known && IMAGEDESC[form].creatable) return form;
  throw UsageError{std::string(known ? "форма "_w : "неизвестная форма "_w) + quoted_host(given) +
                   std::string(known ? " не может быть новым образом"_w : "") +
                   std::string(": новый образ может быть "_w) +
                   form_names([](const TIMAGEDESC& d) { return d.creatable; })};
}

std::string typed_description(const ParsedArgs& args, TIMAGET form) {
  if (!args.has("--description")) return "";
  if (!IMAGEDESC[form].signed_header)
    throw UsageError{
        std::string("описание (--description) бывает только у формы "_w) +
        form_names([](const TIMAGEDESC& d) { return d.signed_header && d.creatable; })};
  const std::string utf8 = args.value("--description", "");
  std::string description;
  const bool converted = utf8_to_cp1251(utf8, description);
  if (converted && description.size() > EMU_DESCRIPTION_MAX)
    throw UsageError{std::string("описание длиннее "_w) + std::to_string(EMU_DESCRIPTION_MAX) +
                     std::string(" знаков"_w)};
  if (!converted || !description_fits_header(description))
    throw UsageError{std::string("в описании "_w) + quoted_host(utf8) +
                     std::string(" есть знак, которого нет в кодовой странице 866"_w)};
  return description;
}

std::string_view format_name(TFILEFORMAT f) {
  return content_format(f).name;
}

std::string format_names(bool (*pick)(const ContentFormat&), std::string_view last) {
  std::vector<std::string_view> names;
  for (const ContentFormat& f : kContentFormats)
    if (pick(f)) names.push_back(f.name);
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += i + 1 == names.size() ? last : ", ";
    list += names[i];
  }
  return list;
}

std::string_view kept_text(std::string text) {
  static std::deque<std::string> texts;  // a deque never moves what it holds
  return texts.emplace_back(std::move(text));
}

TFILEFORMAT format_option(const ParsedArgs& args) {
  const std::string given = args.value("--format", "auto");
  for (const ContentFormat& f : kContentFormats)
    if (given == f.name) return f.format;
  throw UsageError{std::string("неизвестный формат "_w) + quoted_host(given)};
}

std::uint8_t type_byte(const std::string& utf8) {
  auto refuse = [&] {
    throw UsageError{
        std::string("неизвестный тип "_w) + quoted_host(utf8) +
        std::string(": нужна буква T, I, A, B, S, П (P), К (K), Д (D) или байт вида 0x84"_w)};
  };
  std::string_view hex = utf8;
  if (hex.starts_with("0x") || hex.starts_with("0X")) {
    hex.remove_prefix(2);
  } else if (hex.starts_with("$")) {
    hex.remove_prefix(1);
  } else {
    hex = {};
  }
  if (!hex.empty()) {
    unsigned value = 0;
    if (hex.size() > 2) refuse();
    for (char c : hex) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) refuse();
      value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    if (value == 0xFF) refuse();  // the mark of a BTK sub-catalog, not a file type
    return static_cast<std::uint8_t>(value);
  }
  std::string letter;
  if (!utf8_to_cp1251(utf8, letter) || letter.size() != 1) refuse();
  auto c = static_cast<std::uint8_t>(letter[0]);
  if (c >= 'a' && c <= 'z') c = static_cast<std::uint8_t>(c - 'a' + 'A');
  if (c >= 0xE0) c = static_cast<std::uint8_t>(c - 0x20);  // Cyrillic lower case
  // The letters of FC_FTYPE, then the Latin stand-ins for П, К, Д and the Cyrillic
  // letters that look like T, A, B.
  static constexpr std::string_view kLetters = "TIABSПКДPKDТАВ"_w;
  static constexpr std::uint8_t kBytes[] = {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20,
                                            0x40, 0x10, 0x20, 0x40, 0x00, 0x02, 0x04};
  const auto at = kLetters.find(static_cast<char>(c));
  if (at == std::string_view::npos) refuse();
  return kBytes[at];
}

// ---------------------------------------------------------------------------
// Host files

bool host_object_exists(const std::string& path) {
  return host_link_status(path).kind != HostKind::missing;
}

bool refuse_existing(const std::string& path, const ParsedArgs& args) {
  if (args.has("--force") || !host_object_exists(path)) return false;
  print_error(std::string("файл "_w) + quoted_host(path) +
              std::string(" уже есть; --force заменит его"_w));
  return true;
}

bool write_host_file(const std::string& path, const std::uint8_t* data, std::size_t size,
                     FileSync sync) {
  int error = 0;
  FileIoResult result = create_file(path, data, size, &error, sync);
  if (result == FileIoResult::exists) result = replace_file(path, data, size, &error);
  if (result == FileIoResult::ok) return true;
  print_error(std::string("не удалось записать файл "_w) + quoted_host(path) + ": " +
              host_error_text(error));
  return false;
}

void not_found(const std::string& utf8, std::string_view missing, bool ambiguous) {
  print_error(ambiguous ? std::string("имя "_w) + quoted_host(utf8) +
                              std::string(" подходит к записям с разными именами; ничего не "
                                          "сделано"_w)
                        : std::string(missing) + quoted_host(utf8));
}

TCATREC* named_entry(TMEDIA& md, const std::string& utf8, EntryKind kind, bool deleted,
                     std::string_view missing) {
  bool ambiguous = false;
  TCATREC* e = find_named(md, typed_name(utf8), kind, deleted, ambiguous);
  if (e == nullptr) not_found(utf8, missing, ambiguous);
  return e;
}

bool enter_in(TMEDIA& md, const ParsedArgs& args) {
  if (!args.has("--in")) return true;
  TCATREC* e = named_entry(md, args.value("--in", ""), EntryKind::btk, false,
                           "в каталоге нет BTK-каталога "_w);
  if (e == nullptr) return false;
  enter_sub_catalog_in_memory(*e);
  if (core_failed()) return false;
  FC_READCAT(md);
  return true;
}

TCATREC* load_named_file(TMEDIA& md, const std::string& typed, TFILEBUF& buf) {
  // A live file first; a deleted one can still be read while its sectors are not reused.
  bool ambiguous = false;
  TCATREC* e = find_file_to_read(md, typed_name(typed), ambiguous);
  if (e == nullptr) {
    not_found(typed, "в каталоге нет файла "_w, ambiguous);
    return nullptr;
  }
  FC_LOAD(*e, buf);
  return core_failed() ? nullptr : e;
}

TCATREC* file_named(TMEDIA& md, const std::string& image, const std::string& typed) {
  bool ambiguous = false;
  TCATREC* e = find_file_to_read(md, typed_name(typed), ambiguous);
  if (e == nullptr)
    not_found(
        typed,
        std::string("в каталоге образа "_w) + quoted_host(image) + std::string(" нет файла "_w),
        ambiguous);
  return e;
}

std::unique_ptr<TMEDIA> host_medium_for(const std::string& path, std::string& name) {
  auto host = std::make_unique<TMEDIA>();
  host->MEDIAT = MDHOSTFS;
  split_host_path(path, host->HOSTPATH, name);
  return host;
}

// ---------------------------------------------------------------------------
// Listing

std::string visible(std::string text) {
  for (char& c : text)
    if (static_cast<std::uint8_t>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

std::vector<NonstandardSector> nonstandard_sectors(const TMEDIA& md) {
  std::vector<NonstandardSector> found;
  for (std::uint8_t t = 0; t <= md.NUMTR; ++t)
    for (std::uint8_t s = 0; s <= md.NUMSC; ++s)
      if (md.nonstandard[t][s] != 0) found.push_back({{t, s}, md.nonstandard[t][s]});
  return found;
}

std::string entry_name(const TCATREC& e) {
  return agat_name_text(e.AGATNAME, is_deleted(e) ? 29 : 30);
}

std::string volume_name(const TMEDIA& md) {
  return agat_name_text(md.VOLUMEID.data(), md.VOLUMEID.size());
}

}  // namespace agat
