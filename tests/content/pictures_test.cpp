// Picture decoders as functions of (file, format, mode), each frame checked against one
// computed here from the layout of the mode; the glyph table; the showing loop of GP_VIEW
// with a recorder in place of the window.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "content/font8.h"
#include "content/graph_first_mode.h"
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
    cr.CATRECT = CRTAGATFILE, cr.EXT = ext, cr.SIZE = std::int32_t(data.size());
    buf->fill(fill);
    std::copy(data.begin(), data.end(), buf->begin());
  }
  TGRAPHVIEW render(TFILEFORMAT fmt, TGRAPHSCREEN& scr, std::optional<TFILEGFORMAT> mode = {}) {
    return gp_render(cr, *buf, fmt, scr, mode);
  }
};

Bytes pattern(std::size_t n) {
  Bytes d(n);
  for (std::size_t i = 0; i < n; ++i) d[i] = static_cast<std::uint8_t>(i * 37 + i / 256 + 11);
  return d;
}

// A B file at $2000.
Bytes b_file(Bytes d) {
  d.insert(d.begin(), {0x00, 0x20, std::uint8_t(d.size()), std::uint8_t(d.size() >> 8)});
  return d;
}

// The points "x,y=colour ..." of POINTS with the colours the frame has there.
std::string probe(const TGRAPHSCREEN& s, const std::string& points) {
  std::istringstream in(points);
  std::string out;
  for (int x, y, c; in >> x && in.ignore() && in >> y && in.ignore() && in >> c;)
    out += (out.empty() ? "" : " ") + std::to_string(x) + "," + std::to_string(y) + "=" +
           std::to_string(s.at(x, y));
  return out;
}

// How a picture is shown: "comment WxH PSW:PSH".
std::string shown(const TGRAPHVIEW& v) {
  return v.COMMENT + " " + std::to_string(v.W) + "x" + std::to_string(v.H) + " " +
         std::to_string(v.PSW) + ":" + std::to_string(v.PSH);
}

TEST(Font8, GlyphsOfTheAgatCodes) {
  EXPECT_EQ(FONT8[0xC1], (TGLYPH8{0x10, 0x28, 0x44, 0x44, 0x7C, 0x44, 0x44, 0x00}));
  EXPECT_EQ(FONT8[0xE1], (TGLYPH8{0x38, 0x44, 0x44, 0x44, 0x7C, 0x44, 0x44, 0x00}));
  EXPECT_EQ(FONT8[0xB0], (TGLYPH8{0x38, 0x44, 0x4C, 0x54, 0x64, 0x44, 0x38, 0x00}));
  // Every code but the blanks shows something; the letters of one alphabet differ.
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(c == 0x20 || c == 0x80 || c == 0xA0, FONT8[c] == TGLYPH8{}) << c;
  for (int a : {0xC1, 0x60})
    for (int x = a; x < a + 26; ++x)
      for (int y = x + 1; y < a + 26; ++y) EXPECT_NE(FONT8[x], FONT8[y]) << x << " " << y;
}

// Every mode of a B file of a few bytes set in a blank picture, by pixels a person can check,
// and by how many pixels of the frame differ from its ground: nothing else is drawn, nothing
// outside the frame. Text cells hold "A" ($C1), 16 lit pixels: column 3 of its first row,
// columns 2 and 4 of its second. A text-32 attribute: colour in bits 0-2; $20: ink on black;
// else $08: white (8) on the colour; else black on the colour.
TEST(VideoMemory, EveryModeDrawsItsLayout) {
  const struct {
    TFILEGFORMAT mode;
    std::uint8_t blank, ground;
    std::vector<std::pair<int, std::uint8_t>> bytes;  // offset in the picture, value
    std::string pixels;
    int differ;
  } cases[] = {
      // clang-format off
      {FGFTEXT64N, 0xA0, 0, {{0, 0xC1}, {63, 0xC1}, {64, 0xC1}, {31 * 64, 0xC1}},
       "3,0=7 2,0=0 3,1=0 2,1=7 4,1=7 507,0=7 3,8=7 3,248=7 11,0=0", 64},
      {FGFTEXT64I, 0xA0, 7, {{0, 0xC1}}, "3,0=0 2,0=7 2,1=0 511,255=7", 16},
      {FGFTEXT32, 0xA0, 0, {{0, 0xC1}, {1, 0x0A}, {2, 0xC1}, {3, 0x25}, {4, 0xC1}, {5, 0x03},
       {62, 0xC1}, {63, 0x21}, {64, 0xC1}, {65, 0x26}, {2046, 0xC1}, {2047, 0x24}},
       "3,0=8 2,0=2 11,0=5 10,0=0 19,0=0 18,0=3 27,0=0 251,0=1 3,8=6 251,248=4", 64 + 48 + 4 * 16},
      // Two pixels a byte, the left one in the high half.
      {FGFLGR7, 0, 0, {{0, 0x12}, {32, 0x30}, {2047, 0xAB}},
       "0,0=1 1,0=2 0,1=3 1,1=0 62,63=10 63,63=11", 5},
      {FGFMGR, 0, 0, {{0, 0x12}, {64, 0xC0}, {8191, 0xAB}},
       "0,0=1 1,0=2 2,0=0 0,1=12 126,127=10 127,127=11", 5},
      {FGFHGR, 0, 0, {{0, 0x81}, {32, 0x40}, {8191, 0x01}},
       "0,0=15 1,0=0 7,0=15 1,1=15 255,255=15 254,255=0", 4},
      // Odd rows in the second 8 KB; four colours: black, 9, 10, 12.
      {FGFMGR9, 0, 0, {{0, 0x1B}, {8192, 0xC0}, {64, 0x40}, {16383, 0x03}},
       "0,0=0 1,0=9 2,0=10 3,0=12 0,1=12 0,2=9 254,255=0 255,255=12", 6},
      {FGFHGR9, 0, 0, {{0, 0x80}, {8192, 0x01}, {64, 0x02}, {16383, 0x01}},
       "0,0=15 1,0=0 7,1=15 6,2=15 511,255=15", 4},
      // clang-format on
  };
  auto scr = std::make_unique<TGRAPHSCREEN>();
  for (const auto& c : cases) {
    Bytes d(16384, c.blank);
    for (auto [at, value] : c.bytes) d[static_cast<std::size_t>(at)] = value;
    scr->P.fill(5);
    const TGRAPHVIEW v = File(0x04, b_file(d)).render(FFBINGRAF, *scr, c.mode);
    EXPECT_EQ(shown(v), shown({.W = FGFDESC[c.mode].W,
                               .H = FGFDESC[c.mode].H,
                               .PSW = v.PSW,
                               .PSH = v.PSH,
                               .COMMENT = FGFDESC[c.mode].NM}));
    EXPECT_EQ(probe(*scr, c.pixels), c.pixels) << v.COMMENT;
    int differ = 0, outside = 0;
    for (int y = 0; y < SCRSIDE; ++y)
      for (int x = 0; x < SCRSIDE; ++x)
        (x < v.W && y < v.H ? differ : outside) +=
            scr->at(x, y) != (x < v.W && y < v.H ? c.ground : 0);
    EXPECT_EQ(std::pair(differ, outside), std::pair(c.differ, 0)) << v.COMMENT;
  }
}

// Pictures drawn at test time in each pixel mode (MGR, HGR, MGR9, HGR9), each scene in the
// colours its mode has, open in that mode; data that no mode makes sense of, and a picture
// of one colour, keep the first mode of their size; a K file that states no length is
// chosen for by its loaded length.
TEST(VideoMemory, TheFirstReadingIsTheMostCoherent) {
  using Scene = std::function<int(double, double)>;  // a region number at (u, v) in [0, 1)
  const std::vector<std::pair<std::string, Scene>> scenes = {
      {"rings", [](double u, double v) { return int(std::hypot(u - .5, v - .4) * 23); }},
      {"tiles", [](double u, double v) { return int(u * 13) + 3 * int(v * 11); }},
      {"stripes", [](double u, double v) { return int((u * 2 + v) * 9); }},
      {"lines",  // thin strokes on a plain ground, like a drawing
       [](double u, double v) {
         return std::abs(u - v) < .006 || std::abs(u + v - 1) < .006 || v < .01 ||
                std::abs(std::hypot(u - .5, v - .5) - .3) < .006;
       }}};
  // Mode, colours, width, height, and where pixel (x, y) lies: its byte and bit shift.
  struct Layout {
    TFILEGFORMAT mode;
    int colours, w, h;
    std::function<std::pair<int, int>(int, int)> at;
  };
  const std::vector<Layout> layouts = {
      // clang-format off
      {FGFMGR, 16, 128, 128, [](int x, int y) { return std::pair{y * 64 + x / 2, x % 2 ? 0 : 4}; }},
      {FGFHGR, 2, 256, 256, [](int x, int y) { return std::pair{y * 32 + x / 8, 7 - x % 8}; }},
      {FGFMGR9, 4, 256, 256,
       [](int x, int y) { return std::pair{y % 2 * 8192 + y / 2 * 64 + x / 4, 6 - 2 * (x % 4)}; }},
      {FGFHGR9, 2, 512, 256,
       [](int x, int y) { return std::pair{y % 2 * 8192 + y / 2 * 64 + x / 8, 7 - x % 8}; }}};
  // clang-format on
  auto scr = std::make_unique<TGRAPHSCREEN>();
  for (const Layout& l : layouts) {
    for (const auto& [name, scene] : scenes) {
      Bytes d(FGFDESC[l.mode].SZ, 0);
      for (int y = 0; y < l.h; ++y)
        for (int x = 0; x < l.w; ++x) {
          const auto [at, shift] = l.at(x, y);
          d[at] |= std::uint8_t(scene(double(x) / l.w, double(y) / l.h) % l.colours << shift);
        }
      File b(0x04, b_file(d));
      EXPECT_EQ(b.render(FFBINGRAF, *scr).COMMENT, FGFDESC[l.mode].NM) << name;
      File k(0x20, d);  // T/S-list bytes all zero
      EXPECT_EQ(gp_first_mode(gp_video_data(k.cr, *k.buf, FFKOMGRAF)), l.mode) << name;
    }
  }
  for (std::size_t size : {8192, 16384}) {
    for (const Bytes& d : {pattern(size), Bytes(size, 0), Bytes(size, 0xFF)}) {
      File b(0x04, b_file(d));
      EXPECT_EQ(b.render(FFBINGRAF, *scr).COMMENT, FGFDESC[size == 8192 ? FGFMGR : FGFMGR9].NM);
    }
  }
  // Text screens are no pixels to compare: 2 KB keeps the first text mode, though as LGR7
  // these bytes are all of one colour.
  File text(0x04, b_file(Bytes(2048, 0x11)));
  EXPECT_EQ(text.render(FFBINGRAF, *scr).COMMENT, FGFDESC[FGFTEXT64N].NM);
}

// Lit bits of an Apple row, the bytes of it whose palette bit is set, and the colour of one
// column.
TEST(VideoMemory, AppleColourRule) {
  struct Case {
    std::vector<int> lit, palette_bytes;
    int row, column, colour;
  };
  const std::vector<Case> cases = {
      {{1}, {}, 0, 2, 13},    {{2}, {}, 0, 3, 10},    {{1}, {0}, 0, 2, 9},   {{2}, {0}, 0, 3, 12},
      {{1, 2}, {}, 0, 2, 15}, {{1, 2}, {}, 0, 3, 15}, {{1, 2}, {}, 0, 4, 0}, {{0}, {}, 0, 0, 0},
      {{1}, {}, 0, 1, 0},     {{6}, {0}, 0, 7, 10},   {{6}, {1}, 0, 7, 12},  {{9}, {}, 1, 10, 13},
      {{9}, {}, 8, 10, 13},   {{9}, {}, 191, 10, 13}, {{279}, {}, 0, 279, 0}};
  auto scr = std::make_unique<TGRAPHSCREEN>();
  for (const Case& c : cases) {
    Bytes d(8192, 0);
    const int start = (c.row / 8 % 8) * 128 + (c.row / 64) * 40 + (c.row % 8) * 1024;
    for (int k : c.lit) d[start + k / 7] |= static_cast<std::uint8_t>(1 << (k % 7));
    for (int b : c.palette_bytes) d[start + b] |= 0x80;
    File(0x04, b_file(d)).render(FFBINGRAF, *scr, FGFAPPLE);
    EXPECT_EQ(scr->at(c.column, c.row), c.colour) << c.row << " " << c.column;
  }
}

// Every picture format of the table, and no other, with a file of its kind, cut short and
// whole. A file is read no further than its end: the bytes after it change nothing drawn or
// said. Whole, a video-memory picture is named by its mode and drawn in the mode asked for;
// any other picture is drawn the same whatever mode is asked for.
TEST(Pictures, EveryPictureFormatOfTheTable) {
  std::set<std::string> mode_names;
  for (const TFGFDESC& d : FGFDESC) mode_names.insert(d.NM);
  Bytes zx = pattern(8000);
  zx.insert(zx.begin(), {0, 0x40, 0x00, 0x1B});  // a plain ZX screen's head
  const std::map<ContentShown, std::pair<std::uint8_t, Bytes>> kinds = {
      {ContentShown::zx_plain, {0x04, zx}},
      {ContentShown::zx_packed, {0x04, pattern(8000)}},
      {ContentShown::alvgraf, {0x40, pattern(9000)}},
      {ContentShown::mousegraph, {0x20, pattern(9000)}}};
  auto a = std::make_unique<TGRAPHSCREEN>(), b = std::make_unique<TGRAPHSCREEN>(),
       plain = std::make_unique<TGRAPHSCREEN>();
  int pictures = 0;
  for (const ContentFormat& row : kContentFormats) {
    SCOPED_TRACE(std::string(row.name));
    const bool video = row.shown == ContentShown::video_memory;
    EXPECT_EQ(is_picture_format(row.format), video || kinds.contains(row.shown));
    if (!is_picture_format(row.format)) continue;
    ++pictures;
    EXPECT_EQ(gp_has_modes(row.format), row.has_modes);
    const auto& [ext, data] = video
                                  ? std::pair{std::uint8_t(row.b_head ? 0x04 : 0x20),
                                              row.b_head ? b_file(pattern(16384)) : pattern(16384)}
                                  : kinds.at(row.shown);
    for (std::size_t cut : {0, 3, 5, 7, 700, 2053, 6200, 1 << 20}) {
      const bool whole = cut >= data.size();
      const Bytes part(data.begin(), data.begin() + std::min(cut, data.size()));
      File x(ext, part, 0x00), y(ext, part, 0xFF);
      for (File* f : {&x, &y}) f->cr.TSDATA[3] = 200, f->cr.TSDATA[4] = 60, f->cr.TSDATA[6] = 0x40;
      const TGRAPHVIEW first = y.render(row.format, *plain);
      for (int m = -1; m < GRAPHIC_FORMAT_COUNT; ++m) {
        const auto mode = m < 0 ? std::nullopt : std::optional(TFILEGFORMAT(m));
        const TGRAPHVIEW v = x.render(row.format, *a, mode);
        EXPECT_EQ(shown(v), shown(y.render(row.format, *b, mode)));
        EXPECT_EQ(a->P, b->P) << " cut " << cut << " mode " << m;
        if (!whole) continue;
        const TFGFDESC& d = FGFDESC[std::max(m, 0)];
        if (m < 0) {
          EXPECT_TRUE(v.W > 0 && v.H > 0 && v.PSW > 0 && v.PSH > 0) << shown(v);
          EXPECT_EQ(mode_names.count(v.COMMENT), row.has_modes ? 1u : 0u) << v.COMMENT;
        } else if (row.has_modes) {
          EXPECT_EQ(shown(v),
                    shown({.W = d.W, .H = d.H, .PSW = d.PSW, .PSH = d.PSH, .COMMENT = d.NM}));
        } else {
          EXPECT_EQ(shown(v), shown(first)) << m;
          EXPECT_TRUE(a->P == plain->P) << m;
        }
      }
    }
  }
  EXPECT_GT(pictures, 0);
}

TEST(ZxScreen, PackedStreamsAndRenderings) {
  Bytes f(5, 0);                                                 // the stream starts at offset 5
  for (int i = 0; i < 47; ++i) f.insert(f.end(), {0xFF, 0xAA});  // 47 x 128 bytes
  f.insert(f.end(), {0xF7, 0x55, 0x8F, 0x11});  // 120 bytes: 6136; then 16, 8 too many
  for (int i = 0; i < 5; ++i) f.insert(f.end(), {0xFF, 0x38});  // attributes
  f.push_back(0x7F);                                            // a literal run of 128
  for (int i = 0; i < 128; ++i) f.push_back(static_cast<std::uint8_t>(i));
  File file(0x04, f);
  TZXSCREEN zx;
  zx_load(*file.buf, file.cr.SIZE, FFZXCOMPGRAF, zx);
  EXPECT_EQ((std::vector<int>{zx.SCRERROR, zx.PALERROR, zx.BITMAP[6015], zx.BITMAP[6016],
                              zx.BITMAP[6143], zx.ATTR[0], zx.ATTR[767]}),
            (std::vector<int>{1, 0, 0xAA, 0x55, 0x11, 0x38, 127}));
  auto scr = std::make_unique<TGRAPHSCREEN>();
  EXPECT_EQ(shown(file.render(FFZXCOMPGRAF, *scr)),
            "ZX/Picler [compress]{with Scr error}. Color: ON: Self,  OFF: Back. Bright: ON: on,  "
            "OFF: on 256x192 1:1");
  // The stream cut in the attributes; a plain screen whose head is short.
  file.cr.SIZE -= 10;
  zx_load(*file.buf, file.cr.SIZE, FFZXCOMPGRAF, zx);
  EXPECT_TRUE(zx.PALERROR);
  Bytes plain = {0, 0x40, 0x00, 0x18};
  plain.resize(4 + 6912, 0x07);
  EXPECT_EQ(File(0x04, plain).render(FFZXUNCOMPGRAF, *scr).COMMENT.substr(0, 40),
            "ZX/Picler [not compress]{with Pal error}");
  // A lit and an unlit pixel of a cell (ink red, paper blue, bright) in every rendering.
  zx.BITMAP[0] = 0x80, zx.ATTR[0] = 0x40 | (1 << 3) | 2;
  std::string got;
  for (int mode = 0; mode < 3; ++mode) {
    for (int bright = 0; bright < 3; ++bright) {
      PUTSCR(zx, mode, bright, *scr);
      got += probe(*scr, "0,0=0 1,0=0") + ",";
    }
  }
  EXPECT_EQ(got,
            "0,0=7 1,0=4,0,0=15 1,0=4,0,0=15 1,0=12,0,0=1 1,0=4,0,0=9 1,0=4,0,0=9 1,0=12,"
            "0,0=1 1,0=0,0,0=9 1,0=0,0,0=9 1,0=0,");
}

TEST(Drawings, AlvGrafAndMouseGraph) {
  Bytes whole(17664, 0);  // $1A x $15 units of 16 pixels: 416 x 336 in rows of 52 bytes
  whole[0] = 0x80, whole[51] = 0x01, whole[52 * 335] = 0x40;
  Bytes more = whole;
  more.resize(whole.size() + 512);
  // Alv Graf, 10 x 3, the bits running on across rows: bits 9, 10 and 26. A fragment 16
  // pixels wide: three bytes a row, the third unused. The whole picture; 512 bytes more make
  // it a fragment; a larger picture keeps its top left part.
  const std::vector<std::tuple<TFILEFORMAT, Bytes, int, std::string, std::string>> cases = {
      // clang-format off
      {FFALVGRAF, {0, 0, 10, 3, 0xFF, 0xC0, 0, 0x20}, 0, "Alv Graf 10x3 3:4",
       "9,0=15 0,1=0 6,2=15"},
      {FFMGFRAGM, {0xFF, 0, 0xFF, 0, 0x80, 0}, 0x0210, "MouseGraf FRG 16x2 3:4",
       "7,0=15 8,0=0 0,1=0 8,1=15"},
      // clang-format on
      {FFMGFRAGM, whole, 0x151A, "MouseGraf 416 x 336 416x336 3:4", "0,0=15 415,0=15 1,335=15"},
      {FFMGFRAGM, more, 0x151A, "MouseGraf FRG 26x21 3:4", ""},
      {FFMGFRAGM, Bytes(1280, 0), 0x0128, "MouseGraf 640 x 16 512x16 3:4", ""}};
  auto scr = std::make_unique<TGRAPHSCREEN>();
  for (const auto& [fmt, data, ts67, view, pixels] : cases) {
    File file(fmt == FFALVGRAF ? 0x40 : 0x20, data);
    put_le16(&file.cr.TSDATA[3], std::uint16_t(ts67));  // T/S-list bytes 6 and 7
    EXPECT_EQ(shown(file.render(fmt, *scr)), view);
    EXPECT_EQ(probe(*scr, pixels), pixels) << view;
  }
}

// GP_VIEW with a recorder for a window: each showing as "comment|left/up/right/down/escape"
// hints ("-" for none), and the keys pressed in turn (then Escape).
struct WindowRecorder {
  std::vector<std::string> shown;
  std::deque<TINTKEYCODE> keys;
  int closed = 0;
  WindowRecorder() {
    GraphWindowHooks hooks;
    hooks.open = [] { return true; };
    hooks.expose = [this](const GraphExposure& e) {
      std::string s = e.view.COMMENT + "|";
      for (TINTKEYCODE k : {IKCLF, IKCUP, IKCRG, IKCDN, IKCESCAPE})
        s += std::string(k == IKCLF ? "" : "/") + (e.view.IKC[k] ? e.view.IKC[k] : "-");
      shown.push_back(s);
      const TINTKEYCODE key = keys.empty() ? IKCESCAPE : keys.front();
      if (!keys.empty()) keys.pop_front();
      return key;
    };
    hooks.close = [this] { ++closed; };
    set_graph_window_hooks(hooks);
  }
  ~WindowRecorder() { set_graph_window_hooks({}); }
};

TEST(GpView, ArrowKeysSwitchModesAndRenderings) {
  WindowRecorder window;
  File mgr(0x04, b_file(pattern(8192)));
  window.keys = {IKCLF, IKCRETURN, IKCRG, IKCRG};  // Return is no mode key: a redraw
  GP_VIEW(mgr.cr, *mgr.buf, FFBINGRAF);
  const std::string m = "MGR  128 x 128 x 16", a = "Apple 280 x 192", h = "HGR  256 x 256 x  2",
                    t = "/Text 64 normal/", m9 = "/MGR9 256 x 256 x  4/Close";
  EXPECT_EQ(window.shown,
            (std::vector<std::string>{m + "|" + a + t + h + m9, a + "|" + h + t + m + m9,
                                      a + "|" + h + t + m + m9, m + "|" + a + t + h + m9,
                                      h + "|" + m + t + a + m9}));
  // A K file of $4000 bytes opens as MGR9; 2048 bytes select the first text mode, a length
  // of 0 none at all.
  window.shown.clear();
  File k(0x20, pattern(16384));
  k.cr.TSDATA[6] = 0x40;
  GP_VIEW(k.cr, *k.buf, FFKOMGRAF);
  EXPECT_EQ(window.shown.at(0).substr(0, 20), "MGR9 256 x 256 x  4|");
  EXPECT_EQ(GP_DETECTSUBFORMAT(2048) * 10 + GP_DETECTSUBFORMAT(0), FGFTEXT64N * 10 + FGFMGR);

  // The ZX renderings and their hints: Up, Left, Down.
  window.shown.clear();
  window.keys = {IKCUP, IKCLF, IKCDN};
  Bytes packed(5, 0);
  for (int i = 0; i < 54; ++i) packed.insert(packed.end(), {0xFF, std::uint8_t(i < 48 ? 0 : 0x38)});
  File zx(0x04, packed);
  GP_VIEW(zx.cr, *zx.buf, FFZXCOMPGRAF);
  const std::string c = "ZX/Picler [compress]. Color: ON: ", s = "Self,  OFF: Back",
                    w = "White, OFF: Back", b = ". Bright: ON: on,  OFF: ";
  EXPECT_EQ(window.shown, (std::vector<std::string>{
                              c + s + b + "on|OFF: off/ON: White/-/OFF: Black/Escape",
                              c + w + b + "on|OFF: off/-/-/ON: Self/Escape",
                              c + w + b + "off|ON: off/-/OFF: on/ON: Self/Escape",
                              c + s + b + "off|ON: off/ON: White/OFF: on/OFF: Black/Escape"}));

  // Alv Graf closes on any key.
  window.shown.clear();
  window.keys = {IKCRETURN};
  File alv(0x40, {0, 0, 8, 8});
  GP_VIEW(alv.cr, *alv.buf, FFALVGRAF);
  EXPECT_EQ(window.shown, std::vector<std::string>{"Alv Graf|-/-/-/-/Escape"});
  EXPECT_EQ(window.closed, 4);
}

}  // namespace
}  // namespace agat
