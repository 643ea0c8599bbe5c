// The information page of a catalog entry: what the entry is (host directory, disk image,
// BTK sub-catalog or Agat file) and, for an Agat file, its name, type, sizes, T/S-list
// bytes, place and the content format it is taken for, with the load address and code
// length where the format has them. The facts are gathered apart from the page, so that
// agatdisk can print them as JSON too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "content/format_defines.h"
#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

struct ObjectInfo {
  TCATRECT kind = CRTHOSTFSDIR;
  std::string host_name;  // host bytes
  // A disk image: its own form; an Agat file in an image: the form of that image.
  TIMAGET image{};
  // A disk image with an emulator's header: the description it carries (Windows-1251).
  std::string description;
  // A sub-catalog: its first catalog sector; an Agat file in an image: its first T/S list.
  std::uint8_t track = 0, sector = 0;

  // The rest is filled for Agat files only.
  TAGATNAME name{};
  std::uint8_t ext = 0;  // the type byte, lock bit included
  bool hidden = false;
  std::int32_t sectors = 0;  // the size in sectors that the catalog states
  std::int32_t size = 0;     // the data bytes loaded
  TTSDATA ts_data{};
  bool in_image = false;  // false: a host ".FIL" file
  TFILEFORMAT format = {};  // detected
  std::optional<std::uint16_t> load_address;
  std::optional<std::uint16_t> code_length;
  // "Alv Graf" and "MouseGraph" pictures: width and height in pixels.
  std::optional<std::pair<std::int32_t, std::int32_t>> picture_size;
  std::string_view video_mode;  // a video-memory image: the mode it is shown in first
};

// Gathers the facts of entry CR; an Agat file is loaded into BUF and its format detected.
// False when the load failed (the critical message is left to the caller).
bool object_info(TCATREC& CR, TFILEBUF& BUF, ObjectInfo& INFO);

// One line about an image form, e.g. "Образ 140 К без эпилога {35 треков x 16 секторов =
// 143360 байт}".
std::string disk_description(TIMAGET T);

// The page's words for a content format; empty for raw bytes and for "auto".
std::string_view format_description(TFILEFORMAT F);

// Builds the page anew in R: right-aligned labels in CR_INFO_HEADER, values in
// CR_INFO_BODY.
void info_report(TextReport& R, const ObjectInfo& INFO);

// Shows the information page of entry CR of any kind in the viewer. A failed load shows
// nothing and leaves the message to the caller's error report.
void CC_INFO(TCATREC& CR);

}  // namespace agat
