#include "content/dizasm.h"

#include <algorithm>

#include "content/colours.h"
#include "core/char_sets.h"

namespace agat {

namespace {

constexpr TCMDDESC U{AMUNKNOWN, "???"};
constexpr TCMDDESC imp(std::string_view m) {
  return {AMIMPL, m};
}
constexpr TCMDDESC acc(std::string_view m) {
  return {AMACC, m};
}
constexpr TCMDDESC imm(std::string_view m) {
  return {AMIMM, m};
}
constexpr TCMDDESC abso(std::string_view m) {
  return {AMABS, m};
}
constexpr TCMDDESC zp(std::string_view m) {
  return {AMZP, m};
}
constexpr TCMDDESC zpx(std::string_view m) {
  return {AMZPX, m};
}
constexpr TCMDDESC zpy(std::string_view m) {
  return {AMZPY, m};
}
constexpr TCMDDESC abx(std::string_view m) {
  return {AMABSX, m};
}
constexpr TCMDDESC aby(std::string_view m) {
  return {AMABSY, m};
}
constexpr TCMDDESC rel(std::string_view m) {
  return {AMREL, m};
}
constexpr TCMDDESC inx(std::string_view m) {
  return {AMINDX, m};
}
constexpr TCMDDESC iny(std::string_view m) {
  return {AMINDY, m};
}
constexpr TCMDDESC ind(std::string_view m) {
  return {AMIND, m};
}

// A byte of code as a character of the listing. The codes that would end a line or start
// a colour pair in the report are shown as ".".
char shown(std::uint8_t b) {
  const std::uint8_t c = A2L(b);
  return c == 0x00 || c == 0x0A || c == 0x0D ? '.' : static_cast<char>(c);
}

// The operand bytes of an instruction (index 0 is the first after the opcode) and how
// many of them the block holds.
struct Operand {
  std::uint8_t byte[2] = {0, 0};
  int present = 0;
};

// Operand byte N as two hex digits, or ".." when the instruction has no such byte or the
// block ends before it.
void operand_byte(TextLine& line, const Operand& op, int n) {
  if (n < op.present)
    line.hex(op.byte[n], 2);
  else
    line.text("..");
}

// The 16-bit operand, high byte first.
void operand_word(TextLine& line, const Operand& op) {
  operand_byte(line, op, 1);
  operand_byte(line, op, 0);
}

void add_operand(TextLine& line, TADDRMODE mode, const Operand& op, std::int32_t pc) {
  switch (mode) {
    case AMACC:
      line.ch('A');
      break;
    case AMIMM:
      line.text("#$");
      operand_byte(line, op, 0);
      if (op.present > 0) line.color(COL[CR_DIZASM_ASC]).text("   '").ch(shown(op.byte[0]));
      break;
    case AMABS:
    case AMABSX:
    case AMABSY:
      line.ch('$');
      operand_word(line, op);
      line.text(mode == AMABSX ? ", X" : mode == AMABSY ? ", Y" : "");
      break;
    case AMZP:
    case AMZPX:
    case AMZPY:
      line.ch('$');
      operand_byte(line, op, 0);
      line.text(mode == AMZPX ? ", X" : mode == AMZPY ? ", Y" : "");
      break;
    case AMREL:
      // The target wraps round the 64 KB address space, as on the processor.
      line.ch('$');
      if (op.present > 0)
        line.hex(static_cast<std::uint32_t>(pc + 2 + static_cast<std::int8_t>(op.byte[0])), 4);
      else
        line.text("....");
      break;
    case AMINDX:
      line.text("($");
      operand_byte(line, op, 0);
      line.text(", X)");
      break;
    case AMINDY:
      line.text("($");
      operand_byte(line, op, 0);
      line.text("), Y");
      break;
    case AMIND:
      line.text("($");
      operand_word(line, op);
      line.ch(')');
      break;
    default:
      break;
  }
}

// One listing line for the instruction at BUF[POS]; POS and PC move past it.
void DECODECMD(TextLine& line, const std::uint8_t* buf, std::int32_t size, std::int32_t& pos,
               std::int32_t& pc) {
  const std::uint8_t opcode = buf[pos];
  const TCMDDESC& cmd = CMDDESC[opcode];
  const int length = CMDLENGTHS[cmd.MA];
  Operand op;
  op.present = std::min(length - 1, size - pos - 1);
  for (int i = 0; i < op.present; ++i) op.byte[i] = buf[pos + 1 + i];

  line.color(COL[CR_DIZASM_PC]).hex(static_cast<std::uint32_t>(pc), 4).text("-  ");
  // Two byte fields follow the opcode; those the instruction lacks, or the block does
  // not hold, show "..".
  line.color(COL[CR_DIZASM_OPCOD]).hex(opcode, 2).ch(' ');
  operand_byte(line, op, 0);
  line.ch(' ');
  operand_byte(line, op, 1);
  line.text("   \"").color(COL[CR_DIZASM_ASC]).ch(shown(opcode));
  for (int i = 0; i < op.present; ++i) line.ch(shown(op.byte[i]));
  // Short instructions are padded so that the columns stay aligned.
  line.color(COL[CR_DIZASM_OPCOD]).ch('"');
  for (int i = op.present; i < 2; ++i) line.ch(' ');
  line.color(COL[CR_DIZASM_CMD]).text("   ").text(cmd.MM).text("  ");
  line.color(COL[CR_DIZASM_ARG]);
  add_operand(line, cmd.MA, op, pc);
  line.end();
  pos += length;
  pc += length;
}

}  // namespace

// The opcode matrix: row = high nibble, column = low nibble.
// clang-format off
const std::array<TCMDDESC, 256> CMDDESC = {
    /* 00 */ imp("BRK"), inx("ORA"), U, U, U, zp("ORA"), zp("ASL"), U,
    /* 08 */ imp("PHP"), imm("ORA"), acc("ASL"), U, U, abso("ORA"), abso("ASL"), U,
    /* 10 */ rel("BPL"), iny("ORA"), U, U, U, zpx("ORA"), zpx("ASL"), U,
    /* 18 */ imp("CLC"), aby("ORA"), U, U, U, abx("ORA"), abx("ASL"), U,
    /* 20 */ abso("JSR"), inx("AND"), U, U, zp("BIT"), zp("AND"), zp("ROL"), U,
    /* 28 */ imp("PLP"), imm("AND"), acc("ROL"), U, abso("BIT"), abso("AND"), abso("ROL"), U,
    /* 30 */ rel("BMI"), iny("AND"), U, U, U, zpx("AND"), zpx("ROL"), U,
    /* 38 */ imp("SEC"), aby("AND"), U, U, U, abx("AND"), abx("ROL"), U,
    /* 40 */ imp("RTI"), inx("EOR"), U, U, U, zp("EOR"), zp("LSR"), U,
    /* 48 */ imp("PHA"), imm("EOR"), acc("LSR"), U, abso("JMP"), abso("EOR"), abso("LSR"), U,
    /* 50 */ rel("BVC"), iny("EOR"), U, U, U, zpx("EOR"), zpx("LSR"), U,
    /* 58 */ imp("CLI"), aby("EOR"), U, U, U, abx("EOR"), abx("LSR"), U,
    /* 60 */ imp("RTS"), inx("ADC"), U, U, U, zp("ADC"), zp("ROR"), U,
    /* 68 */ imp("PLA"), imm("ADC"), acc("ROR"), U, ind("JMP"), abso("ADC"), abso("ROR"), U,
    /* 70 */ rel("BVS"), iny("ADC"), U, U, U, zpx("ADC"), zpx("ROR"), U,
    /* 78 */ imp("SEI"), aby("ADC"), U, U, U, abx("ADC"), abx("ROR"), U,
    /* 80 */ U, inx("STA"), U, U, zp("STY"), zp("STA"), zp("STX"), U,
    /* 88 */ imp("DEY"), U, imp("TXA"), U, abso("STY"), abso("STA"), abso("STX"), U,
    /* 90 */ rel("BCC"), iny("STA"), U, U, zpx("STY"), zpx("STA"), zpy("STX"), U,
    /* 98 */ imp("TYA"), aby("STA"), imp("TXS"), U, U, abx("STA"), U, U,
    /* A0 */ imm("LDY"), inx("LDA"), imm("LDX"), U, zp("LDY"), zp("LDA"), zp("LDX"), U,
    /* A8 */ imp("TAY"), imm("LDA"), imp("TAX"), U, abso("LDY"), abso("LDA"), abso("LDX"), U,
    /* B0 */ rel("BCS"), iny("LDA"), U, U, zpx("LDY"), zpx("LDA"), zpy("LDX"), U,
    /* B8 */ imp("CLV"), aby("LDA"), imp("TSX"), U, abx("LDY"), abx("LDA"), aby("LDX"), U,
    /* C0 */ imm("CPY"), inx("CMP"), U, U, zp("CPY"), zp("CMP"), zp("DEC"), U,
    /* C8 */ imp("INY"), imm("CMP"), imp("DEX"), U, abso("CPY"), abso("CMP"), abso("DEC"), U,
    /* D0 */ rel("BNE"), iny("CMP"), U, U, U, zpx("CMP"), zpx("DEC"), U,
    /* D8 */ imp("CLD"), aby("CMP"), U, U, U, abx("CMP"), abx("DEC"), U,
    /* E0 */ imm("CPX"), inx("SBC"), U, U, zp("CPX"), zp("SBC"), zp("INC"), U,
    /* E8 */ imp("INX"), imm("SBC"), imp("NOP"), U, abso("CPX"), abso("SBC"), abso("INC"), U,
    /* F0 */ rel("BEQ"), iny("SBC"), U, U, U, zpx("SBC"), zpx("INC"), U,
    /* F8 */ imp("SED"), aby("SBC"), U, U, U, abx("SBC"), abx("INC"), U,
};
// clang-format on

void DA_DIZASM(TextReport& R, const std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS) {
  std::int32_t pos = 0;
  std::int32_t pc = OFFS;
  TextLine line(R);
  // A report that has filled up takes nothing more, so the rest of the block is skipped.
  while (pos < SIZE && R.size() < VV_BUFSIZE) DECODECMD(line, BUF, SIZE, pos, pc);
}

void DA_DIZASMTOVIEWER(const std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS) {
  TextReport report;
  VV_INIT(report);
  DA_DIZASM(report, BUF, SIZE, OFFS);
  VV_VIEW(report);
}

}  // namespace agat
