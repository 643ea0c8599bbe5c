// Machine-code files: DOS 3.3 "B" files (a head of load address and length, then the
// code), "K" files (load address and length in the T/S list) and any file taken as raw
// bytes. Locates the code in a loaded file, shows or edits it in the hex editor, lists it
// disassembled, and exports and imports it as a plain host binary, optionally converting
// every byte between the Agat code and Windows-1251.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "content/format_defines.h"
#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

// The load address of every imported binary.
inline constexpr std::uint16_t EP_IMPORT_ADDRESS = 0x1800;
// The longest code an imported binary keeps; the rest is cut with a warning.
inline constexpr std::int32_t EP_IMPORT_MAXCODE = 0xFFF0;
// The longest host file an import reads: the file buffer less a B file's head.
inline constexpr std::int32_t EP_IMPORT_MAXFILE = MAXFILESIZE + 1 - 4;

// The code of the loaded file BUF of entry CR in format FMT: it starts at SRC, is SIZE
// bytes long and loads at OFFS. Code of a B file: after the 4-byte head, length and address
// from the head; other code (a K file): from offset 0, length from T/S-list bytes 8-9,
// address from bytes 10-11; any format that is no code: the whole file at address 0. The length
// never reaches past the data the file holds.
void GETSIZEANDOFFS(const TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, std::uint8_t*& SRC,
                    std::int32_t& SIZE, std::int32_t& OFFS);

// The code in the hex editor, read-only.
void EP_VIEW(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT);
// The code in the hex editor, edited in place in BUF (the head and the rest of the file
// stay as loaded). True when it was changed and the user wants it saved; the caller saves.
bool EP_EDIT(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT);

// Writes the code, without a head, to the host file NM (replacing one that exists); with
// ENC every byte is converted from the Agat code to Windows-1251 first (in BUF). False,
// with a critical message, when the file cannot be written.
bool EP_EXPORT(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM, bool ENC);

// Reads the host file NM as the code of a new binary into BUF and sets CR's size, type
// and T/S-list bytes 8-11: a K file (type $20) loading at EP_IMPORT_ADDRESS, for a format
// with a B file's head a B file (type $04) with its head. With ENC every byte is converted from
// Windows-1251 to the Agat code. Code beyond EP_IMPORT_MAXCODE bytes is cut with a warning; a host
// file that cannot be read, or is longer than EP_IMPORT_MAXFILE, gives a critical message and
// false. The caller saves the file.
bool EP_IMPORT(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM, bool ENC);

// What EP_IMPORT does with the bytes it read: CODE (at most EP_IMPORT_MAXFILE bytes of it) as
// the code of a new binary loading at ADDRESS.
void place_imported_code(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, std::string_view CODE,
                         std::uint16_t ADDRESS, bool ENC);

// The listing `agatdisk view` prints for a binary file, built anew in R: the code block
// located by GETSIZEANDOFFS as disassembly lines (address, bytes, characters, instruction).
void binary_listing(TextReport& R, const TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT);

}  // namespace agat
