// The 6502 disassembler: its opcode table against the documented instruction set, and
// the listing lines (bytes, characters, operands in every mode, branch targets, the
// instruction cut off by the end of the block).
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <vector>

#include "content/dizasm.h"
#include "content/viewer_recorder.h"

namespace agat {
namespace {

// The documented MOS 6502 instructions by mnemonic, each opcode with its mode: i #imm,
// z zp, zx zp,X, zy zp,Y, a abs, ax abs,X, ay abs,Y, ix (zp,X), iy (zp),Y, n (abs),
// r relative, A accumulator, - implied.
// clang-format off
const char* const kDocumented[] = {
    "ADC 69i 65z 75zx 6Da 7Dax 79ay 61ix 71iy", "AND 29i 25z 35zx 2Da 3Dax 39ay 21ix 31iy",
    "ASL 0AA 06z 16zx 0Ea 1Eax", "BCC 90r", "BCS B0r", "BEQ F0r", "BIT 24z 2Ca", "BMI 30r",
    "BNE D0r", "BPL 10r", "BRK 00-", "BVC 50r", "BVS 70r", "CLC 18-", "CLD D8-", "CLI 58-",
    "CLV B8-", "CMP C9i C5z D5zx CDa DDax D9ay C1ix D1iy", "CPX E0i E4z ECa", "CPY C0i C4z CCa",
    "DEC C6z D6zx CEa DEax", "DEX CA-", "DEY 88-", "EOR 49i 45z 55zx 4Da 5Dax 59ay 41ix 51iy",
    "INC E6z F6zx EEa FEax", "INX E8-", "INY C8-", "JMP 4Ca 6Cn", "JSR 20a",
    "LDA A9i A5z B5zx ADa BDax B9ay A1ix B1iy", "LDX A2i A6z B6zy AEa BEay",
    "LDY A0i A4z B4zx ACa BCax", "LSR 4AA 46z 56zx 4Ea 5Eax", "NOP EA-",
    "ORA 09i 05z 15zx 0Da 1Dax 19ay 01ix 11iy", "PHA 48-", "PHP 08-", "PLA 68-", "PLP 28-",
    "ROL 2AA 26z 36zx 2Ea 3Eax", "ROR 6AA 66z 76zx 6Ea 7Eax", "RTI 40-", "RTS 60-",
    "SBC E9i E5z F5zx EDa FDax F9ay E1ix F1iy", "SEC 38-", "SED F8-", "SEI 78-",
    "STA 85z 95zx 8Da 9Dax 99ay 81ix 91iy", "STX 86z 96zy 8Ea", "STY 84z 94zx 8Ca", "TAX AA-",
    "TAY A8-", "TSX BA-", "TXA 8A-", "TXS 9A-", "TYA 98-"};
// clang-format on

TEST(Disassembler, OpcodeTableIsTheDocumentedInstructionSet) {
  const std::map<std::string, std::pair<TADDRMODE, int>> modes = {
      {"i", {AMIMM, 2}},   {"z", {AMZP, 2}},    {"zx", {AMZPX, 2}},  {"zy", {AMZPY, 2}},
      {"a", {AMABS, 3}},   {"ax", {AMABSX, 3}}, {"ay", {AMABSY, 3}}, {"ix", {AMINDX, 2}},
      {"iy", {AMINDY, 2}}, {"n", {AMIND, 3}},   {"r", {AMREL, 2}},   {"A", {AMACC, 1}},
      {"-", {AMIMPL, 1}}};
  std::map<int, std::pair<std::string, std::string>> documented;
  for (const char* line : kDocumented) {
    std::istringstream in(line);
    std::string mnemonic, code;
    in >> mnemonic;
    while (in >> code)
      documented[std::stoi(code.substr(0, 2), nullptr, 16)] = {mnemonic, code.substr(2)};
  }
  ASSERT_EQ(documented.size(), 151u);
  for (int op = 0; op < 256; ++op) {
    const TCMDDESC& d = CMDDESC[static_cast<std::size_t>(op)];
    const auto it = documented.find(op);
    const bool known = it != documented.end();
    const auto [mode, length] = known ? modes.at(it->second.second) : std::pair{AMUNKNOWN, 1};
    EXPECT_EQ(d.MM, known ? it->second.first : "???") << std::hex << op;
    EXPECT_EQ(d.MA, mode) << std::hex << op;
    EXPECT_EQ(CMDLENGTHS[d.MA], length) << std::hex << op;
  }
}

// The listing of exactly these bytes (a read past them is caught), as plain UTF-8 lines.
std::vector<std::string> listing(const std::vector<std::uint8_t>& code, std::int32_t offs,
                                 TextReport& r) {
  VV_INIT(r);
  dizasm_listing(r, code.data(), static_cast<std::int32_t>(code.size()), offs);
  std::vector<std::string> lines;
  for (const ReportLine& line : report_lines(r.text(), 0))
    lines.push_back(cp1251_to_utf8(plain_text(line)));
  return lines;
}

TEST(Disassembler, ListingLines) {
  TextReport r;
  // The characters are those of A2L; the codes that would break a report's lines are ".".
  // clang-format off
  EXPECT_EQ(listing({0xA9, 0x41, 0xF0, 0xFE, 0xF0, 0x10, 0x6C, 0x34, 0x12, 0x42, 0x0A, 0xB1,
                     0xC1, 0xA1, 0xC1, 0xB6, 0xC1, 0xBE, 0x34, 0x12, 0x9D, 0x00, 0x70, 0xEA,
                     0x10, 0x80, 0xA9, 0x8A, 0xA9, 0x80, 0x20, 0x34}, 0x0800, r),
            (std::vector<std::string>{
                R"-(0800-  A9 41 ..   ")a"    LDA  #$41   'a)-",
                R"-(0802-  F0 FE ..   "ПЧ"    BEQ  $0802)-",
                R"-(0804-  F0 10 ..   "Пђ"    BEQ  $0816)-",
                R"-(0806-  6C 34 12   "лґ’"   JMP  ($1234))-",
                R"-(0809-  42 .. ..   "b"     ???  )-",
                R"-(080A-  0A .. ..   "Љ"     ASL  A)-",
                R"-(080B-  B1 C1 ..   "1A"    LDA  ($C1), Y)-",
                R"-(080D-  A1 C1 ..   "!A"    LDA  ($C1, X))-",
                R"-(080F-  B6 C1 ..   "6A"    LDX  $C1, Y)-",
                R"-(0811-  BE 34 12   ">ґ’"   LDX  $1234, Y)-",
                "0814-  9D 00 70   \"\x1DЂп\"   STA  $7000, X",
                R"-(0817-  EA .. ..   "Й"     NOP  )-",
                R"-(0818-  10 80 ..   "ђ."    BPL  $079A)-",
                R"-(081A-  A9 8A ..   ")."    LDA  #$8A   '.)-",
                R"-(081C-  A9 80 ..   ")."    LDA  #$80   '.)-",
                // Cut off by the end of the block: the missing byte shows as missing.
                "081E-  20 34 ..   \"\u00A0ґ\"    JSR  $..34",
                ""}));
  // clang-format on
  // The colours: address, bytes, characters, mnemonic, operand, its character.
  const std::string colours =
      "{02}0800-  {03}A9 41 ..   \"{0F})a{03}\" {07}   LDA  {0F}#$41   'a\n{0F}{02}0802";
  EXPECT_EQ(testing::readable(r.text()).substr(0, colours.size()), colours);
  // A branch below address 0 wraps round, as on the processor; a missing operand byte
  // of an immediate value or a branch shows as missing too.
  EXPECT_EQ(listing({0xD0, 0xF0}, 0, r)[0], R"-(0000-  D0 F0 ..   "PП"    BNE  $FFF2)-");
  EXPECT_EQ(listing({0xA9}, 0, r)[0], R"-(0000-  A9 .. ..   ")"     LDA  #$..)-");
  EXPECT_EQ(listing({0xD0}, 0, r)[0], R"-(0000-  D0 .. ..   "P"     BNE  $....)-");
}

// The first line of a report starts in a colour of its own and is written out; the lines
// after it are made from templates. Both ways write the same line for every instruction.
TEST(Disassembler, TemplateLinesAreTheLinesWrittenOut) {
  TextReport r;
  for (int op = 0; op < 256; ++op) {
    for (const auto& [x, y] : {std::pair<std::uint8_t, std::uint8_t>{0x00, 0x80}, {0xFE, 0x41}}) {
      const auto code = static_cast<std::uint8_t>(op);
      const int length = CMDLENGTHS[CMDDESC[code].MA];
      std::vector<std::uint8_t> one = {code, x, y};
      one.resize(static_cast<std::size_t>(length));
      std::vector<std::uint8_t> twice = one;
      twice.insert(twice.end(), one.begin(), one.end());
      const std::string templated = listing(twice, 0xFFFE, r).at(1);
      EXPECT_EQ(templated, listing(one, 0xFFFE + length, r).at(0)) << std::hex << op;
    }
  }
}

}  // namespace
}  // namespace agat
