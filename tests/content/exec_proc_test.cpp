// Machine-code files: where the code of each format lies and how long it is (with the
// cuts to the file), the hex editor and listing it is handed to, and export and import
// of host binaries with and without conversion, with their limits and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "content/exec_proc.h"
#include "content/hexdump.h"
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
    Bytes head;
    Bytes ts8to11;
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
  for (const Case& c : cases) {
    TCATREC cr;
    cr.SIZE = c.file_size;
    std::copy(c.head.begin(), c.head.end(), buf->begin());
    std::copy(c.ts8to11.begin(), c.ts8to11.end(), cr.TSDATA.begin() + 5);
    std::uint8_t* src = nullptr;
    std::int32_t size = -1, offs = -1;
    GETSIZEANDOFFS(cr, *buf, c.fmt, src, size, offs);
    EXPECT_EQ(src - buf->data(), c.start) << int{c.fmt} << " " << c.file_size;
    EXPECT_EQ(size, c.size) << int{c.fmt} << " " << c.file_size;
    EXPECT_EQ(offs, c.offs) << int{c.fmt} << " " << c.file_size;
  }
}

TEST(ExecProc, HexEditorAndListingGetTheCode) {
  auto buf = std::make_unique<TFILEBUF>();
  TCATREC cr;
  cr.SIZE = 256;
  const Bytes head = {0x00, 0x0C, 0x03, 0x00, 0xA9, 0xC1, 0x60};
  std::copy(head.begin(), head.end(), buf->begin());
  std::vector<std::tuple<std::ptrdiff_t, std::int32_t, std::int32_t, bool>> calls;
  set_hexdump_hook([&](std::uint8_t* b, std::int32_t size, std::int32_t offs, bool read_only) {
    calls.emplace_back(b - buf->data(), size, offs, read_only);
    b[0] = 0xEA;  // edited in place
    return true;
  });
  EP_VIEW(cr, *buf, FFBINARY);
  EXPECT_TRUE(EP_EDIT(cr, *buf, FFBINARY));
  set_hexdump_hook(nullptr);
  EXPECT_EQ(calls, (decltype(calls){{4, 3, 0x0C00, true}, {4, 3, 0x0C00, false}}));
  EXPECT_EQ((*buf)[0], 0x00);  // the head stays as loaded
  TextReport r;
  binary_listing(r, cr, *buf, FFBINARY);
  const auto lines = report_lines(r.text(), 0);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(plain_text(lines[0]).substr(0, 13), "0C00-  EA .. ");
  EXPECT_EQ(plain_text(lines[1]).substr(0, 13), "0C01-  C1 60 ");
}

TEST(ExecProc, ExportAndImportRoundTrips) {
  testing::TempDir dir;
  auto buf = std::make_unique<TFILEBUF>();
  // Agat text codes (capitals, digits, Cyrillic) convert both ways.
  const std::string text = L2A("HELLO, 1987 ПРИВЕТ"_w);
  const Bytes code(text.begin(), text.end());
  const std::string host_text = A2L(text);
  for (const bool enc : {false, true}) {
    for (const TFILEFORMAT fmt : {FFBINARY, FFKOMAND}) {
      SCOPED_TRACE(std::to_string(enc) + " " + std::to_string(fmt));
      TCATREC cr;
      cr.SIZE = 4 + static_cast<std::int32_t>(code.size()) + 100;
      buf->fill(0x55);
      put_le16(&(*buf)[0], 0x0C00);
      put_le16(&(*buf)[2], static_cast<std::uint16_t>(code.size()));
      std::copy(code.begin(), code.end(), buf->begin() + 4);
      const std::string path = dir.file("code.bin");
      ASSERT_TRUE(EP_EXPORT(cr, *buf, FFBINARY, path, enc));
      const Bytes host = read_bytes(path);
      EXPECT_EQ(host, enc ? Bytes(host_text.begin(), host_text.end()) : code);

      TCATREC in;
      buf->fill(0);
      ASSERT_TRUE(EP_IMPORT(in, *buf, fmt, path, enc));
      const std::size_t at = fmt == FFBINARY ? 4 : 0;
      EXPECT_EQ(Bytes(buf->begin() + at, buf->begin() + at + code.size()), code);
      EXPECT_EQ(in.SIZE, static_cast<std::int32_t>(at + code.size()));
      EXPECT_EQ(in.EXT, fmt == FFBINARY ? 0x04 : 0x20);
      EXPECT_EQ(Bytes(in.TSDATA.begin() + 5, in.TSDATA.end()),
                (Bytes{static_cast<std::uint8_t>(code.size()), 0, 0x00, 0x18}));
      if (fmt == FFBINARY) {
        EXPECT_EQ(Bytes(buf->begin(), buf->begin() + 4),
                  (Bytes{0x00, 0x18, static_cast<std::uint8_t>(code.size()), 0}));
      }
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
    EXPECT_EQ(cr.SIZE, size);
    EXPECT_EQ(get_le16(&cr.TSDATA[5]), 65520);
    EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER),
              "Импорт файла: двоичный файл длиннее 65520 байт, отброшено 4480 байт\r\n");
    EXPECT_EQ(testing::take_critical(), "");
  }
  // A file that fits the buffer exactly is taken; one byte more is refused.
  write_bytes(big, Bytes(EP_IMPORT_MAXFILE, 0xEA));
  TCATREC cr;
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
