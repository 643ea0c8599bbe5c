// The reports shown in the text viewer: the viewer buffer's encoding (colour pairs and
// line ends, the number forms, the "?" for a zero byte, the overflow note exactly at the
// buffer's end), the VTOC report of the image map, and the image comparison report with the
// refusals that leave a critical message instead.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "content/immap_report.h"
#include "content/media_compare.h"
#include "content/report_reader.h"
#include "content/text_viewer.h"
#include "content/viewer_recorder.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/vtoc.h"
#include "support/media.h"
#include "support/temp_dir.h"
#include "support/testdata.h"

namespace agat {
namespace {

using testing::readable;

TEST(TextViewerBuffer, ColourPairsLineEndsAndNumberForms) {
  TextReport R;
  VV_ADD_COLOR(R, 14);
  VV_ADD_STRING_EOL(R, "AB");
  // The same colour again adds nothing; a new one adds its pair, and every line end
  // repeats whatever is current. Strings keep every byte but zero, which becomes "?".
  VV_ADD_COLOR(R, 14);
  VV_ADD_COLOR(R, 2);
  VV_ADD_STRING(R, std::string_view("a\0b", 3));
  VV_ADD_STRING(R, "Я\r"_w);
  VV_ADD_EOL(R);
  VV_ADD_EOL(R);
  EXPECT_EQ(readable(std::string(R.text())), "{0E}AB\n{0E}{02}a?bЯ\r\n{02}\n{02}");

  // A new report forgets the colour too, so that it writes its own first pair.
  VV_INIT(R);
  VV_ADD_COLOR(R, 2);
  VV_ADD_STRING(R, "new");
  EXPECT_EQ(readable(std::string(R.text())), "{02}new");

  VV_INIT(R);
  // Decimal: right-aligned in the field, never cut.
  for (auto [value, width] : {std::pair{7, 3}, {-12, 5}, {12345, 3}, {5, -4}, {INT32_MIN, 12}}) {
    VV_ADD_LONGINT(R, value, width);
    VV_ADD_CHAR(R, '|');
  }
  EXPECT_EQ(std::string(R.text()), "  7|  -12|12345|5| -2147483648|");
  // Hexadecimal: exactly the digits asked for; those beyond the value's 32 bits are zeros.
  VV_INIT(R);
  for (auto [value, digits] :
       {std::pair{255, 4}, {4660, 2}, {0xABCDEF, 6}, {123, 0}, {INT32_MIN, 8}, {-1, 10}}) {
    VV_ADD_HEX(R, value, static_cast<std::uint8_t>(digits));
    VV_ADD_CHAR(R, '|');
  }
  EXPECT_EQ(std::string(R.text()), "00FF|34|ABCDEF||80000000|00FFFFFFFF|");
}

TEST(TextViewerBuffer, TextOfManyLinesIsItsStringsAndLineEnds) {
  // Whether it lands at the start, near the note or across it, with or without a zero.
  for (std::uint32_t start : {0u, VV_BUFSIZE - 200, VV_BUFSIZE - 40, VV_BUFSIZE - 29}) {
    for (std::string_view text :
         {std::string_view("ab\ncd\n\nefgh"), std::string_view("a\0\nb\n", 5)}) {
      TextReport bulk, step;
      for (TextReport* r : {&bulk, &step}) {
        VV_ADD_STRING(*r, std::string(start, 'x'));
        VV_ADD_COLOR(*r, 3);
      }
      add_report_text(bulk, text);
      for (std::size_t eol; (eol = text.find('\n')) != std::string_view::npos;
           text.remove_prefix(eol + 1)) {
        VV_ADD_STRING(step, text.substr(0, eol));
        VV_ADD_EOL(step);
      }
      VV_ADD_STRING(step, text);
      EXPECT_EQ(bulk.text(), step.text()) << start;
    }
  }
}

TEST(TextViewerBuffer, AnOverflowingReportEndsWithTheNote) {
  TextReport R;
  EXPECT_EQ(VV_BUFSIZE, 2048000u);
  // One byte short of the note's threshold: nothing happens yet.
  for (std::uint32_t i = 0; i < VV_BUFSIZE - 29; ++i) VV_ADD_CHAR(R, 'x');
  EXPECT_EQ(R.size(), VV_BUFSIZE - 29);
  // The next byte leaves exactly 28 free: the note fills them.
  VV_ADD_CHAR(R, 'y');
  EXPECT_EQ(R.size(), VV_BUFSIZE);
  EXPECT_EQ(R.text()[VV_BUFSIZE - 29], 'y');
  EXPECT_EQ(R.text().substr(VV_BUFSIZE - 28), NO_SPACE);
  // Everything later is dropped, colour changes and line ends included.
  VV_ADD_STRING(R, "lost");
  VV_ADD_COLOR(R, 5);
  VV_ADD_EOL(R);
  EXPECT_EQ(R.size(), VV_BUFSIZE);
}

// A volume number 0 and a wrong sector count, in that order, then a track mask with bits
// that no sector has.
TEST(VtocReport, OneLinePerFaultUnderTheHeading) {
  auto md = testing::new_medium();
  set_geometry(*md, ITI140);
  TVTOCSECTOR& vt = as<TVTOCSECTOR>(md->MASS[17][0]);
  vt.TSPAIRNUM = 0x7A, vt.DIRECTTOTR = 1, vt.TRNUM = 35, vt.SCNUM = 13, vt.BTNUM[1] = 1;
  vt.VOLNAME[3] = 0x8D;
  put_le32(vt.MAP[7], 0x10000);
  TVTOCFAULTS faults;
  VTOCANALYSE(*md, faults);
  TextReport R;
  vtoc_report(faults, R);
  EXPECT_EQ(readable(std::string(R.text())),
            "{07}Анализ VTOC:\n{07}06: Номер тома == $00.\n{07}35: Неверно число секторов на "
            "треке.\n{07}Битовое поле для трека   7 имеет лишние единичные биты.\n{07}");
}

// Strings and gathered lines go in whole while they fit: the bytes, the overflow note
// included, are the same as those written one at a time. The last stretch goes in one
// character at a time, so that one of them ends exactly where the note must start.
TEST(TextViewerBuffer, WholeStringsAndLinesWriteWhatSingleBytesWould) {
  TextReport bytewise, strings, lines;
  std::mt19937 rng(3);
  for (int n = 0; lines.size() < VV_BUFSIZE; ++n) {
    const bool last_stretch = bytewise.size() > VV_BUFSIZE - 100;
    const auto colour = static_cast<std::uint8_t>(last_stretch ? 1 : rng() % 3);
    const std::string text(last_stretch ? 1 : rng() % 40,
                           static_cast<char>(n % 7 == 0 ? '\0' : 'a' + n % 26));
    VV_ADD_COLOR(bytewise, colour);
    for (char c : text) VV_ADD_CHAR(bytewise, c == '\0' ? '?' : c);
    VV_ADD_COLOR(strings, colour);
    VV_ADD_STRING(strings, text);
    TextLine line(lines);
    line.color(colour).text(text);
    if (last_stretch) continue;
    VV_ADD_HEX(bytewise, n, 4);
    VV_ADD_EOL(bytewise);
    VV_ADD_HEX(strings, n, 4);
    VV_ADD_EOL(strings);
    line.hex(static_cast<std::uint32_t>(n), 4).end();
  }
  // (Compared as booleans: a diff of two 2 MB texts would take gtest ages.)
  EXPECT_TRUE(strings.text() == bytewise.text());
  EXPECT_TRUE(lines.text() == bytewise.text());
  EXPECT_EQ(lines.text().substr(VV_BUFSIZE - 28), NO_SPACE);
}

// A streamed report (output with no screen to fill) passes on whole lines as it grows and
// cuts nothing: three times the viewer's buffer, written a byte, a string, a text and a
// gathered line at a time, with the colour whose code is a line feed's among them, comes
// out whole, in pieces that each end a line; its start is what a held report keeps.
TEST(TextViewerBuffer, AStreamedReportPassesOnWholeLinesAndCutsNothing) {
  std::vector<std::string> pieces;
  TextReport streamed([&](std::string_view b) { pieces.emplace_back(b); });
  TextReport held;
  int n = 0;
  const auto write = [&n](TextReport& R) {
    const std::string text = "line " + std::to_string(n);
    VV_ADD_COLOR(R, static_cast<std::uint8_t>(n % 3 == 0 ? 0x0A : n % 3));
    if (n % 4 == 0) {
      for (char c : text) VV_ADD_CHAR(R, c);
      VV_ADD_EOL(R);
    } else if (n % 4 == 1) {
      VV_ADD_STRING_EOL(R, text);
    } else if (n % 4 == 2) {
      add_report_text(R, text + "\n");
    } else {
      TextLine(R).text(text).end();
    }
  };
  for (; n < 400000; ++n) {
    write(streamed);
    write(held);
  }
  // Then one line longer than the viewer's whole buffer, a byte at a time, unended.
  for (std::uint32_t i = 0; i < 2 * VV_BUFSIZE; ++i) VV_ADD_CHAR(streamed, 'z');
  streamed.finish();
  EXPECT_EQ(streamed.size(), 0u);
  EXPECT_FALSE(streamed.full());
  EXPECT_TRUE(held.full());
  ASSERT_GT(pieces.size(), 3 * VV_BUFSIZE / TextReport::STREAM_CHUNK - 1);
  std::string whole;
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    EXPECT_LE(pieces[i].size(), TextReport::STREAM_CHUNK + 64);
    EXPECT_EQ(plain_text(pieces[i]).back(), '\n');
  }
  EXPECT_EQ(pieces.back().size(), 2 + 2 * VV_BUFSIZE);  // after the colour pair of its start
  for (const std::string& p : pieces) whole += p;
  ASSERT_GT(whole.size(), 5 * VV_BUFSIZE);
  EXPECT_TRUE(std::string_view(whole).substr(0, VV_BUFSIZE - 28) ==
              held.text().substr(0, VV_BUFSIZE - 28));
  EXPECT_EQ(whole.find(">> No space"), std::string::npos);
  // Every line, in order, with its own colour.
  const std::vector<ReportLine> lines = report_lines(whole, 0);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(n) + 1);
  EXPECT_TRUE(plain_text(lines.back()) == std::string(2 * VV_BUFSIZE, 'z'));
  for (int i = 0; i < n; i += 997) {
    EXPECT_EQ(plain_text(lines[static_cast<std::size_t>(i)]), "line " + std::to_string(i));
    std::uint8_t last = 0;
    for_each_run(lines[static_cast<std::size_t>(i)],
                 [&](std::uint8_t a, std::string_view) { last = a; });
    EXPECT_EQ(last, i % 3 == 0 ? 0x0A : i % 3) << i;
  }
}

TEST(ReportReader, ReadsBackLinesColoursAndTextAsWritten) {
  TextReport R;
  VV_ADD_STRING(R, "pre");  // before any colour: the line starts in the initial one
  VV_ADD_COLOR(R, 0x0E);
  VV_ADD_STRING_EOL(R, "head");
  VV_ADD_COLOR(R, 0x0A);  // 10, the code of a line feed, as an attribute
  VV_ADD_STRING(R, "ab");
  VV_ADD_COLOR(R, 0x02);
  VV_ADD_STRING(R, "cdefg");
  VV_ADD_EOL(R);

  const std::vector<ReportLine> lines = report_lines(R.text(), 0x07);
  ASSERT_EQ(lines.size(), 3u);  // the text ends with a line end: an empty last line
  std::vector<std::pair<int, std::string>> runs;
  for (const ReportLine& line : lines) {
    for_each_run(line, [&](std::uint8_t a, std::string_view t) { runs.emplace_back(a, t); });
    runs.emplace_back(-1, "|");
  }
  const std::vector<std::pair<int, std::string>> expected = {
      {7, "pre"},   {14, "head"}, {-1, "|"}, {14, ""}, {14, ""}, {10, "ab"},
      {2, "cdefg"}, {-1, "|"},    {2, ""},   {2, ""},  {-1, "|"}};
  EXPECT_EQ(runs, expected);
  EXPECT_EQ(plain_text(R.text()), "prehead\nabcdefg\n");
  EXPECT_EQ(line_width(lines[1]), 7u);

  // Cut into pieces of 3 characters, each starting in the colour in force there.
  std::vector<std::pair<int, std::string>> pieces;
  for (const ReportLine& p : wrap_line(lines[1], 3))
    pieces.emplace_back(p.attribute, plain_text(p));
  const std::vector<std::pair<int, std::string>> cut = {{14, "abc"}, {2, "def"}, {2, "g"}};
  EXPECT_EQ(pieces, cut);
}

using testing::image_medium;
using Bytes = std::vector<std::uint8_t>;

// A plain image of random sectors, 140 KB or 800 KB.
Bytes random_plain(TIMAGET geometry) {
  Bytes image((IMAGEDESC[geometry].NTR + 1) * (IMAGEDESC[geometry].NSC + 1) * 256);
  std::mt19937 rng(1);
  for (auto& b : image) b = static_cast<std::uint8_t>(rng());
  return image;
}

// Sector T/S of a plain 140 KB image.
std::uint8_t* sector(Bytes& image, int t, int s) {
  return image.data() + (t * 16 + s) * 256;
}

class MediaCompare : public testing::CoreTest {
 protected:
  testing::TempDir dir;
  testing::ViewRecorder viewer;

  std::unique_ptr<TMEDIA> medium(const std::string& name, TIMAGET type) const {
    return image_medium(dir.host_path(), name, type);
  }
  // The report on the two images, or "" when none was shown.
  std::string compare(TMEDIA& a, TMEDIA& b) {
    viewer.shown.clear();
    FC_CMPMEDIA(a, b);
    EXPECT_LE(viewer.shown.size(), 1u);
    return viewer.shown.empty() ? "" : readable(viewer.shown.back());
  }
  std::string compare(const std::string& a, const std::string& b, TIMAGET type_b = ITI140) {
    return compare(*medium(a, ITI140), *medium(b, type_b));
  }
  // The two title lines of a report on images `a` and `b`.
  std::string titles(const std::string& a, const std::string& b) const {
    return "{0F}Сравнение образа " + dir.file(a) + "\n{0F}с образом        " + dir.file(b) +
           ":\n{0F}";
  }
};

TEST_F(MediaCompare, EqualImagesAndEachDifferingSectorWithItsOffsets) {
  // Russian names: the report shows them in its own code page.
  Bytes a = random_plain(ITI140), b = a;
  testing::write_bytes(dir.file("диск а.dsk"), a);
  testing::write_bytes(dir.file("диск б.dsk"), b);
  // Both images are read again from their files: changes never saved do not count.
  auto changed = medium("диск а.dsk", ITI140);
  changed->MASS[3][3].fill(1);
  EXPECT_EQ(compare(*changed, *medium("диск б.dsk", ITI140)),
            titles("диск а.dsk", "диск б.dsk") + "Отличий между образами не найдено");

  sector(b, 0, 0)[0] ^= 1;  // the first sector of the disk...
  for (int o = 0; o < 256; ++o) sector(b, 3, 7)[o] ^= 0x5A;
  sector(b, 17, 1)[1] ^= 0x80;
  sector(b, 17, 1)[0x5F] ^= 0xFF;
  sector(b, 34, 15)[0xFF] ^= 2;  // ...and the last
  testing::write_bytes(dir.file("диск б.dsk"), b);
  std::string all;  // a sector differing in every byte is still one line
  for (int o = 0; o < 256; ++o)
    all += {' ', "0123456789ABCDEF"[o / 16], "0123456789ABCDEF"[o % 16]};
  EXPECT_EQ(compare("диск а.dsk", "диск б.dsk"),
            titles("диск а.dsk", "диск б.dsk") + "{02}  0/ 0- {06} 00\n{06}{02}  3/ 7- {06}" + all +
                "\n{06}{02} 17/ 1- {06} 01 5F\n{06}{02} 34/15- {06} FF\n{06}");
}

TEST_F(MediaCompare, NibbleTwinsCompareByContentAndUnreadableSectorsNameTheirImage) {
  Bytes plain = random_plain(ITI140);
  std::fill_n(sector(plain, 9, 9), 256, UNREAD_FILL);  // unreadable in both: no line
  // The nibble twin: the same sectors, but 5/3 could not be read.
  auto twin = medium("twin.nib", ITN140);
  for (int t = 0; t < 35; ++t)
    for (int s = 0; s < 16; ++s) std::copy_n(sector(plain, t, s), 256, twin->MASS[t][s].data());
  twin->MASS[5][3].fill(UNREAD_FILL);
  FC_SAVEMEDIA(*twin, true);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  // The plain image lost 20/2, and 11/4 holds the label some copiers write instead.
  std::fill_n(sector(plain, 20, 2), 256, UNREAD_FILL);
  std::copy(BADLABEL.begin(), BADLABEL.end(), sector(plain, 11, 4));
  testing::write_bytes(dir.file("plain.dsk"), plain);

  EXPECT_EQ(compare("plain.dsk", "twin.nib", ITN140),
            titles("plain.dsk", "twin.nib") +
                "{01}  5/ 3- ошибка чтения образа twin.nib\n{01}"
                " 11/ 4- ошибка чтения образа plain.dsk\n{01}"
                " 20/ 2- ошибка чтения образа plain.dsk\n{01}"
                "Отличий между образами не найдено");

  // The images of the same files made by independent tools compare equal too.
  AGAT_REQUIRE_TESTDATA();
  auto md1 = image_medium(testing::testdata("dos33/"), "files.dsk", ITI140);
  auto md2 = image_medium(testing::testdata("nib/"), "files.nib", ITN140);
  const std::string report = compare(*md1, *md2);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_TRUE(report.ends_with("\n{0F}Отличий между образами не найдено")) << report;
}

TEST_F(MediaCompare, WhatCannotBeComparedLeavesACriticalMessageAndNoReport) {
  testing::write_bytes(dir.file("small.dsk"), random_plain(ITI140));
  testing::write_bytes(dir.file("large.dsk"), random_plain(ITI800));
  auto host = testing::new_medium();
  host->MEDIAT = MDHOSTFS;
  host->HOSTPATH = dir.host_path();
  const auto refused = [&](TMEDIA& a, TMEDIA& b) {
    EXPECT_EQ(compare(a, b), "");
    return cp1251_to_utf8(testing::take_critical());
  };
  EXPECT_EQ(refused(*medium("small.dsk", ITI140), *medium("large.dsk", ITI800)),
            "Сравнение образов: невозможно сравнить диски с разной геометрией\r\n");
  EXPECT_EQ(refused(*host, *medium("small.dsk", ITI140)),
            "Сравнение образов: это не образ диска\r\n");
  EXPECT_EQ(refused(*medium("small.dsk", ITI140), *medium("missing.dsk", ITI140)),
            "Чтение образа: ошибка открытия файла (нет такого файла или каталога)\r\n");
  // A message left by an earlier step stops the comparison before it starts.
  FC_CRITICALERRORBUFFER = "earlier\r\n";
  EXPECT_EQ(refused(*medium("small.dsk", ITI140), *medium("small.dsk", ITI140)), "earlier\r\n");
}

}  // namespace
}  // namespace agat
