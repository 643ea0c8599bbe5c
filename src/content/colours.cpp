#include "content/colours.h"

namespace agat {

const std::array<std::uint8_t, COL_COUNT> COL = {
    0x0E,  // ATT_RAMKA: yellow on black
    0x0C,  // ATT_HEADER: light red on black
    0x0F,  // ATT_BODY: white on black
    0x07,  // WARN_RAMKA: light gray on black
    0x04,  // WARN_HEADER: red on black
    0x06,  // WARN_BODY: brown on black
    0x03,  // PANEL_VOLUMEID: cyan on black
    0x02,  // PANEL_FREE: green on black
    0x03,  // PANEL_PATH: cyan on black
    0x04,  // PANEL_SORT: red on black
    0x0B,  // PANEL_SELECT: light cyan on black
    0x07,  // PANEL_LST_BASE: light gray on black
    0x04,  // PANEL_LST_DELE: red on black
    0x70,  // PANEL_LST_CURS: black on light gray
    0x0F,  // PANEL_LST_SEL: white on black
    0x01,  // HELP_RAMKA: blue on black
    0x07,  // HELP_HEADER: light gray on black
    0x0A,  // HELP_BODY: light green on black
    0x02,  // ENTERSTR_RAMKA: green on black
    0x0B,  // ENTERSTR_HEADER: light cyan on black
    0x20,  // ENTERSTR_HITEXT: black on green
    0x0A,  // ENTERSTR_TEXT: light green on black
    0x0F,  // MN_MAIN_RAMKA: white on black
    0x0B,  // MN_MAIN_HEADER: light cyan on black
    0x07,  // MN_MAIN_TEXT: light gray on black
    0x70,  // MN_MAIN_SELTEXT: black on light gray
    0x0C,  // MN_MAIN_HOTKEY: light red on black
    0x7C,  // MN_MAIN_SELHOTK: light red on light gray
    0x02,  // MN_FTYP_RAMKA: green on black
    0x0B,  // MN_FTYP_HEADER: light cyan on black
    0x02,  // MN_FTYP_BODY: green on black
    0x0A,  // MN_FTYP_MENU: light green on black
    0x04,  // MN_CLMD_RAMKA: red on black
    0x0E,  // MN_CLMD_HEADER: yellow on black
    0x0C,  // MN_CLMD_BODY: light red on black
    0x0B,  // MN_CLMD_MENU: light cyan on black
    0x0F,  // HEX_ADDR: white on black
    0x02,  // HEX_HEX: green on black
    0x12,  // HEX_SELHEX: green on blue
    0x0E,  // HEX_CHAR: yellow on black
    0x02,  // HEX_MN_RAMKA: green on black
    0x0B,  // HEX_MN_HEADER: light cyan on black
    0x02,  // HEX_MN_BODY: green on black
    0x0A,  // HEX_MN_MENU: light green on black
    0x07,  // IMM_VTOC_HD: light gray on black
    0x07,  // IMM_HEADER: light gray on black
    0x09,  // IMM_NUMBERS: light blue on black
    0x07,  // IMM_BASE: light gray on black
    0x05,  // IMM_BADSEC: magenta on black
    0x03,  // IMM_FREETSL: cyan on black
    0x01,  // IMM_TSL: blue on black
    0x0B,  // IMM_HIREMARK: light cyan on black
    0x02,  // IMM_REMARK: green on black
    0x0C,  // IMM_ERREMARK: light red on black
    0x01,  // EMPTY: blue on black
    0x0F,  // CR_BASIC_STRING: white on black
    0x0E,  // CR_BASIC_MISC: yellow on black
    0x04,  // CR_BASIC_QWES: red on black
    0x03,  // CR_BASIC_LVAR: cyan on black
    0x02,  // CR_BASIC_RESER: green on black
    0x07,  // CR_BASIC_COM: light gray on black
    0x0C,  // CR_BASIC_ALERT: light red on black
    0x06,  // CR_BASIC_LINENM: brown on black
    0x03,  // CR_TEXT: cyan on black
    0x0F,  // CR_ICMP_HEADER: white on black
    0x02,  // CR_ICMP_SCOK: green on black
    0x01,  // CR_ICMP_SCBAD: blue on black
    0x06,  // CR_ICMP_OFFS: brown on black
    0x0F,  // CR_FCMP_HEADER: white on black
    0x02,  // CR_FCMP_BIN: green on black
    0x07,  // CR_FCMP_TXT_EQU: light gray on black
    0x02,  // CR_FCMP_TXT_F1: green on black
    0x03,  // CR_FCMP_TXT_F2: cyan on black
    0x05,  // CR_FCMP_TXT_DIV: magenta on black
    0x07,  // CR_INFO_HEADER: light gray on black
    0x0E,  // CR_INFO_BODY: yellow on black
    0x02,  // CR_DIZASM_PC: green on black
    0x03,  // CR_DIZASM_OPCOD: cyan on black
    0x0F,  // CR_DIZASM_ASC: white on black
    0x07,  // CR_DIZASM_CMD: light gray on black
    0x0F,  // CR_DIZASM_ARG: white on black
};

}  // namespace agat
