// The disk images made by independent tools (a folder beside this checkout). Tests that
// need them skip, saying so, when the folder is missing.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifndef AGAT_TESTDATA_DIR
#define AGAT_TESTDATA_DIR ""
#endif

namespace agat::testing {

inline std::string testdata(const std::string& relative) {
  return (std::filesystem::path(AGAT_TESTDATA_DIR) / relative).string();
}

inline bool have_testdata() {
  return std::filesystem::is_directory(testdata("dos33"));
}

#define AGAT_REQUIRE_TESTDATA()                                                           \
  do {                                                                                    \
    if (!::agat::testing::have_testdata())                                                \
      GTEST_SKIP() << "the images of independent tools are not here: " AGAT_TESTDATA_DIR; \
  } while (0)

}  // namespace agat::testing
