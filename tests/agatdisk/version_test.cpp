// What is asked of agatdisk before any command: its version.
#include <gtest/gtest.h>

#include <regex>

#include "harness.h"

namespace agat::testing {
namespace {

// --version answers only as the first word: after a command it is an unknown option.
TEST(AgatdiskVersion, OneLineWithTheProjectVersion) {
  TempDir dir;
  const Outcome version = run_agatdisk({"--version"}, dir.path().string());
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(
      version.out, std::regex("agatdisk " AGAT_PROJECT_VERSION "( \\([0-9a-f]{4,}\\))?\n")))
      << version.out;
  EXPECT_EQ(version.err, "");
  EXPECT_EQ(run_agatdisk({"list", "--version"}, dir.path().string()).status, 2);
}

}  // namespace
}  // namespace agat::testing
