// The words of a command line: a lone "-" and every word after "--" are operands, and an
// option is known by its name or its alias.
#include "command_line.h"

#include <gtest/gtest.h>

namespace agat {
namespace {

TEST(CommandLine, OperandsThatLookLikeOptions) {
  const Option known[] = {{"--output", "-o", "FILE"}, {"--force", "", ""}};
  const std::vector<std::string> words = {"-", "-o", "x", "--", "--force", "-"};
  ParsedArgs parsed;
  std::string error;
  ASSERT_TRUE(parse_arguments(words, known, parsed, error)) << error;
  EXPECT_EQ(parsed.operands, (std::vector<std::string>{"-", "--force", "-"}));
  EXPECT_EQ(parsed.value("--output", ""), "x");
  EXPECT_FALSE(parsed.has("--force"));
}

}  // namespace
}  // namespace agat
