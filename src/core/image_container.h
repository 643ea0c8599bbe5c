// The image forms whose file is not a row of fixed track records but a container with a
// layout of its own (WOZ, HFE, MFI): found by their signature, whatever their size. A load
// unpacks the file into the form's track records (image_record_size bytes each, as the
// codec of core/track_codecs.h reads them); a save packs the records back into a whole
// new file, keeping what the records do not hold from the file it replaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/world_formats.h"

namespace agat {

// Bytes of a file's beginning that tell a container form by its signature (and, for MFI,
// the heads that tell a 140 KB disk's file from an 800 KB disk's).
inline constexpr std::size_t CONTAINER_SIGNATURE_SIZE = 24;

struct ImageContainer {
  TIMAGET form;
  bool described;  // the file can hold a description of the disk (shown as the emulator header's)
  // Whether a file beginning with PREFIX (CONTAINER_SIGNATURE_SIZE bytes) is of the form,
  // including versions a load refuses with its reason.
  bool (*signed_by)(std::span<const std::uint8_t> prefix);
  // The records of every track from FILE, into RECORDS (image_data_size(form) bytes, every
  // one of them written: they are not cleared before), and the description the file holds
  // (Windows-1251; empty when none); false, with the reason in the critical buffer, when the
  // file cannot be read as the form. Tracks the file lacks are left empty (zeros), with one
  // warning.
  bool (*unpack)(std::span<const std::uint8_t> file, std::span<std::uint8_t> records,
                 std::string& description);
  // The file of RECORDS and DESCRIPTION. OLD is the file they were unpacked from, whose
  // header and what the records do not hold are kept; empty for a new file. False, with the
  // reason in the critical buffer, when the file cannot be written.
  bool (*pack)(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
               std::string_view description, std::vector<std::uint8_t>& file);
};

// The container of TYPE, or nullptr for a form whose file is its track records.
const ImageContainer* image_container(TIMAGET type);

// The bytes an image of TYPE is shown to hold: its file's size, but for a container form,
// whose files differ in size, the bytes of its sectors.
std::int64_t image_shown_size(TIMAGET type);

// The container form whose signature PREFIX begins with; false when none.
bool image_container_of(std::span<const std::uint8_t> prefix, TIMAGET& type);

}  // namespace agat
