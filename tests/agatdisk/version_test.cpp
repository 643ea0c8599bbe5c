// What is asked of agatdisk before any command: its version, and its manual page, which must
// document the command table as it is.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "commands.h"
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

// The page has an entry for every command of the table and for nothing else, each entry names
// the command's options (by name or short form), and the OPTIONS section describes each.
TEST(AgatdiskManual, DocumentsEveryCommandAndOption) {
  std::ifstream page(AGAT_MAN_DIR "/agatdisk.1.scd");
  ASSERT_TRUE(page.is_open());
  std::map<std::string, std::set<std::string>> entries;  // command: the options of its entry
  std::set<std::string> described;
  std::string section;
  for (std::string line; std::getline(page, line);) {
    if (line.starts_with("# ")) section = line.substr(2);
    if (!line.starts_with("*")) continue;  // the heads of entries, not their indented text
    std::vector<std::string> commands, options;
    for (std::size_t at = 0, end; (at = line.find('*', at)) != std::string::npos; at = end + 1) {
      if ((end = line.find('*', at + 1)) == std::string::npos) break;
      const std::string word = line.substr(at + 1, end - at - 1);
      (word.starts_with("-") ? options : commands).push_back(word);
    }
    if (section == "OPTIONS") described.insert(options.begin(), options.end());
    if (section == "COMMANDS")
      for (const std::string& c : commands) entries[c].insert(options.begin(), options.end());
  }
  for (const Command& c : command_table()) {
    const std::string name(c.name);
    SCOPED_TRACE(name);
    ASSERT_EQ(entries.count(name), 1u);
    const std::set<std::string>& named = entries[name];
    for (const Option& o : c.options) {
      EXPECT_TRUE(named.count(std::string(o.name)) + named.count(std::string(o.alias))) << o.name;
      EXPECT_EQ(described.count(std::string(o.name)), 1u) << o.name;
      EXPECT_EQ(described.count(std::string(o.alias)), o.alias.empty() ? 0u : 1u) << o.alias;
    }
    entries.erase(name);
  }
  EXPECT_TRUE(entries.empty()) << entries.begin()->first;
  EXPECT_TRUE(described.count("--version") && described.count("--help"));
}

}  // namespace
}  // namespace agat::testing
