// Picture decoders as functions of (file, format, mode), each frame checked against one
// computed here from the layout of the mode; the glyph table; the showing loop of GP_VIEW
// with a recorder in place of the window.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/font8.h"
#include "content/graph_modes.h"
#include "content/graph_proc.h"
#include "content/graph_window.h"
#include "content/graph_zx.h"

namespace agat {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A loaded file: the entry and the buffer, the bytes after the file filled with FILL.
struct File {
  TCATREC cr;
  std::unique_ptr<TFILEBUF> buf = std::make_unique<TFILEBUF>();

  File(std::uint8_t ext, const Bytes& data, std::uint8_t fill = 0xFF) {
    cr.CATRECT = CRTAGATFILE;
    cr.EXT = ext;
    cr.AGATNAME.fill(AGAT_SPACE);
    cr.SIZE = static_cast<std::int32_t>(data.size());
    buf->fill(fill);
    std::copy(data.begin(), data.end(), buf->begin());
  }
  TGRAPHVIEW render(TFILEFORMAT fmt, TGRAPHSCREEN& scr, std::optional<TFILEGFORMAT> mode = {}) {
    return GP_RENDER(cr, *buf, fmt, scr, mode);
  }
};

Bytes pattern(std::size_t n) {
  Bytes d(n);
  for (std::size_t i = 0; i < n; ++i) d[i] = static_cast<std::uint8_t>(i * 37 + i / 256 + 11);
  return d;
}

Bytes b_file(const Bytes& data, std::uint16_t address = 0x2000) {
  Bytes f = {static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8),
             static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(data.size() >> 8)};
  f.insert(f.end(), data.begin(), data.end());
  return f;
}

TEST(Font8, GlyphsOfTheAgatCodes) {
  EXPECT_EQ(FONT8[0xC1], (TGLYPH8{0x10, 0x28, 0x44, 0x44, 0x7C, 0x44, 0x44, 0x00}));
  EXPECT_EQ(FONT8[0xE1], (TGLYPH8{0x38, 0x44, 0x44, 0x44, 0x7C, 0x44, 0x44, 0x00}));
  EXPECT_EQ(FONT8[0xB0], (TGLYPH8{0x38, 0x44, 0x4C, 0x54, 0x64, 0x44, 0x38, 0x00}));
  EXPECT_EQ(FONT8[0xA0], TGLYPH8{});
  // Every letter, digit and graphic shows something; the letters of one alphabet differ.
  for (int c = 0; c < 256; ++c)
    EXPECT_TRUE(c == 0x20 || c == 0x80 || c == 0xA0 || FONT8[c] != TGLYPH8{}) << c;
  for (int a = 0xC1; a <= 0xDA; ++a)
    for (int b = a + 1; b <= 0xDA; ++b) EXPECT_NE(FONT8[a], FONT8[b]) << a << " " << b;
  for (int a = 0x60; a <= 0x7F; ++a)
    for (int b = a + 1; b <= 0x7F; ++b) EXPECT_NE(FONT8[a], FONT8[b]) << a << " " << b;
}

TEST(VideoMemory, ModesTheSizeSelects) {
  const std::vector<std::pair<std::uint32_t, TFILEGFORMAT>> cases = {
      {2048, FGFTEXT64N}, {8192, FGFMGR}, {16384, FGFMGR9}, {0, FGFMGR}, {4096, FGFMGR}};
  for (auto [size, mode] : cases) EXPECT_EQ(GP_DETECTSUBFORMAT(size), mode) << size;
  EXPECT_EQ(FGFDESC[FGFMGR].NEARLF, FGFAPPLE);
  EXPECT_EQ(FGFDESC[FGFMGR].NEARRG, FGFHGR);
}

// Every mode of a B file holding a pattern, against the frame its layout gives.
TEST(VideoMemory, EveryModeDrawsItsLayout) {
  const Bytes d = pattern(16384);
  File file(0x04, b_file(d));
  auto bit = [&](std::size_t i, int b) { return ((d[i] >> b) & 1) != 0; };
  auto text = [&](int x, int y, std::uint8_t code, std::uint8_t attr) -> std::uint8_t {
    const bool lit = FONT8[code][static_cast<std::size_t>(y % 8)] & (0x80 >> (x % 8));
    const std::uint8_t colour = attr & 7;
    if (attr & 0x20) return lit ? colour : 0;
    if (attr & 0x08) return lit ? 8 : colour;
    return lit ? 0 : colour;
  };
  const std::vector<std::pair<TFILEGFORMAT, std::function<std::uint8_t(int, int)>>> modes = {
      {FGFTEXT64N, [&](int x, int y) { return text(x, y, d[(y / 8) * 64 + x / 8], 0xFF); }},
      {FGFTEXT64I, [&](int x, int y) { return text(x, y, d[(y / 8) * 64 + x / 8], 0x07); }},
      {FGFTEXT32,
       [&](int x, int y) {
         const std::size_t i = ((y / 8) * 32 + x / 8) * 2;
         return text(x, y, d[i], d[i + 1]);
       }},
      {FGFLGR7,
       [&](int x, int y) { return std::uint8_t(d[y * 32 + x / 2] >> (x % 2 ? 0 : 4) & 15); }},
      {FGFMGR,
       [&](int x, int y) { return std::uint8_t(d[y * 64 + x / 2] >> (x % 2 ? 0 : 4) & 15); }},
      {FGFHGR, [&](int x, int y) { return std::uint8_t(bit(y * 32 + x / 8, 7 - x % 8) ? 15 : 0); }},
      {FGFMGR9,
       [&](int x, int y) {
         const int v = d[(y % 2) * 8192 + (y / 2) * 64 + x / 4] >> (6 - 2 * (x % 4)) & 3;
         return std::uint8_t(std::array<int, 4>{0, 9, 10, 12}[v]);
       }},
      {FGFHGR9,
       [&](int x, int y) {
         return std::uint8_t(bit((y % 2) * 8192 + (y / 2) * 64 + x / 8, 7 - x % 8) ? 15 : 0);
       }},
  };
  auto scr = std::make_unique<TGRAPHSCREEN>();
  for (const auto& [mode, expected] : modes) {
    const TGRAPHVIEW v = file.render(FFBINGRAF, *scr, mode);
    EXPECT_EQ(v.COMMENT, FGFDESC[mode].NM);
    EXPECT_EQ(v.W, FGFDESC[mode].W);
    int wrong = 0;
    for (int y = 0; y < SCRSIDE; ++y)
      for (int x = 0; x < SCRSIDE; ++x)
        wrong += scr->at(x, y) != (x < v.W && y < v.H ? expected(x, y) : 0);
    EXPECT_EQ(wrong, 0) << v.COMMENT;
  }
}

// One lit bit or two in the first Apple row (or the row named), the palette bit of each
// byte, and the colour of one column.
TEST(VideoMemory, AppleColourRule) {
  struct Case {
    std::vector<int> lit;  // bit numbers k of row `row`
    std::vector<int> palette_bytes;
    int row, column;
    std::uint8_t colour;
  };
  const std::vector<Case> cases = {
      {{1}, {}, 0, 2, 13},    {{2}, {}, 0, 3, 10},    {{1}, {0}, 0, 2, 9},    {{2}, {0}, 0, 3, 12},
      {{1, 2}, {}, 0, 2, 15}, {{1, 2}, {}, 0, 3, 15}, {{1, 2}, {}, 0, 4, 0},  {{0}, {}, 0, 0, 0},
      {{1}, {}, 0, 1, 0},     {{6}, {0}, 0, 7, 10},   {{6}, {1}, 0, 7, 12},   {{9}, {}, 1, 10, 13},
      {{9}, {}, 8, 10, 13},   {{9}, {}, 191, 10, 13}, {{279}, {}, 0, 279, 0},
  };
  auto scr = std::make_unique<TGRAPHSCREEN>();
  for (std::size_t n = 0; n < cases.size(); ++n) {
    const Case& c = cases[n];
    Bytes d(8192, 0);
    const int start = (c.row / 8 % 8) * 128 + (c.row / 64) * 40 + (c.row % 8) * 1024;
    for (int k : c.lit) d[start + k / 7] |= static_cast<std::uint8_t>(1 << (k % 7));
    for (int b : c.palette_bytes) d[start + b] |= 0x80;
    File file(0x04, b_file(d));
    file.render(FFBINGRAF, *scr, FGFAPPLE);
    EXPECT_EQ(scr->at(c.column, c.row), c.colour) << "case " << n;
  }
}

// A file cut short is read no further than its end: the bytes after it do not change what
// any decoder draws or says.
TEST(Pictures, NothingIsReadPastTheFile) {
  Bytes zx = {0, 0x40, 0x00, 0x1B};
  const Bytes body = pattern(8000);
  zx.insert(zx.end(), body.begin(), body.end());
  struct Case {
    std::uint8_t ext;
    TFILEFORMAT fmt;
    Bytes data;
  };
  const std::vector<Case> cases = {{0x04, FFBINGRAF, b_file(pattern(16384))},
                                   {0x20, FFKOMGRAF, pattern(16384)},
                                   {0x04, FFZXUNCOMPGRAF, zx},
                                   {0x04, FFZXCOMPGRAF, pattern(8000)},
                                   {0x40, FFALVGRAF, pattern(9000)},
                                   {0x20, FFMGFRAGM, pattern(9000)}};
  auto a = std::make_unique<TGRAPHSCREEN>(), b = std::make_unique<TGRAPHSCREEN>();
  for (const Case& c : cases) {
    for (std::size_t cut : {0, 3, 5, 7, 700, 2053, 6200}) {
      const Bytes part(c.data.begin(), c.data.begin() + std::min(cut, c.data.size()));
      File x(c.ext, part, 0x00), y(c.ext, part, 0xFF);
      for (File* f : {&x, &y}) {
        f->cr.TSDATA[3] = 200, f->cr.TSDATA[4] = 60;  // a MouseGraph fragment's size
        f->cr.TSDATA[6] = 0x40;                       // a K file's length: 16384
      }
      for (int m = 0; m < (GP_HASMODES(c.fmt) ? GRAPHIC_FORMAT_COUNT : 1); ++m) {
        const auto mode = GP_HASMODES(c.fmt) ? std::optional(TFILEGFORMAT(m)) : std::nullopt;
        const TGRAPHVIEW va = x.render(c.fmt, *a, mode), vb = y.render(c.fmt, *b, mode);
        EXPECT_EQ(a->P, b->P) << c.fmt << " cut " << cut << " mode " << m;
        EXPECT_EQ(va.COMMENT, vb.COMMENT);
        EXPECT_EQ(va.W, vb.W);
      }
    }
  }
}

TEST(ZxScreen, PackedStreamThatRunsPastTheBitmap) {
  Bytes f = {0, 0, 0, 0, 0};                                     // the stream starts at offset 5
  for (int i = 0; i < 47; ++i) f.insert(f.end(), {0xFF, 0xAA});  // 47 x 128 bytes
  f.insert(f.end(), {0xF7, 0x55});                               // 120 bytes: 6136
  f.insert(f.end(), {0x8F, 0x11});                               // 16 bytes, 8 too many
  for (int i = 0; i < 5; ++i) f.insert(f.end(), {0xFF, 0x38});   // attributes
  f.insert(f.end(), {0x7F});                                     // a literal run of 128
  for (int i = 0; i < 128; ++i) f.push_back(static_cast<std::uint8_t>(i));
  File file(0x04, f);
  TZXSCREEN zx;
  ZX_LOAD(*file.buf, file.cr.SIZE, FFZXCOMPGRAF, zx);
  EXPECT_TRUE(zx.SCRERROR);
  EXPECT_FALSE(zx.PALERROR);
  EXPECT_EQ(zx.BITMAP[6015], 0xAA);
  EXPECT_EQ(zx.BITMAP[6016], 0x55);
  EXPECT_EQ(zx.BITMAP[6143], 0x11);
  EXPECT_EQ(zx.ATTR[0], 0x38);
  EXPECT_EQ(zx.ATTR[767], 127);
  auto scr = std::make_unique<TGRAPHSCREEN>();
  EXPECT_EQ(file.render(FFZXCOMPGRAF, *scr).COMMENT,
            "ZX/Picler [compress]{with Scr error}. Color: ON: Self,  OFF: Back. Bright: ON: on,  "
            "OFF: on");
  // The stream cut in the attributes, and a plain screen whose head is short.
  file.cr.SIZE = static_cast<std::int32_t>(f.size()) - 10;
  ZX_LOAD(*file.buf, file.cr.SIZE, FFZXCOMPGRAF, zx);
  EXPECT_TRUE(zx.PALERROR);
  Bytes plain = {0, 0x40, 0x00, 0x18};
  plain.resize(4 + 6912, 0x07);
  File short_head(0x04, plain);
  EXPECT_EQ(short_head.render(FFZXUNCOMPGRAF, *scr).COMMENT.substr(0, 46),
            "ZX/Picler [not compress]{with Pal error}. Colo");
}

// The colours of a lit and an unlit pixel of one cell (ink red, paper blue, bright) in
// every rendering.
TEST(ZxScreen, ColourAndBrightRenderings) {
  TZXSCREEN zx;
  zx.BITMAP[0] = 0x80;
  zx.ATTR[0] = 0x40 | (1 << 3) | 2;
  const std::uint8_t lit[3][3] = {{7, 15, 15}, {1, 9, 9}, {1, 9, 9}};
  const std::uint8_t unlit[3][3] = {{4, 4, 12}, {4, 4, 12}, {0, 0, 0}};
  auto scr = std::make_unique<TGRAPHSCREEN>();
  for (int mode = 0; mode < 3; ++mode) {
    for (int bright = 0; bright < 3; ++bright) {
      PUTSCR(zx, mode, bright, *scr);
      EXPECT_EQ(scr->at(0, 0), lit[mode][bright]) << mode << bright;
      EXPECT_EQ(scr->at(1, 0), unlit[mode][bright]) << mode << bright;
    }
  }
}

TEST(Drawings, AlvGrafAndMouseGraph) {
  auto scr = std::make_unique<TGRAPHSCREEN>();
  // Alv Graf: 10 x 3, the bits running on across rows.
  File alv(0x40, {0, 0, 10, 3, 0xFF, 0xC0, 0x00, 0x20});
  TGRAPHVIEW v = alv.render(FFALVGRAF, *scr);
  EXPECT_EQ(v.W * 100 + v.H, 1003);
  EXPECT_EQ(v.PSW * 10 + v.PSH, 34);
  EXPECT_EQ(scr->at(9, 0), 15);  // bit 9
  EXPECT_EQ(scr->at(0, 1), 0);   // bit 10
  EXPECT_EQ(scr->at(6, 2), 15);  // bit 26: the third bit of byte 7
  // A fragment 16 pixels wide: three bytes a row, the third unused.
  File frag(0x20, {0xFF, 0x00, 0xFF, 0x00, 0x80, 0x00});
  frag.cr.TSDATA[3] = 16, frag.cr.TSDATA[4] = 2;
  v = frag.render(FFMGFRAGM, *scr);
  EXPECT_EQ(v.COMMENT, "MouseGraf FRG");
  EXPECT_EQ(scr->at(7, 0), 15);
  EXPECT_EQ(scr->at(8, 0), 0);
  EXPECT_EQ(scr->at(0, 1), 0);
  EXPECT_EQ(scr->at(8, 1), 15);
  // A picture saved whole: $1A x $15 units, 17,664 bytes loaded: 416 x 336 in rows of 52.
  Bytes whole(17664, 0);
  whole[0] = 0x80, whole[51] = 0x01, whole[52 * 335] = 0x40;
  File pic(0x20, whole);
  pic.cr.TSDATA[3] = 0x1A, pic.cr.TSDATA[4] = 0x15;
  v = pic.render(FFMGFRAGM, *scr);
  EXPECT_EQ(v.COMMENT, "MouseGraf 416 x 336");
  EXPECT_EQ(v.W * 1000 + v.H, 416336);
  EXPECT_EQ(scr->at(0, 0) + scr->at(415, 0) + scr->at(1, 335), 45);
  // 512 bytes more and it is a fragment again; a larger picture keeps its top left part.
  pic.cr.SIZE += 512;
  EXPECT_EQ(pic.render(FFMGFRAGM, *scr).COMMENT, "MouseGraf FRG");
  pic.cr.TSDATA[3] = 40, pic.cr.TSDATA[4] = 1, pic.cr.SIZE = 40 * 2 * 16;
  v = pic.render(FFMGFRAGM, *scr);
  EXPECT_EQ(v.COMMENT, "MouseGraf 640 x 16");
  EXPECT_EQ(v.W, 512);
}

// GP_VIEW with a recorder for a window: what each showing offered, and the keys pressed.
struct WindowRecorder {
  struct Shown {
    std::string comment;
    std::int32_t w, h;
    std::array<std::string, 7> hints;
  };
  std::vector<Shown> shown;
  std::vector<TINTKEYCODE> keys;
  bool opens = true;
  int closed = 0;

  WindowRecorder() {
    set_graph_window_hooks({[this] { return opens; },
                            [this](const GraphExposure& e) {
                              Shown s{e.view.COMMENT, e.view.W, e.view.H, {}};
                              for (int k = 0; k < 7; ++k)
                                if (e.view.IKC[k] != nullptr) s.hints[k] = e.view.IKC[k];
                              shown.push_back(s);
                              if (keys.empty()) return IKCESCAPE;
                              const TINTKEYCODE key = keys.front();
                              keys.erase(keys.begin());
                              return key;
                            },
                            [this] { ++closed; }});
  }
  ~WindowRecorder() { set_graph_window_hooks({}); }
};

TEST(GpView, ArrowKeysSwitchModesAndRenderings) {
  WindowRecorder window;
  File mgr(0x04, b_file(pattern(8192)));
  window.keys = {IKCLF, IKCRETURN, IKCRG, IKCRG, IKCESCAPE};
  GP_VIEW(mgr.cr, *mgr.buf, FFBINGRAF);
  ASSERT_EQ(window.shown.size(), 5u);
  EXPECT_EQ(window.shown[0].comment, "MGR  128 x 128 x 16");
  EXPECT_EQ(window.shown[0].hints[IKCESCAPE], "Close");
  EXPECT_EQ(window.shown[0].hints[IKCLF], "Apple 280 x 192");
  EXPECT_EQ(window.shown[0].hints[IKCUP], "Text 64 normal");
  EXPECT_EQ(window.shown[1].comment, "Apple 280 x 192");
  EXPECT_EQ(window.shown[2].comment, "Apple 280 x 192");  // another key redraws
  EXPECT_EQ(window.shown[3].comment, "MGR  128 x 128 x 16");
  EXPECT_EQ(window.shown[4].comment, "HGR  256 x 256 x  2");
  EXPECT_EQ(window.closed, 1);

  // A K file of $4000 bytes opens as MGR9.
  window.shown.clear();
  File k(0x20, pattern(16384));
  k.cr.TSDATA[5] = 0x00, k.cr.TSDATA[6] = 0x40;
  GP_VIEW(k.cr, *k.buf, FFKOMGRAF);
  EXPECT_EQ(window.shown.at(0).comment, "MGR9 256 x 256 x  4");

  // The ZX renderings and the hints that go with them.
  window.shown.clear();
  window.keys = {IKCUP, IKCLF, IKCDN, IKCESCAPE};
  File zx(0x04, pattern(100));
  GP_VIEW(zx.cr, *zx.buf, FFZXCOMPGRAF);
  ASSERT_EQ(window.shown.size(), 4u);
  const auto& s = window.shown;
  EXPECT_EQ(s[0].hints[IKCUP] + "|" + s[0].hints[IKCDN] + "|" + s[0].hints[IKCLF] + "|" +
                s[0].hints[IKCRG],
            "ON: White|OFF: Black|OFF: off|");
  EXPECT_NE(s[1].comment.find("Color: ON: White, OFF: Back. Bright: ON: on,  OFF: on"),
            std::string::npos);
  EXPECT_EQ(s[1].hints[IKCUP] + "|" + s[1].hints[IKCDN], "|ON: Self");
  EXPECT_EQ(s[2].hints[IKCLF] + "|" + s[2].hints[IKCRG], "ON: off|OFF: on");
  EXPECT_NE(s[3].comment.find("Color: ON: Self,  OFF: Back. Bright: ON: on,  OFF: off"),
            std::string::npos);

  // Alv Graf closes on any key; a window that does not open shows nothing.
  window.shown.clear();
  window.keys = {IKCRETURN, IKCESCAPE};
  File alv(0x40, {0, 0, 8, 8});
  GP_VIEW(alv.cr, *alv.buf, FFALVGRAF);
  EXPECT_EQ(window.shown.size(), 1u);
  window.opens = false;
  GP_VIEW(alv.cr, *alv.buf, FFALVGRAF);
  EXPECT_EQ(window.shown.size(), 1u);
  EXPECT_EQ(window.closed, 4);
}

}  // namespace
}  // namespace agat
