// The file comparison reports: texts line by line (every line, the last ones too, however many),
// the nearest common pair against trying every pair, binary blocks that differ completely.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "content/file_compare.h"
#include "content/line_index.h"
#include "content/text_compare.h"
#include "content/viewer_recorder.h"
#include "core/char_sets.h"
#include "core/cp1251.h"

namespace agat {
namespace {

// Latin text in Agat codes, "\n" as the Agat line end.
std::vector<std::uint8_t> agat(const std::string& text) {
  std::vector<std::uint8_t> out;
  for (char c : text) out.push_back(c == '\n' ? 0x8D : L2A(static_cast<std::uint8_t>(c)));
  return out;
}

// The report of TXT_CMP after its heading, in UTF-8 without colour, and whether it saw no
// difference.
std::pair<std::string, bool> text_report(const std::string& a, const std::string& b) {
  TextReport R;
  const bool same = TXT_CMP(R, agat(a), agat(b));
  const std::string text = cp1251_to_utf8(plain_text(R.text()));
  return {text.substr(text.find('\n') + 1), same};
}

TEST(TextCompare, EveryLineTakesPartAndEachDifferenceIsListedToTheNearestCommonLine) {
  const std::string dashes = "-----------------------------\n";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"one\ntwo\n", "one\ntwo\n", ""},
      // Only the last line differs, terminated or not; a final line end is a last line too.
      {"a\nb", "a\nc", "a\nСинхронизовать не удалось\n<< b\n>> c\n"},
      {"a\nb\n", "a\nb", "<< \n"},
      // A deletion and an insertion.
      {"a\nb\nc\nd\ne", "a\nc\nd\nx\ne", "a\n<< b\nc\n" + dashes + "d\n>> x\ne\n" + dashes},
      // Two pairs equally near: the one that skips more lines of text 1 wins.
      {"x\na\nb", "y\nb\na", "\n<< x\n<< a\n>> y\nb\n" + dashes + ">> a\n"},
  };
  for (const auto& [a, b, report] : cases)
    EXPECT_EQ(text_report(a, b), std::make_pair(report, report.empty())) << a << "|" << b;
  // The colours: the equal lines, each side's prefix on blue, the divider.
  TextReport R;
  TXT_CMP(R, agat("one\ntwo\nthree\n"), agat("one\nfour\nthree\n"));
  EXPECT_EQ(testing::readable(R.text()),
            "{0F}(построчное сравнение)\n{0F}{07}one\n{07}{12}<<{02} two\n{02}{13}>>{03} four\n"
            "{03}{07}three\n{07}{05}-----------------------------\n{05}");

  // More lines than the old fixed list of 10240: a change near the end is still found.
  std::string many;
  for (int n = 0; n < 12000; ++n) many += "l" + std::to_string(n) + "\n";
  std::string changed = many;
  changed.replace(changed.find("\nl11000\n"), 8, "\nnew\n");
  EXPECT_EQ(text_report(many, changed).first, "l10999\n<< l11000\n>> new\nl11001\n" + dashes);
}

TEST(TextCompare, TheIndexFindsThePairThatTryingEveryPairFinds) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> t[2];
    for (auto& text : t)
      for (int n = rng() % 12; n > 0; --n) text.emplace_back(1, static_cast<char>('a' + rng() % 6));
    const int size1 = static_cast<int>(t[0].size()), size2 = static_cast<int>(t[1].size());
    const LineIndex index(t[1]);
    for (int f1 = 0; f1 <= size1; ++f1)
      for (int f2 = 0; f2 <= size2; ++f2) {
        // Every pair in turn; a later pair as near as the best replaces it.
        int best = -1;
        LinePair want, got;
        for (int n1 = f1; n1 < size1; ++n1)
          for (int n2 = f2; n2 < size2; ++n2)
            if (t[0][n1] == t[1][n2] && (best < 0 || n1 - f1 + n2 - f2 <= best))
              best = n1 - f1 + n2 - f2, want = {n1, n2};
        const bool found = nearest_common_pair(t[0], f1, index, f2, got);
        ASSERT_EQ(std::tuple(found, got.n1, got.n2), std::tuple(best >= 0, want.n1, want.n2));
      }
  }
}

TEST(BinaryCompare, TwentyOffsetsABlockThenDotsAndAShortLastBlock) {
  std::vector<std::uint8_t> a(600, 0), b(600, 0);
  for (int o = 256; o < 512; ++o) b[o] = 1;  // a whole block differs
  b[3] = b[599] = 2;
  TextReport R;
  EXPECT_FALSE(BIN_CMP(R, a, b));
  EXPECT_EQ(cp1251_to_utf8(plain_text(R.text())),
            "(побайтное сравнение)\n000003 \n000100 000101 000102 000103 000104 000105 000106 "
            "000107 000108 000109 00010A 00010B 00010C 00010D 00010E 00010F 000110 000111 000112 "
            "000113 ...\n000257 \n");
}

}  // namespace
}  // namespace agat
