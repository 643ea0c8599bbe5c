// AppleSingle files as the 6502 cross compiler writes them, made at test time: imported as B
// files at the compiler's load address, exported back byte for byte; other entries left out
// with a warning, files that are no AppleSingle refused with nothing written.

#include <gtest/gtest.h>

#include "harness.h"

namespace agat::testing {
namespace {

using AgatdiskAppleSingle = AgatdiskTest;

std::uint32_t be32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]);
}

TEST_F(AgatdiskAppleSingle, CompiledProgramsInAndOut) {
  if (sh("command -v cl65").status != 0) GTEST_SKIP() << "cl65 is not installed";
  write_bytes(dir.file("prog.c"), Bytes{'i', 'n', 't', ' ', 'm', 'a', 'i', 'n', '(', ')', '{',
                                        'r', 'e', 't', 'u', 'r', 'n', ' ', '7', ';', '}', '\n'});
  ASSERT_EQ(sh("cl65 -t apple2 prog.c -o prog").status, 0);
  const Bytes as = file_bytes(dir.file("prog"));
  // The data fork, where the entry table says.
  Bytes code;
  for (std::size_t i = 0, n = as[25]; i < n; ++i)
    if (be32(as, 26 + 12 * i) == 1)
      code.assign(as.begin() + be32(as, 30 + 12 * i),
                  as.begin() + be32(as, 30 + 12 * i) + be32(as, 34 + 12 * i));
  ASSERT_FALSE(code.empty());
  Bytes head = {0x03, 0x08, static_cast<std::uint8_t>(code.size()),
                static_cast<std::uint8_t>(code.size() >> 8)};
  head.insert(head.end(), code.begin(), code.end());

  ASSERT_EQ(run({"new", "w.dsk", "--form", "dsk140"}).status, 0);
  expect_outcome(run({"import", "w.dsk", "prog", "--name", "AUTO"}), 0, "", "");
  expect_outcome(run({"import", "w.dsk", "prog", "--format", "applesingle"}), 0, "", "");
  expect_outcome(run({"import", "w.dsk", "prog", "--format", "binary", "--name", "RAW"}), 0, "",
                 "");
  EXPECT_EQ(run({"get", "w.dsk", "AUTO"}).out, loaded(head));
  EXPECT_EQ(run({"get", "w.dsk", "prog"}).out, loaded(head));
  EXPECT_TRUE(contains(run({"info", "w.dsk", "RAW", "--json"}).out, "\"load_address\": 6144"));
  expect_outcome(run({"export", "w.dsk", "AUTO", "--format", "applesingle"}), 0, "", "");
  EXPECT_TRUE(file_bytes(dir.file("AUTO.as")) == as);

  // A name entry and no file info: the usual address, and a warning names the entry.
  Bytes named = {0, 5, 0x16, 0, 0, 2, 0, 0};
  named.resize(24, 0);
  named.insert(named.end(), {0, 2,                                   // two entries:
                             0, 0, 0, 3, 0, 0, 0, 50, 0, 0, 0, 2,    // the name at 50
                             0, 0, 0, 1, 0, 0, 0, 52, 0, 0, 0, 2,    // the data at 52
                             'N', 'M', 0xEA, 0x60});
  write_bytes(dir.file("named"), named);
  expect_outcome(run({"import", "w.dsk", "named"}), 0, "",
                 "записи AppleSingle, которым нет места в файле Агата, пропущены: имя (3)");
  EXPECT_EQ(run({"get", "w.dsk", "named"}).out, loaded({0x00, 0x18, 2, 0, 0xEA, 0x60}));

  const std::string before = run({"list", "w.dsk"}).out;
  named[5] = 3;
  write_bytes(dir.file("bad"), named);
  expect_outcome(run({"import", "w.dsk", "bad"}), 1, "",
                 "\"bad\" не читается как AppleSingle: версия $30000 не поддерживается");
  expect_outcome(run({"import", "w.dsk", "prog.c", "--format", "applesingle"}), 1, "",
                 "не читается как AppleSingle: нет заголовка AppleSingle");
  ASSERT_EQ(run({"put", "w.dsk", "prog.c", "--type", "T", "--name", "TEXT"}).status, 0);
  expect_outcome(run({"export", "w.dsk", "TEXT", "--format", "applesingle"}), 1, "",
                 "не двоичный (B или К), в AppleSingle он не записывается");
  EXPECT_FALSE(std::filesystem::exists(dir.file("TEXT.as")));
  EXPECT_TRUE(contains(run({"list", "w.dsk"}).out, before.substr(0, before.rfind("Свободных"))));
}

}  // namespace
}  // namespace agat::testing
