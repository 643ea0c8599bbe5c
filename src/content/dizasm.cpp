#include "content/dizasm.h"

#include <algorithm>

#include "content/colours.h"
#include "core/char_sets.h"

namespace agat {

namespace {

// A byte of code as a character of the listing. The codes that would end a line or start
// a colour pair in the report are shown as ".".
char shown(std::uint8_t b) {
  const std::uint8_t c = A2L(b);
  return c == 0x00 || c == 0x0A || c == 0x0D ? '.' : static_cast<char>(c);
}

// Two hex digits for every byte value.
constexpr auto kHex = [] {
  std::array<std::array<char, 2>, 256> t{};
  for (int b = 0; b < 256; ++b) t[b] = {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
  return t;
}();

// The character of every byte value in the listing.
using Glyphs = std::array<char, 256>;

using Pen = TextLine::Pen;

// (Pens go by value: they live in registers, where a reference would make every character
// a store of the pen too.)
Pen hex2(Pen pen, std::uint8_t b) {
  return pen.ch(kHex[b][0]).ch(kHex[b][1]);
}
Pen hex4(Pen pen, std::uint32_t v) {
  return hex2(hex2(pen, static_cast<std::uint8_t>(v >> 8)), static_cast<std::uint8_t>(v));
}

// The operand bytes of an instruction (index 0 is the first after the opcode) and how
// many of them the block holds.
struct Operand {
  std::uint8_t byte[2] = {0, 0};
  int present = 0;
};

// Where, in the line of an instruction, the characters lie that differ from one
// instruction of an opcode to the next: offsets from the start of the line. A place the
// line does not have is kSpare, past the end of every line, where a write does no harm.
constexpr std::uint8_t kSpare = 72;
struct Holes {
  std::uint8_t pc = kSpare;                    // the address
  std::uint8_t field[2] = {kSpare, kSpare};    // the operand bytes in the byte fields
  std::uint8_t glyph[2] = {kSpare, kSpare};    // the operand bytes as characters
  std::uint8_t operand[2] = {kSpare, kSpare};  // the operand bytes in the operand
  std::uint8_t immediate = kSpare;             // an immediate operand as a character
  std::uint8_t target = kSpare;                // a branch target
};

// Writes the parts of a line, noting in HOLES where the varying characters go.
class LineWriter {
 public:
  LineWriter(const Glyphs& g, const char* start, Holes& holes) : g_(g), start_(start), h_(holes) {}

  // Operand byte N as two hex digits, or ".." when the instruction has no such byte or the
  // block ends before it.
  Pen operand_byte(Pen pen, const Operand& op, int n, std::uint8_t& hole) {
    if (n >= op.present) return pen.text("..");
    hole = at(pen);
    return hex2(pen, op.byte[n]);
  }
  // The 16-bit operand, high byte first.
  Pen operand_word(Pen pen, const Operand& op) {
    return operand_byte(operand_byte(pen, op, 1, h_.operand[1]), op, 0, h_.operand[0]);
  }

  Pen operand(Pen pen, TADDRMODE mode, const Operand& op, std::int32_t pc) {
    switch (mode) {
      case AMACC:
        return pen.ch('A');
      case AMIMM:
        pen = operand_byte(pen.text("#$"), op, 0, h_.operand[0]);
        if (op.present == 0) return pen;
        pen.color(COL[CR_DIZASM_ASC]).text("   '");
        h_.immediate = at(pen);
        return pen.ch(g_[op.byte[0]]);
      case AMABS:
        return operand_word(pen.ch('$'), op);
      case AMABSX:
        return operand_word(pen.ch('$'), op).text(", X");
      case AMABSY:
        return operand_word(pen.ch('$'), op).text(", Y");
      case AMZP:
        return operand_byte(pen.ch('$'), op, 0, h_.operand[0]);
      case AMZPX:
        return operand_byte(pen.ch('$'), op, 0, h_.operand[0]).text(", X");
      case AMZPY:
        return operand_byte(pen.ch('$'), op, 0, h_.operand[0]).text(", Y");
      case AMREL:
        // The target wraps round the 64 KB address space, as on the processor.
        pen.ch('$');
        if (op.present == 0) return pen.text("....");
        h_.target = at(pen);
        return hex4(pen, static_cast<std::uint32_t>(pc + 2 + static_cast<std::int8_t>(op.byte[0])));
      case AMINDX:
        return operand_byte(pen.text("($"), op, 0, h_.operand[0]).text(", X)");
      case AMINDY:
        return operand_byte(pen.text("($"), op, 0, h_.operand[0]).text("), Y");
      case AMIND:
        return operand_word(pen.text("($"), op).ch(')');
      default:
        return pen;
    }
  }

  // The whole line of the instruction OPCODE with operand OP at address PC.
  Pen line(Pen pen, std::uint8_t opcode, const Operand& op, std::int32_t pc) {
    const TCMDDESC& cmd = CMDDESC[opcode];
    pen.color(COL[CR_DIZASM_PC]);
    h_.pc = at(pen);
    pen = hex4(pen, static_cast<std::uint32_t>(pc)).text("-  ");
    // Two byte fields follow the opcode; those the instruction lacks, or the block does
    // not hold, show "..".
    pen = hex2(pen.color(COL[CR_DIZASM_OPCOD]), opcode).ch(' ');
    pen = operand_byte(pen, op, 0, h_.field[0]).ch(' ');
    pen = operand_byte(pen, op, 1, h_.field[1]).text("   \"");
    pen.color(COL[CR_DIZASM_ASC]).ch(g_[opcode]);
    for (int i = 0; i < op.present; ++i) {
      h_.glyph[i] = at(pen);
      pen.ch(g_[op.byte[i]]);
    }
    // Short instructions are padded so that the columns stay aligned.
    pen.color(COL[CR_DIZASM_OPCOD]).ch('"');
    for (int i = op.present; i < 2; ++i) pen.ch(' ');
    pen.color(COL[CR_DIZASM_CMD]).text("   ").text(cmd.MM).text("  ");
    return operand(pen.color(COL[CR_DIZASM_ARG]), cmd.MA, op, pc);
  }

 private:
  std::uint8_t at(const Pen& pen) const { return static_cast<std::uint8_t>(pen.end() - start_); }

  const Glyphs& g_;
  const char* start_;
  Holes& h_;
};

// The line of an instruction that the block holds whole, written once for its opcode:
// its bytes with zeros in the holes, where the holes are, and the colour after it.
struct LineTemplate {
  std::array<char, 80> bytes{};
  std::size_t length = 0;
  std::uint8_t colour = 0;
  Holes holes;
};

// The lines a listing is made of, worked out once: the characters, and a template for
// every opcode and each of the two colours in which a line can start (that of an operand,
// and that of an immediate operand's character, which may end a line).
struct Templates {
  Glyphs glyph;
  std::array<std::uint8_t, 256> length;  // of the instruction of every opcode
  std::array<std::uint8_t, 2> start;
  std::array<std::array<LineTemplate, 256>, 2> line;
};

const Templates& templates() {
  static const Templates t = [] {
    Templates all{};
    for (int b = 0; b < 256; ++b) {
      all.glyph[b] = shown(static_cast<std::uint8_t>(b));
      all.length[b] = CMDLENGTHS[CMDDESC[static_cast<std::size_t>(b)].MA];
    }
    all.start = {COL[CR_DIZASM_ARG], COL[CR_DIZASM_ASC]};
    for (std::size_t s = 0; s < 2; ++s) {
      for (int op = 0; op < 256; ++op) {
        LineTemplate& l = all.line[s][static_cast<std::size_t>(op)];
        Operand whole;
        whole.present = all.length[static_cast<std::size_t>(op)] - 1;
        LineWriter writer(all.glyph, l.bytes.data(), l.holes);
        const Pen pen = writer.line(Pen::over(l.bytes.data(), all.start[s]),
                                    static_cast<std::uint8_t>(op), whole, 0);
        l.length = static_cast<std::size_t>(pen.end() - l.bytes.data());
        l.colour = pen.colour();
      }
    }
    return all;
  }();
  return t;
}

// The room a line takes in the gathering buffer: a template's fixed-size copy, which is
// longer than any line.
constexpr std::size_t kMaxLine = 80;

void put_hex2(char* at, std::uint8_t b) {
  at[0] = kHex[b][0];
  at[1] = kHex[b][1];
}

// One listing line for the instruction at BUF[POS], at address PC; its length. An
// instruction the block holds whole, in a line that starts in a colour of a template, is
// its template with the holes filled; any other is written out.
int DECODECMD(TextLine& line, const Templates& t, const std::uint8_t* buf, std::int32_t size,
              std::int32_t pos, std::int32_t pc) {
  const std::uint8_t opcode = buf[pos];
  const int length = t.length[opcode];
  Operand op;
  op.present = std::min(length - 1, size - pos - 1);
  for (int i = 0; i < op.present; ++i) op.byte[i] = buf[pos + 1 + i];

  line.line(kMaxLine, [&](Pen pen) {
    const std::size_t s = pen.colour() == t.start[0] ? 0 : pen.colour() == t.start[1] ? 1 : 2;
    if (s == 2 || op.present < length - 1) {
      Holes unused;
      return LineWriter(t.glyph, pen.end(), unused).line(pen, opcode, op, pc);
    }
    const LineTemplate& l = t.line[s][opcode];
    // The holes are filled in the copy itself: a copy made from bytes just written one by
    // one would wait for those writes.
    return pen.piece(l.bytes, l.length, l.colour, [&](char* text) {
      const Holes& h = l.holes;
      const auto word = static_cast<std::uint32_t>(pc);
      put_hex2(text + h.pc, static_cast<std::uint8_t>(word >> 8));
      put_hex2(text + h.pc + 2, static_cast<std::uint8_t>(word));
      for (int i = 0; i < 2; ++i) {
        put_hex2(text + h.field[i], op.byte[i]);
        put_hex2(text + h.operand[i], op.byte[i]);
        text[h.glyph[i]] = t.glyph[op.byte[i]];
      }
      text[h.immediate] = t.glyph[op.byte[0]];
      if (h.target != kSpare) {
        const auto target =
            static_cast<std::uint32_t>(pc + 2 + static_cast<std::int8_t>(op.byte[0]));
        put_hex2(text + h.target, static_cast<std::uint8_t>(target >> 8));
        put_hex2(text + h.target + 2, static_cast<std::uint8_t>(target));
      }
    });
  });
  return length;
}

}  // namespace

void dizasm_listing(TextReport& R, const std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS) {
  std::int32_t pos = 0;
  std::int32_t pc = OFFS;
  TextLine line(R);
  // A report that has filled up takes nothing more, so the rest of the block is skipped.
  const Templates& t = templates();
  while (pos < SIZE && !R.full()) {
    const int length = DECODECMD(line, t, BUF, SIZE, pos, pc);
    pos += length;
    pc += length;
  }
}

void DA_DIZASMTOVIEWER(const std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS) {
  TextReport report;
  VV_INIT(report);
  dizasm_listing(report, BUF, SIZE, OFFS);
  VV_VIEW(report);
}

}  // namespace agat
