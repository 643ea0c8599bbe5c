// The 6502 disassembler: a block of machine code as listing lines of address, bytes,
// characters and instruction, built in a text report and shown in the viewer.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "content/text_viewer.h"

namespace agat {

// Addressing modes of the 6502, as the opcode table gives them.
enum TADDRMODE : std::uint8_t {
  AMUNKNOWN = 0,  // no documented instruction
  AMACC = 1,      // A
  AMIMPL = 2,
  AMIMM = 3,    // #$nn
  AMABS = 4,    // $nnnn
  AMZP = 5,     // $nn
  AMZPX = 6,    // $nn, X
  AMZPY = 7,    // $nn, Y
  AMABSX = 8,   // $nnnn, X
  AMABSY = 9,   // $nnnn, Y
  AMREL = 10,   // branch: the target address
  AMINDX = 11,  // ($nn, X)
  AMINDY = 12,  // ($nn), Y
  AMIND = 13,   // ($nnnn)
};

struct TCMDDESC {
  TADDRMODE MA;
  std::string_view MM;  // upper-case mnemonic; "???" for an undocumented opcode
};

// One entry per opcode: the 151 documented instructions of the MOS 6502.
extern const std::array<TCMDDESC, 256> CMDDESC;
// Instruction length in bytes by addressing mode.
inline constexpr std::array<std::uint8_t, 14> CMDLENGTHS = {1, 1, 1, 2, 3, 2, 2,
                                                            2, 3, 3, 2, 2, 2, 3};

// Appends to R one line per instruction of the SIZE bytes at BUF, the first at address
// OFFS. An instruction cut off by the end of the block shows its missing bytes as "..";
// nothing past BUF + SIZE is read.
void dizasm_listing(TextReport& R, const std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS);

// The listing of dizasm_listing in a new report, shown in the text viewer.
void DA_DIZASMTOVIEWER(const std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS);

}  // namespace agat
