// The opcode table of the disassembler: the documented instructions of the MOS 6502.
#include "content/dizasm.h"

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

}  // namespace agat
