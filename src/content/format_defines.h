// The content formats of Agat files, by which a file is viewed, exported and imported, with
// the table that says what each one is; and the sub-formats of video-memory pictures.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/cp1251_literal.h"

namespace agat {

enum TFILEFORMAT : std::uint8_t {
  FFAUTO = 0,           // find the format from the file (never the result of detection)
  FFASIS = 1,           // raw bytes
  FFBINARY = 2,         // "B" file: 4-byte head (load address, length), then code
  FFKOMAND = 3,         // "K" file: code; load address and length in the T/S list
  FFTEXT = 4,           // plain Agat text, lines ended by $8D
  FFBASIC = 5,          // tokenised BASIC program
  FFAGAWT = 6,          // text of the "Агат-Автор" system (a B file)
  FFAUTOGRAF = 7,       // text of the "Автограф" system (a B file), chosen by the user only
  FFALVGRAF = 8,        // picture of "Alv Graf"
  FFBINGRAF = 9,        // video-memory image saved as a B file
  FFKOMGRAF = 10,       // video-memory image saved as a K file
  FFZXCOMPGRAF = 11,    // ZX Spectrum screen packed by PICLER
  FFZXUNCOMPGRAF = 12,  // ZX Spectrum screen, not packed
  FFMGFRAGM = 13,       // fragment of a "MouseGraph" picture
};
inline constexpr int FILE_FORMAT_COUNT = 14;

// What kind of contents a format holds: it chooses the viewer, the report and the export.
enum class ContentFamily : std::uint8_t {
  text,     // lines of text: the text viewer, exported as a host text
  basic,    // a BASIC program: its listing
  binary,   // bytes or code: the disassembly listing and the hex editor
  picture,  // the picture window; its report is the listing of its raw bytes
};

// How the contents are read and shown, within the family.
enum class ContentShown : std::uint8_t {
  bytes,         // raw bytes with nothing known of them
  code,          // code with a load address and a length
  text,           // a plain Agat text
  agawt_text,     // a text of "Агат-Автор"
  autograf_text,  // a text of "Автограф"
  basic,         // a BASIC program
  video_memory,  // video memory, read in one of the video modes
  zx_packed,     // a ZX Spectrum screen packed by PICLER
  zx_plain,      // a ZX Spectrum screen as it lies in memory
  alvgraf,       // an "Alv Graf" picture
  mousegraph,    // a "MouseGraph" picture or fragment
};

// One row of the table of content formats; what a row leaves out is false, or ".bin".
struct ContentFormat {
  TFILEFORMAT format = FFAUTO;
  std::string_view name = {};         // `agatdisk`'s name of it (--format)
  std::string_view description = {};  // the information page's words (Windows-1251); may be empty
  ContentFamily family = ContentFamily::binary;
  ContentShown shown = ContentShown::bytes;
  bool has_modes = false;   // a picture read in any of the video modes (TFILEGFORMAT)
  bool b_head = false;      // the file starts with a B file's head: load address, then length
  bool importable = false;  // a host file can be imported in it
  std::string_view export_suffix = ".bin";  // of the host file it is exported to
};

// Every format, in the order of TFILEFORMAT.
inline constexpr std::array<ContentFormat, FILE_FORMAT_COUNT> kContentFormats = {{
    {.format = FFAUTO, .name = "auto"},
    {.format = FFASIS, .name = "asis", .importable = true},
    {.format = FFBINARY,
     .name = "binary",
     .description = "Исполняемый двоичный файл dos 3.3"_w,
     .shown = ContentShown::code,
     .b_head = true,
     .importable = true},
    {.format = FFKOMAND,
     .name = "komand",
     .description = "Исполняемый двоичный файл ОС \"Школьница\""_w,
     .shown = ContentShown::code,
     .importable = true},
    {.format = FFTEXT,
     .name = "text",
     .description = "Обычный текстовый файл"_w,
     .family = ContentFamily::text,
     .shown = ContentShown::text,
     .importable = true,
     .export_suffix = ".txt"},
    {.format = FFBASIC,
     .name = "basic",
     .description = "Программа транслятора BASIC"_w,
     .family = ContentFamily::basic,
     .shown = ContentShown::basic,
     .importable = true,
     .export_suffix = ".bas"},
    {.format = FFAGAWT,
     .name = "agawt",
     .description = "Текст системы \"Агат-Автор\""_w,
     .family = ContentFamily::text,
     .shown = ContentShown::agawt_text,
     .b_head = true,
     .export_suffix = ".txt"},
    {.format = FFAUTOGRAF,
     .name = "autograf",
     .description = "Текст системы \"Автограф\""_w,
     .family = ContentFamily::text,
     .shown = ContentShown::autograf_text,
     .b_head = true,
     .export_suffix = ".txt"},
    {.format = FFALVGRAF,
     .name = "alvgraf",
     .description = "Рисунок системы \"Alv Graf\""_w,
     .family = ContentFamily::picture,
     .shown = ContentShown::alvgraf},
    {.format = FFBINGRAF,
     .name = "bingraf",
     .description = "Образ видеопамяти"_w,
     .family = ContentFamily::picture,
     .shown = ContentShown::video_memory,
     .has_modes = true,
     .b_head = true},
    {.format = FFKOMGRAF,
     .name = "komgraf",
     .description = "Образ видеопамяти"_w,
     .family = ContentFamily::picture,
     .shown = ContentShown::video_memory,
     .has_modes = true},
    {.format = FFZXCOMPGRAF,
     .name = "zxcompgraf",
     .description = "Рисунок ZX-Spectrum'a программы PICLER [сжатый]"_w,
     .family = ContentFamily::picture,
     .shown = ContentShown::zx_packed,
     .b_head = true},
    {.format = FFZXUNCOMPGRAF,
     .name = "zxuncompgraf",
     .description = "Рисунок ZX-Spectrum'a программы PICLER [не сжатый]"_w,
     .family = ContentFamily::picture,
     .shown = ContentShown::zx_plain,
     .b_head = true},
    {.format = FFMGFRAGM,
     .name = "mgfragm",
     .description = "Фрагмент рисунка \"MouseGraph\""_w,
     .family = ContentFamily::picture,
     .shown = ContentShown::mousegraph},
}};

namespace format_table_detail {
constexpr bool rows_complete() {
  for (std::size_t f = 0; f < kContentFormats.size(); ++f) {
    const ContentFormat& row = kContentFormats[f];
    if (row.format != f || row.name.empty() || row.export_suffix.empty()) return false;
    for (std::size_t g = 0; g < f; ++g)
      if (kContentFormats[g].name == row.name) return false;
    const bool drawn = row.shown >= ContentShown::video_memory;
    if (drawn != (row.family == ContentFamily::picture)) return false;
    // Only video memory is read in a video mode: a mode asked of any other picture would be
    // applied to a drawing that has none.
    if (row.has_modes != (row.shown == ContentShown::video_memory)) return false;
  }
  return true;
}
}  // namespace format_table_detail
static_assert(format_table_detail::rows_complete(),
              "every TFILEFORMAT has its row, in order, with a name of its own and modes only "
              "for video memory");

// The row of format F; a value outside the enumeration reads as raw bytes.
constexpr const ContentFormat& content_format(TFILEFORMAT f) {
  return f < FILE_FORMAT_COUNT ? kContentFormats[f] : kContentFormats[FFASIS];
}

inline constexpr bool is_picture_format(TFILEFORMAT f) {
  return content_format(f).family == ContentFamily::picture;
}

// Whether F names no format but asks for the file's own, found from its type, name and head.
inline constexpr bool is_auto_format(TFILEFORMAT f) {
  return f == FFAUTO;
}

// The format a host file HOST_NAME is imported in when REQUESTED asks for the file's own: a
// plain text when the name ends in ".txt" (in any case), a B file otherwise.
inline constexpr TFILEFORMAT import_format(TFILEFORMAT requested, std::string_view host_name) {
  if (!is_auto_format(requested)) return requested;
  constexpr std::string_view kText = ".txt";
  if (host_name.size() < kText.size()) return FFBINARY;
  const std::string_view tail = host_name.substr(host_name.size() - kText.size());
  for (std::size_t i = 0; i < kText.size(); ++i) {
    const char c =
        tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] - 'A' + 'a') : tail[i];
    if (c != kText[i]) return FFBINARY;
  }
  return FFTEXT;
}

enum TFILEGFORMAT : std::uint8_t {
  FGFTEXT64N = 0,
  FGFTEXT64I = 1,
  FGFTEXT32 = 2,
  FGFLGR7 = 3,
  FGFMGR = 4,
  FGFHGR = 5,
  FGFAPPLE = 6,
  FGFMGR9 = 7,
  FGFHGR9 = 8,
};
inline constexpr int GRAPHIC_FORMAT_COUNT = 9;

}  // namespace agat
