// The 256-byte header that an Agat emulator puts before the sectors of its 800 KB disk
// images (the form "emu800"): a signature, the format tag "AD", a flag word at $30 (its
// meaning unknown; written as 0) and a description of the disk in code page 866. The
// sectors follow it as in a plain image.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace agat {

inline constexpr std::size_t EMU_HEADER_SIZE = 256;
inline constexpr std::size_t EMU_DESCRIPTION_LENGTH = 0x32;  // the length byte
inline constexpr std::size_t EMU_DESCRIPTION = 0x33;         // its text follows it
inline constexpr std::size_t EMU_DESCRIPTION_MAX = EMU_HEADER_SIZE - EMU_DESCRIPTION;

using EmulatorHeader = std::array<std::uint8_t, EMU_HEADER_SIZE>;

// Whether `bytes` begin with the signature and the format tag of the header.
bool is_emulator_header(std::span<const std::uint8_t> bytes);

// A new header: signature, tag, flag 0 and the Windows-1251 `description` in code page
// 866. A character that code page lacks becomes "?"; text beyond the room is cut off.
EmulatorHeader make_emulator_header(std::string_view description);

// The description of a header in Windows-1251, its length byte held to the room there is.
// A character that Windows-1251 lacks (the box-drawing range of code page 866) becomes "?".
std::string emulator_header_description(std::span<const std::uint8_t, EMU_HEADER_SIZE> header);

// Whether the Windows-1251 `description` goes into a header unchanged: every character is
// in code page 866, and there are at most EMU_DESCRIPTION_MAX of them.
bool description_fits_header(std::string_view description);

}  // namespace agat
