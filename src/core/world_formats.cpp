#include "core/world_formats.h"

#include "core/aim_800.h"
#include "core/cp1251_literal.h"
#include "core/emulator_header.h"
#include "core/image_container.h"
#include "core/mfi_file.h"
#include "core/mfm_track.h"
#include "core/nibble_140.h"
#include "core/nibble_800.h"
#include "core/woz_track.h"

namespace agat {

namespace {

constexpr std::int32_t K140 = 35 * 16 * 256, K800 = 160 * 21 * 256;
constexpr std::int32_t NIB140_TRACK = NIB140_TRACK_SIZE, NIB800_TRACK = NIB800_TRACK_SIZE;
constexpr std::int32_t AIM_TRACK = ATRSIZE, EMU_HEADER = EMU_HEADER_SIZE;
constexpr std::int32_t MFM_RECORD = MFM_RECORD_SIZE, MFI800_RECORD = MFI800_RECORD_SIZE;
constexpr std::int32_t WOZ_RECORD = WOZ_TRACK_RECORD, MFI140_RECORD = MFI140_RECORD_SIZE;

constexpr std::array<TIMAGEDESC, IMAGE_TYPE_COUNT> kForms = {{
    {ITI140, 34, 15, K140, 0, 0, false, true, "dsk140", ".DSK", "DSK 140",
     "Образ 140 К без эпилога"_w, "Создать образ DSK 140 k"_w},
    {IT4I140, 34, 15, K140 + 4, 0, 4, false, false, "dsk140t4", ".DSK", "DSK 140",
     "Образ 140 К + 4 байта эпилог"_w, ""},
    {IT128I140, 34, 15, K140 + 128, 0, 128, false, false, "dsk140t128", ".DSK", "DSK 140",
     "Образ 140 К + 128 байт эпилог"_w, ""},
    {ITN140, 34, 15, 35 * NIB140_TRACK, 0, 0, false, true, "nib140", ".NIB", "NBL 140",
     "Образ 140 К [nibble]"_w, "Создать образ NIB 140 k"_w},
    {ITI800, 159, 20, K800, 0, 0, false, true, "dsk800", ".DSK", "DSK 800",
     "Образ 800 К без эпилога"_w, "Создать образ DSK 800 k"_w},
    {IT4I800, 159, 20, K800 + 4, 0, 4, false, false, "dsk800t4", ".DSK", "DSK 800",
     "Образ 800 К + 4 байта эпилог"_w, ""},
    {IT128I800, 159, 20, K800 + 128, 0, 128, false, false, "dsk800t128", ".DSK", "DSK 800",
     "Образ 800 К + 128 байт эпилог"_w, ""},
    {ITN800, 159, 20, 160 * NIB800_TRACK, 0, 0, false, true, "nib800", ".NIB", "NBL 800",
     "Образ 800 К [nibble]"_w, "Создать образ NIB 800 k"_w},
    {ITA800, 159, 20, 160 * AIM_TRACK, 0, 0, false, false, "aim", ".AIM", "AIM 800",
     "Образ 800 К [AIM]"_w, ""},
    {ITE800, 159, 20, EMU_HEADER + K800, EMU_HEADER, 0, true, true, "emu800", ".DSK", "DSK800E",
     "Образ 800 К + 256 байт заголовок эмулятора"_w, "Создать образ DSK 800 k с заголовком"_w},
    // Container forms (core/image_container.h): the file is found by its signature; FULLSIZE
    // only counts the records a load unpacks it into.
    {ITH800, 159, 20, 160 * MFM_RECORD, 0, 0, false, true, "hfe", ".HFE", "HFE 800",
     "Образ 800 К [HFE]"_w, "Создать образ HFE 800 k"_w},
    {ITM800, 159, 20, 160 * MFI800_RECORD, 0, 0, false, true, "mfi800", ".MFI", "MFI 800",
     "Образ 800 К [MFI]"_w, "Создать образ MFI 800 k"_w},
    {ITW140, 34, 15, 35 * WOZ_RECORD, 0, 0, false, true, "woz", ".WOZ", "WOZ 140",
     "Образ 140 К [WOZ]"_w, "Создать образ WOZ 140 k"_w},
    {ITM140, 34, 15, 35 * MFI140_RECORD, 0, 0, false, true, "mfi140", ".MFI", "MFI 140",
     "Образ 140 К [MFI]"_w, "Создать образ MFI 140 k"_w},
}};

// Every form has its row, in order, with whole tracks between its header and trailer; sizes
// tell the forms apart (a form known by its header too may share its size with none).
constexpr bool rows_are_sound() {
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t) {
    const TIMAGEDESC& d = kForms[t];
    const std::int32_t tracks = d.FULLSIZE - d.header - d.trailer;
    if (d.form != t || d.form_name.empty() || tracks <= 0 || tracks % (d.NTR + 1) != 0 ||
        d.creatable == d.menu_label.empty())
      return false;
    for (int u = 0; u < t; ++u)
      if (kForms[u].FULLSIZE == d.FULLSIZE || kForms[u].form_name == d.form_name) return false;
  }
  return true;
}
static_assert(rows_are_sound(), "every image form needs its own row in kForms");

}  // namespace

const std::array<TIMAGEDESC, IMAGE_TYPE_COUNT> IMAGEDESC = kForms;

// A set bit means the sector is free. On 140 KB disks byte 0 of the mask holds
// sectors 15..8 and byte 1 sectors 7..0; on 800 KB disks byte 0 holds 20..13,
// byte 1 12..5 and bits 7..3 of byte 2 sectors 4..0.
const TVTOCMASKS FC_VTOCMASK140 = {0x000100, 0x000200, 0x000400, 0x000800, 0x001000, 0x002000,
                                   0x004000, 0x008000, 0x000001, 0x000002, 0x000004, 0x000008,
                                   0x000010, 0x000020, 0x000040, 0x000080};
const TVTOCMASKS FC_VTOCMASK800 = {0x080000, 0x100000, 0x200000, 0x400000, 0x800000, 0x000100,
                                   0x000200, 0x000400, 0x000800, 0x001000, 0x002000, 0x004000,
                                   0x008000, 0x000001, 0x000002, 0x000004, 0x000008, 0x000010,
                                   0x000020, 0x000040, 0x000080};

bool image_type_of_size(std::uint64_t size, TIMAGET& type) {
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t) {
    // A container form is known by its signature only.
    if (static_cast<std::uint64_t>(IMAGEDESC[t].FULLSIZE) == size &&
        image_container(static_cast<TIMAGET>(t)) == nullptr) {
      type = static_cast<TIMAGET>(t);
      return true;
    }
  }
  return false;
}

bool image_type_of_name(std::string_view name, TIMAGET& type) {
  for (const TIMAGEDESC& d : IMAGEDESC) {
    if (d.form_name == name) {
      type = d.form;
      return true;
    }
  }
  return false;
}

std::size_t image_data_size(TIMAGET type) {
  const TIMAGEDESC& d = IMAGEDESC[type];
  return static_cast<std::size_t>(d.FULLSIZE - d.header - d.trailer);
}

std::size_t image_record_size(TIMAGET type) {
  return image_data_size(type) / (IMAGEDESC[type].NTR + 1u);
}

std::size_t image_header_size(TIMAGET type) {
  return static_cast<std::size_t>(IMAGEDESC[type].header);
}

void set_geometry(TMEDIA& md, TIMAGET type) {
  md.IMAGET = type;
  md.NUMTR = IMAGEDESC[type].NTR;
  md.NUMSC = IMAGEDESC[type].NSC;
  md.VTOCMASKS = md.NUMSC == 15 ? &FC_VTOCMASK140 : &FC_VTOCMASK800;
}

}  // namespace agat
