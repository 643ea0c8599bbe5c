// AppleSingle files as the 6502 cross compiler writes them, made at test time: imported as B
// files at the compiler's load address, exported back byte for byte; other entries left out
// with a warning; damaged files refused, saying why, with nothing written.

#include <gtest/gtest.h>

#include "harness.h"

namespace agat::testing {
namespace {

using AgatdiskAppleSingle = AgatdiskTest;

TEST_F(AgatdiskAppleSingle, CompiledProgramsInAndOut) {
  if (sh("command -v cl65").status != 0) GTEST_SKIP() << "cl65 is not installed";
  ASSERT_EQ(sh("echo 'int main(){return 7;}' > p.c && cl65 -t apple2 p.c -o prog").status, 0);
  Bytes as = file_bytes(dir.file("prog"));
  // The compiler's layout: the file info at 50 (aux type $0803), the data fork from 58.
  ASSERT_TRUE(as[29] == 1 && as[41] == 11 && as[49] == 8);
  Bytes head = {0x03, 0x08, static_cast<std::uint8_t>(as.size() - 58),
                static_cast<std::uint8_t>((as.size() - 58) >> 8)};
  head.insert(head.end(), as.begin() + 58, as.end());
  ASSERT_EQ(run({"new", "w.dsk", "--form", "dsk140"}).status, 0);
  for (const auto& format : {"auto", "applesingle"})
    expect_outcome(run({"import", "w.dsk", "prog", "--format", format, "--name", format}), 0, "",
                   "");
  EXPECT_EQ(run({"get", "w.dsk", "auto"}).out, loaded(head));
  EXPECT_EQ(run({"get", "w.dsk", "applesingle"}).out, loaded(head));
  expect_outcome(run({"export", "w.dsk", "auto", "--format", "applesingle"}), 0, "", "");
  EXPECT_TRUE(file_bytes(dir.file("auto.as")) == as);

  // Damaged: nothing is written.
  const std::string before = run({"list", "w.dsk"}).out;
  const std::tuple<std::size_t, std::uint8_t, std::string> damaged[] = {
      {1, 6, "нет заголовка AppleSingle"},
      {5, 3, "версия $30000 не поддерживается"},
      {24, 1, "таблица записей длиннее файла"},  // 258 entries
      {36, 0xFF, "запись 1 за концом файла"},    // the data fork's length
      {41, 1, "запись 1 повторяется"},           // the file info made a second data fork
      {29, 2, "нет ветви данных"},               // the data fork made a resource fork
      {49, 7, "сведения ProDOS короче 8 байт"},
      {55, 1, "адрес загрузки $10803 больше $FFFF"},
  };
  for (const auto& [at, value, why] : damaged) {
    Bytes bad = as;
    bad[at] = value;
    write_bytes(dir.file("bad"), bad);
    expect_outcome(run({"import", "w.dsk", "bad", "--format", "applesingle"}), 1, "",
                   "\"bad\" не читается как AppleSingle: " + why);
  }
  EXPECT_EQ(run({"list", "w.dsk"}).out, before);
  // The file info made a name entry: the usual address, and a warning names the entry.
  as[41] = 3;
  head[0] = 0x00, head[1] = 0x18;
  write_bytes(dir.file("named"), as);
  expect_outcome(run({"import", "w.dsk", "named"}), 0, "",
                 "записи AppleSingle, которым нет места в файле Агата, пропущены: имя (3)");
  EXPECT_EQ(run({"get", "w.dsk", "named"}).out, loaded(head));
  ASSERT_EQ(run({"put", "w.dsk", "p.c", "--type", "T", "--name", "TEXT"}).status, 0);
  expect_outcome(run({"export", "w.dsk", "TEXT", "--format", "applesingle"}), 1, "",
                 "не двоичный (B или К), в AppleSingle он не записывается");
  EXPECT_FALSE(std::filesystem::exists(dir.file("TEXT.as")));
}

}  // namespace
}  // namespace agat::testing
