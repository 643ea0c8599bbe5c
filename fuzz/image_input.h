// Disk images described by a fuzzer's input, and the inputs that describe given images
// (for the seed corpora).
//
// An input is: byte 0, the form (its place in image_input_forms(), modulo their count; the
// forms whose file is its tracks come first in TIMAGET, so this is the form's number for
// them); bytes 1..3, the length L of the chunks
// (little-endian); L bytes of chunks; then a tail that the target uses as it likes. Sector
// chunks are laid over a disk whose every sector is 256 bytes $BD (never read): a first
// byte below $F0 is the track (modulo the tracks of the form), then come the sector
// (modulo its sectors), the offset in the sector, the length (0 for 256) and the bytes.
// The disk is then written as a file of the form (an empty emulator header, a trailer of
// zeros, AIM tracks as the test builders lay them out), and raw chunks are laid over the
// file: a first byte of $F0 or more, a 3-byte offset (modulo the file's size), the length
// (0 for 256) and the bytes. Chunks cut short by the end of the input take what there is.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/image_build.h"
#include "core/world_formats.h"

namespace agat::fuzz {

using Bytes = std::vector<std::uint8_t>;
using TDISK = std::array<TTRACK, MAXTRACK + 1>;

struct ImageInput {
  TIMAGET form = ITI140;
  Bytes file;                          // the image file
  std::span<const std::uint8_t> tail;  // the input after the chunks
};

// The forms an input can take: those whose file is its tracks. A bit-stream container is
// unpacked and packed whole at every save, seconds under the sanitizers, and its readers
// have fuzz targets of their own (woz_file, container_hfe, container_mfi).
const std::vector<TIMAGET>& image_input_forms();

ImageInput decode_image_input(std::span<const std::uint8_t> input);

// An input that describes FILE, an image file of FORM (one of image_input_forms()) whose
// sectors are DISK, followed by
// TAIL: a sector chunk for every sector that is not all $BD, and raw chunks for the bytes
// in which FILE differs from the file those sectors make.
Bytes encode_image_input(TIMAGET form, const TDISK& disk, const Bytes& file,
                         std::span<const std::uint8_t> tail = {});

}  // namespace agat::fuzz
