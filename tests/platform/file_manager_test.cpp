// Starting the host file manager: which program is found on a PATH, and a fake "mc"
// started for real with the terminal handed over around it.
#include "platform/file_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::TempDir;

void write_program(const std::string& path, const std::string& text, bool executable = true) {
  std::ofstream(path) << text;
  ::chmod(path.c_str(), executable ? 0755 : 0644);
}

TEST(FileManager, FoundInTheFirstDirectoryOfThePathThatHoldsAnExecutableFile) {
  TempDir a, b;
  write_program(a.file("mc"), "not executable", false);
  std::filesystem::create_directory(a.path() / "xdg-open");  // a directory is no program
  write_program(b.file("mc"), "#!/bin/sh\n");
  write_program(b.file("xdg-open"), "#!/bin/sh\n");
  const std::string list = a.path().string() + ":" + b.host_path();  // a final "/" is fine
  EXPECT_EQ(find_program("mc", list), b.file("mc"));
  EXPECT_EQ(find_program("mc", ""), "");  // an empty list names no directory...
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(b.path());
  EXPECT_EQ(find_program("mc", "/nonexistent::/none"), "./mc");  // ...an empty entry does
  std::filesystem::current_path(previous);

  // The desktop opener only on a desktop; "mc", in the terminal, otherwise.
  EXPECT_EQ(find_file_manager(list, true).path, b.file("xdg-open"));
  EXPECT_FALSE(find_file_manager(list, true).uses_terminal);
  EXPECT_EQ(find_file_manager(list, false).path, b.file("mc"));
  EXPECT_TRUE(find_file_manager(list, false).uses_terminal);
  EXPECT_EQ(find_file_manager(a.path().string(), true).path, "");
}

TEST(FileManager, TheTerminalProgramGetsTheDirectoryAndTheTerminalTheOpenerOnlyTheDirectory) {
  // PATH holds the fake alone, so it uses shell built-ins only; "${0%/*}" is its own
  // directory. It writes down its arguments and whether the screen had been handed over
  // (the hook that leaves the screen writes "left" into "state").
  TempDir bin;
  write_program(bin.file("mc"), R"(#!/bin/sh
read -r state < "${0%/*}/state"
printf '%s|' "$@" "$state" > "${0%/*}/seen"
)");
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : {"PATH", "DISPLAY", "WAYLAND_DISPLAY"}) {
    if (const char* old = std::getenv(name)) saved.emplace_back(name, old);
    ::unsetenv(name);
  }
  ::setenv("PATH", bin.path().c_str(), 1);
  std::string events;
  set_terminal_handover(
      [&] {
        events += "leave ";
        std::ofstream(bin.file("state")) << "left";
      },
      [&] { events += "restore "; });

  const std::string target = "/tmp/a dir with 'quotes' and $dollars/";
  FILE_MANAGER(target);
  const std::vector<std::uint8_t> seen = testing::read_bytes(bin.file("seen"));
  // A program the system cannot start: the screen comes back all the same.
  write_program(bin.file("mc"), "\177ELF, but not really");
  FILE_MANAGER(target);
  // A desktop opener: its chatter goes nowhere, and the screen is not handed over.
  write_program(bin.file("xdg-open"),
                "#!/bin/sh\necho chatter\nprintf '%s' \"$1\" > \"${0%/*}/seen\"\n");
  ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  ::testing::internal::CaptureStdout();
  FILE_MANAGER("/home/user/");
  const std::string chatter = ::testing::internal::GetCapturedStdout();
  const std::vector<std::uint8_t> opened = testing::read_bytes(bin.file("seen"));

  set_terminal_handover({}, {});
  for (const char* name : {"PATH", "WAYLAND_DISPLAY"}) ::unsetenv(name);
  for (const auto& [name, value] : saved) ::setenv(name.c_str(), value.c_str(), 1);
  EXPECT_EQ(std::string(seen.begin(), seen.end()), target + "|left|");
  EXPECT_EQ(events, "leave restore leave restore ");
  EXPECT_EQ(chatter, "");
  EXPECT_EQ(std::string(opened.begin(), opened.end()), "/home/user/");
}

}  // namespace
}  // namespace agat
