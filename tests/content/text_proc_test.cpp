// Agat texts: the views of the three formats, export then import giving back the same
// Agat bytes for every code that converts both ways, the import of host texts in
// either encoding, and host files that cannot be read or written.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "content/basic_programs.h"
#include "content/text_proc.h"
#include "content/viewer_recorder.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/file_control_messages.h"
#include "core/host_errors.h"
#include "support/host_faults.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using namespace std::string_literals;

// A text as loaded, whatever lies beyond the file a code that must not show.
struct Text : Loaded {
  explicit Text(const Bytes& bytes = {}) : Loaded(bytes, -1, 0xC1) {}
};

TEST(TextProc, ViewsAndExportsOfTheThreeFormats) {
  const struct {
    TFILEFORMAT fmt;
    Bytes bytes;
    const char* view;
    std::string exported;
  } cases[] = {
      {FFTEXT, {0xC1, 0xC2, 0x8D, 0x00, 0xC3}, "{03}AB\n{03}\n{03}{01}== EOF ==", "AB\n"},
      {FFTEXT, {0xE1, 0x80, 0xC3}, "{03}А?C\n{03}{01}== EOF ==", "А\0C"s},
      // "Агат-Автор": five bytes of head; the groups move before A2L; 80 ends the text.
      {FFAGAWT,
       {1, 2, 3, 4, 5, 0x41, 0x61, 0xE1, 0x8D, 0xC1, 0x80, 0xC2},
       "{03}аАa\n{03}A\n{03}{01}== EOF ==",
       "аАa\nA"},
      // "Автограф": four bytes of head, every code with bit 7 flipped, 00 ends a line
      // and 01..07 choose colours 8..14.
      {FFAUTOGRAF,
       {1, 2, 3, 4, 0x41, 0x00, 0x42, 0x02, 0x43, 0x07, 0x00},
       "{03}A\n{03}B{09}C{0E}\n{0E}\n{0E}{01}== EOF ==",
       "A\nBC\n"},
  };
  for (const auto& c : cases) {
    Text t(c.bytes);
    TextReport R;
    text_report(R, t.cr, *t.buf, c.fmt);
    EXPECT_EQ(testing::readable(R.text()), c.view);
    EXPECT_EQ(cp1251_to_utf8(text_export_text(t.cr, *t.buf, c.fmt)), c.exported);
  }
}

TEST(TextProc, ExportThenImportGivesBackTheSameCodes) {
  // Every code but the end, the line end, the line feed (a line end on the host), the
  // one code Windows-1251 leaves unassigned, and 60..7F, which import makes 40..5F.
  Bytes agat;
  for (int code = 1, n = 0; code < 256; ++code) {
    if (code == 0x8D || code == 0x8A || code == 0x18 || (code >= 0x60 && code < 0x80)) continue;
    agat.push_back(static_cast<std::uint8_t>(code));
    if (++n % 20 == 0) agat.push_back(0x8D);
  }
  agat.push_back(0x8D);
  testing::TempDir dir;
  const std::string file = dir.file("текст.txt");
  Text out(agat);
  ASSERT_TRUE(TP_EXPORT(out.cr, *out.buf, FFTEXT, file));
  Text in;
  in.cr.EXT = 0x84;
  in.cr.TSDATA.fill(7);
  ASSERT_TRUE(TP_IMPORT(in.cr, *in.buf, file));
  agat.push_back(0x00);
  EXPECT_EQ(in.bytes(), agat);
  EXPECT_EQ(in.cr.EXT, 0x00);
  EXPECT_EQ(in.cr.TSDATA, TTSDATA{});
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
}

TEST(TextProc, ImportReadsUtf8OrWindows1251Lines) {
  const struct {
    std::string host;
    Bytes agat;
  } cases[] = {
      {"", {0x00}},
      {"Abc", {0xC1, 0x42, 0x43, 0x8D, 0x00}},
      {"Abc\r\nя\n\n", {0xC1, 0x42, 0x43, 0x8D, 0x51, 0x8D, 0x8D, 0x00}},
      {"\xEF\xBB\xBFЁ字Ђ", {0x28, 0xBF, 0x5F, 0x8D, 0x00}},  // BOM dropped; "?"; no zero
      {"\xC0\xE0\xDF", {0xE1, 0x41, 0xF1, 0x8D, 0x00}},      // not UTF-8: Windows-1251
  };
  testing::TempDir dir;
  for (const auto& c : cases) {
    testing::write_bytes(dir.file("in"), Bytes(c.host.begin(), c.host.end()));
    Text t;
    ASSERT_TRUE(TP_IMPORT(t.cr, *t.buf, dir.file("in"))) << c.host;
    EXPECT_EQ(t.bytes(), c.agat) << c.host;
  }
}

TEST(TextProc, HostFilesThatFailAreToldAndLeaveNothingBehind) {
  testing::TempDir dir;
  Text t({0xC1, 0x8D});
  t.cr.EXT = 0x84;
  auto refused = [&](bool done, const std::string& words) {
    const std::string message = cp1251_to_utf8(FC_CRITICALERRORBUFFER);
    FC_CRITICALERRORBUFFER.clear();
    EXPECT_FALSE(done);
    EXPECT_NE(message.find(words), std::string::npos) << message;
  };
  refused(TP_IMPORT(t.cr, *t.buf, dir.file("missing")),
          "Импорт текста: ошибка открытия файла \"" + dir.file("missing") + "\" (нет такого файла");
  refused(TP_IMPORT(t.cr, *t.buf, dir.host_path()), "(это не обычный файл)");
  // A text one byte longer than an Agat file can be: 1023998 codes, the line end, the end.
  testing::write_bytes(dir.file("big"), Bytes(MAXFILESIZE - 1, 'A'));
  refused(TP_IMPORT(t.cr, *t.buf, dir.file("big")), "длиннее файла Агата (1023999 байт)");
  EXPECT_EQ(t.bytes(), Bytes({0xC1, 0x8D}));
  EXPECT_EQ(t.cr.EXT, 0x84);
  refused(TP_EXPORT(t.cr, *t.buf, FFTEXT, dir.file("no/such.txt")),
          "Экспорт текста: ошибка создания файла");
  refused(TP_EXPORT(t.cr, *t.buf, FFTEXT, dir.host_path()), "(это не обычный файл)");
  // An existing file is replaced whole.
  testing::write_bytes(dir.file("old.txt"), Bytes(100, 'x'));
  EXPECT_TRUE(TP_EXPORT(t.cr, *t.buf, FFTEXT, dir.file("old.txt")));
  EXPECT_EQ(testing::read_bytes(dir.file("old.txt")), Bytes({'A', '\n'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
  // A failing host leaves the old file; an import that reads short takes nothing.
  const auto reason = [](int e) { return cp1251_to_utf8(host_read_error_text(e)); };
  testing::expect_failures_keep_file(dir, dir.file("old.txt"), false, reason, [&] {
    EXPECT_FALSE(TP_EXPORT(t.cr, *t.buf, FFTEXT, dir.file("old.txt")));
    return cp1251_to_utf8(std::exchange(FC_CRITICALERRORBUFFER, ""));
  });
  testing::InjectedFaults short_read(testing::save_faults()[0].steps);
  refused(TP_IMPORT(t.cr, *t.buf, dir.file("old.txt")), "Импорт текста: ошибка чтения файла \"" +
                                                            dir.file("old.txt") +
                                                            "\" (файл прочитан не до конца)");
  EXPECT_EQ(t.bytes(), Bytes({0xC1, 0x8D}));
}

}  // namespace
}  // namespace agat
