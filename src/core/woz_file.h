// The WOZ file around the tracks of a 140 KB disk: a signature, the CRC32 of the rest, and
// chunks (INFO, TMAP, TRKS, META and others). Versions 1 and 2 are read, version 2 written.
// The core holds the file as the records of whole tracks 0..34 (core/woz_track.h); the rest
// of an existing file (INFO's creator, quarter tracks, META, other chunks) is kept from the
// file itself when it is written anew. Nothing in the file is trusted: every length and
// offset is checked against the file before it is used.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace agat {

inline constexpr std::size_t WOZ_SIGNATURE_SIZE = 8;

// Whether HEAD (the first bytes of a file) begins with the signature of WOZ version 1 or 2.
bool is_woz_file(std::span<const std::uint8_t> head);

// The CRC32 (as zip and the WOZ header count it) of BYTES.
std::uint32_t woz_crc32(std::span<const std::uint8_t> bytes);

// Fills RECORDS (35 track records) from FILE and TITLE with the title of its META chunk
// (Windows-1251, empty when none). A CRC that does not match and tracks the file lacks are
// warnings; false, with a critical message, when FILE cannot be read as a WOZ image.
bool woz_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records,
                std::string& title);

// Makes FILE, a WOZ 2 file of RECORDS. Of OLD, the file as it was (empty for a new one), it
// keeps INFO, TMAP, the bits of every track other than whole tracks 0..34, META and the other
// chunks; a new file gets this toolset as INFO's creator and TITLE (Windows-1251) in META.
// False, with a critical message, when OLD holds what a WOZ 2 file of these tracks cannot.
bool woz_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
              std::string_view title, std::vector<std::uint8_t>& file);

}  // namespace agat
