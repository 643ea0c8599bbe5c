// Machine-code files: where the code of each format lies and how long it is (with the
// cuts to the file), and export and import of host binaries with and without conversion,
// with their limits and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "content/exec_proc.h"
#include "content/report_reader.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::read_bytes;
using testing::write_bytes;
using Bytes = std::vector<std::uint8_t>;

TEST(ExecProc, CodeLocationByFormat) {
  struct Case {
    TFILEFORMAT fmt;
    std::int32_t file_size;
    Bytes head, ts8to11;
    std::int32_t start, size, offs;
  };
  const std::vector<Case> cases = {
      {FFBINARY, 512, {0x00, 0x0C, 0x20, 0x00}, {}, 4, 0x20, 0x0C00},
      // The length is cut to what the file holds after its head.
      {FFBINARY, 0x30, {0x00, 0x08, 0x00, 0x01}, {}, 4, 0x2C, 0x0800},
      {FFBINARY, 3, {0x00, 0x08, 0x00, 0x01}, {}, 4, 0, 0x0800},
      {FFKOMAND, 512, {}, {0x20, 0x00, 0x00, 0x18}, 0, 0x20, 0x1800},
      {FFKOMAND, 256, {}, {0x00, 0x10, 0x34, 0x12}, 0, 256, 0x1234},
      {FFASIS, 300, {0x00, 0x08, 0x00, 0x01}, {1, 2, 3, 4}, 0, 300, 0},
      {FFBINGRAF, 300, {0x00, 0x20, 0x00, 0x20}, {}, 0, 300, 0},
  };
  auto buf = std::make_unique<TFILEBUF>();
  TCATREC cr;
  for (const Case& c : cases) {
    cr.SIZE = c.file_size;
    std::copy(c.head.begin(), c.head.end(), buf->begin());
    std::copy(c.ts8to11.begin(), c.ts8to11.end(), cr.TSDATA.begin() + 5);
    std::uint8_t* src = nullptr;
    std::int32_t size = -1, offs = -1;
    GETSIZEANDOFFS(cr, *buf, c.fmt, src, size, offs);
    EXPECT_EQ((std::tuple{src - buf->data(), size, offs}), (std::tuple{c.start, c.size, c.offs}))
        << int{c.fmt} << " " << c.file_size;
  }
  // The listing of a binary is its code block, from the load address on.
  put_le16(&cr.TSDATA[5], 2);
  put_le16(&cr.TSDATA[7], 0x1234);
  TextReport r;
  binary_listing(r, cr, *buf, FFKOMAND);
  EXPECT_EQ(plain_text(report_lines(r.text(), 0)[0]).substr(0, 13), "1234-  00 .. ");
  EXPECT_EQ(plain_text(report_lines(r.text(), 0)[1]).substr(0, 13), "1235-  20 .. ");
  EXPECT_EQ(report_lines(r.text(), 0).size(), 3u);
}

TEST(ExecProc, ExportAndImportRoundTrips) {
  testing::TempDir dir;
  auto buf = std::make_unique<TFILEBUF>();
  // Agat text codes (capitals, digits, Cyrillic) convert both ways.
  const std::string text = L2A("HELLO, 1987 ПРИВЕТ"_w);
  const Bytes code(text.begin(), text.end());
  const std::string host_text = A2L(text);
  const auto n = static_cast<std::uint8_t>(code.size());
  const std::string path = dir.file("code.bin");
  for (const bool enc : {false, true}) {
    for (const TFILEFORMAT fmt : {FFBINARY, FFKOMAND}) {
      SCOPED_TRACE(std::to_string(enc) + " " + std::to_string(fmt));
      TCATREC cr;
      cr.SIZE = 4 + n + 100;
      buf->fill(0x55);
      const Bytes head = {0x00, 0x0C, n, 0};
      std::copy(head.begin(), head.end(), buf->begin());
      std::copy(code.begin(), code.end(), buf->begin() + 4);
      ASSERT_TRUE(EP_EXPORT(cr, *buf, FFBINARY, path, enc));
      EXPECT_EQ(read_bytes(path), enc ? Bytes(host_text.begin(), host_text.end()) : code);

      TCATREC in;
      buf->fill(0);
      ASSERT_TRUE(EP_IMPORT(in, *buf, fmt, path, enc));
      const bool b = fmt == FFBINARY;
      const Bytes expected = b ? Bytes{0x00, 0x18, n, 0} : Bytes{};
      EXPECT_EQ(Bytes(buf->begin(), buf->begin() + expected.size()), expected);
      EXPECT_EQ(Bytes(buf->begin() + expected.size(), buf->begin() + in.SIZE), code);
      EXPECT_EQ(in.EXT, b ? 0x04 : 0x20);
      EXPECT_EQ(Bytes(in.TSDATA.begin() + 5, in.TSDATA.end()), (Bytes{n, 0, 0x00, 0x18}));
      EXPECT_EQ(testing::take_critical(), "");
    }
  }
}

TEST(ExecProc, ImportLimitsAndHostFileFailures) {
  testing::TempDir dir;
  auto buf = std::make_unique<TFILEBUF>();
  const std::string big = dir.file("big.bin");
  // Code beyond 65520 bytes is cut, with a warning that says how much.
  write_bytes(big, Bytes(70000, 0xEA));
  for (const auto& [fmt, size] : {std::pair{FFKOMAND, 65520}, {FFBINARY, 65524}, {FFASIS, 65520}}) {
    TCATREC cr;
    ASSERT_TRUE(EP_IMPORT(cr, *buf, fmt, big, false));
    EXPECT_EQ((std::pair{cr.SIZE, int{get_le16(&cr.TSDATA[5])}}), (std::pair{size, 65520}));
    EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER),
              "Импорт файла: двоичный файл длиннее 65520 байт, отброшено 4480 байт\r\n");
    EXPECT_EQ(testing::take_critical(), "");
  }
  // A file that fits the buffer exactly is taken; one byte more is refused.
  TCATREC cr;
  write_bytes(big, Bytes(EP_IMPORT_MAXFILE, 0xEA));
  EXPECT_TRUE(EP_IMPORT(cr, *buf, FFBINARY, big, false));
  testing::take_critical();
  write_bytes(big, Bytes(EP_IMPORT_MAXFILE + 1, 0xEA));
  cr = TCATREC{};
  EXPECT_FALSE(EP_IMPORT(cr, *buf, FFBINARY, big, false));
  EXPECT_EQ(cr.SIZE, 0);
  EXPECT_EQ(testing::take_critical_text(),
            "Импорт файла: файл \"" + big + "\" слишком велик: 1023997 байт\r\n");
  EXPECT_FALSE(EP_IMPORT(cr, *buf, FFKOMAND, dir.file("none"), false));
  EXPECT_EQ(testing::take_critical_text(),
            "Импорт файла: ошибка открытия файла \"" + dir.file("none") +
                "\" (нет такого файла или каталога)\r\n");
  // Export: a file that cannot be made leaves a message and nothing behind; an existing
  // one is replaced.
  cr.SIZE = 3;
  buf->fill(0xEA);
  const std::string nowhere = dir.file("missing/out.bin");
  EXPECT_FALSE(EP_EXPORT(cr, *buf, FFASIS, nowhere, false));
  EXPECT_EQ(testing::take_critical_text(),
            "Экспорт файла: ошибка создания файла \"" + nowhere +
                "\" (нет такого файла или каталога)\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
  EXPECT_TRUE(EP_EXPORT(cr, *buf, FFASIS, big, false));
  EXPECT_EQ(read_bytes(big), Bytes(3, 0xEA));
}

}  // namespace
}  // namespace agat
