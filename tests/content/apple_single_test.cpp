// AppleSingle files read for an Agat binary: the data fork and the load address, the entries
// left out, and the files refused; written back the way the cross compilers write them.
#include <gtest/gtest.h>

#include "content/apple_single.h"
#include "core/cp1251_literal.h"

namespace agat {
namespace {

struct Entry {
  std::uint32_t id;
  std::string body;
};

std::string be(std::uint32_t v, int bytes) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>(v >> (8 * i) & 0xFF);
  return s;
}

// A file of version VERSION holding ENTRIES one after another after the table.
std::string apple_single(const std::vector<Entry>& entries, std::uint32_t version = 0x00020000) {
  std::string head = be(0x00051600, 4) + be(version, 4) + std::string(16, '\0') +
                     be(static_cast<std::uint32_t>(entries.size()), 2);
  std::string bodies;
  std::size_t at = head.size() + 12 * entries.size();
  for (const Entry& e : entries) {
    head += be(e.id, 4) + be(static_cast<std::uint32_t>(at + bodies.size()), 4) +
            be(static_cast<std::uint32_t>(e.body.size()), 4);
    bodies += e.body;
  }
  return head + bodies;
}

std::string prodos(std::uint32_t aux) {
  return be(0xC3, 2) + be(0x06, 2) + be(aux, 4);
}

TEST(AppleSingle, ReadsTheCodeAndItsAddress) {
  const std::string code = "\xA9\x01\x60";
  const struct {
    std::string file;
    std::optional<std::uint16_t> address;
    std::vector<std::string_view> left_out;
  } cases[] = {
      {apple_single({{11, prodos(0x0803)}, {1, code}}), 0x0803, {}},
      {apple_single({{1, code}, {11, prodos(0xFFFF) + "more"}}, 0x00010000), 0xFFFF, {}},
      {apple_single({{3, "PROG"}, {1, code}, {8, std::string(16, '\0')}, {99, "x"}}),
       std::nullopt,
       {"имя (3)"_w, "даты (8)"_w, "запись 99"_w}},
  };
  for (const auto& c : cases) {
    ContainedCode got;
    std::string why;
    ASSERT_TRUE(unpack_apple_single(c.file, got, why)) << why;
    EXPECT_EQ(got.code, code);
    EXPECT_EQ(got.address, c.address);
    EXPECT_EQ(got.left_out, std::vector<std::string>(c.left_out.begin(), c.left_out.end()));
  }
  // Written back: the data fork after the file info, as the compilers lay it out.
  const std::string packed = pack_apple_single(code, 0x0803);
  EXPECT_EQ(packed, apple_single({{1, code}, {11, prodos(0x0803)}}).substr(0, 26) +
                        be(1, 4) + be(58, 4) + be(3, 4) + be(11, 4) + be(50, 4) + be(8, 4) +
                        prodos(0x0803) + code);
}

TEST(AppleSingle, RefusesWhatItCannotRead) {
  std::string past_end = apple_single({{1, "abc"}});
  past_end.pop_back();
  std::string long_table = apple_single({{1, "abc"}});
  long_table[25] = 3;
  const struct {
    std::string file;
    std::string_view why;
  } cases[] = {
      {"", "нет заголовка AppleSingle"_w},
      {apple_single({{1, "abc"}}).substr(0, 25), "нет заголовка AppleSingle"_w},
      {std::string("\x00\x05\x16\x01", 4) + apple_single({}).substr(4), "нет заголовка AppleSingle"_w},
      {apple_single({{1, "abc"}}, 0x00030000), "версия $30000 не поддерживается"_w},
      {past_end, "запись 1 за концом файла"_w},
      {long_table, "таблица записей длиннее файла"_w},
      {apple_single({{1, "a"}, {1, "b"}}), "запись 1 повторяется"_w},
      {apple_single({{1, "a"}, {11, prodos(1)}, {11, prodos(2)}}), "запись 11 повторяется"_w},
      {apple_single({{1, "a"}, {11, prodos(1).substr(0, 7)}}), "сведения ProDOS короче 8 байт"_w},
      {apple_single({{1, "a"}, {11, prodos(0x10000)}}), "адрес загрузки $10000 больше $FFFF"_w},
      {apple_single({{11, prodos(0x803)}, {2, "rsrc"}}), "нет ветви данных"_w},
  };
  for (const auto& c : cases) {
    ContainedCode got;
    std::string why;
    EXPECT_FALSE(unpack_apple_single(c.file, got, why)) << c.why;
    EXPECT_EQ(why, c.why);
  }
}

}  // namespace
}  // namespace agat
