#include "platform/file_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::TempDir;

void write_program(const std::string& path, const std::string& text, bool executable = true) {
  std::ofstream(path) << text;
  ::chmod(path.c_str(), executable ? 0755 : 0644);
}

std::string read_text(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FindProgram, TakesTheFirstDirectoryThatHoldsAnExecutableFile) {
  TempDir a, b, c;
  write_program(a.file("mc"), "not executable", false);
  std::filesystem::create_directory(b.path() / "mc");  // a directory is not a program
  write_program(c.file("mc"), "#!/bin/sh\n");
  TempDir d;
  write_program(d.file("mc"), "#!/bin/sh\n");

  const std::string list = a.path().string() + ":" + b.path().string() + ":" + c.path().string() +
                           ":" + d.path().string();
  EXPECT_EQ(find_program("mc", list), c.file("mc"));
  EXPECT_EQ(find_program("mc", c.host_path()), c.file("mc"));  // a trailing "/" is fine
  EXPECT_EQ(find_program("mc", a.path().string()), "");
  EXPECT_EQ(find_program("xdg-open", list), "");
  EXPECT_EQ(find_program("mc", ""), "");
}

TEST(FindProgram, AnEmptyEntryIsTheCurrentDirectory) {
  TempDir dir;
  write_program(dir.file("mc"), "#!/bin/sh\n");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const std::string found = find_program("mc", "/nonexistent::/also-nonexistent");
  std::filesystem::current_path(previous);
  EXPECT_EQ(found, "./mc");
}

TEST(FindFileManager, PrefersTheDesktopOpenerOnlyOnADesktop) {
  TempDir bin;
  write_program(bin.file("xdg-open"), "#!/bin/sh\n");
  write_program(bin.file("mc"), "#!/bin/sh\n");
  const std::string list = bin.path().string();

  const FileManagerProgram desktop = find_file_manager(list, true);
  EXPECT_EQ(desktop.path, bin.file("xdg-open"));
  EXPECT_FALSE(desktop.uses_terminal);

  const FileManagerProgram console = find_file_manager(list, false);
  EXPECT_EQ(console.path, bin.file("mc"));
  EXPECT_TRUE(console.uses_terminal);

  TempDir only_mc;
  write_program(only_mc.file("mc"), "#!/bin/sh\n");
  EXPECT_EQ(find_file_manager(only_mc.path().string(), true).path, only_mc.file("mc"));
  EXPECT_EQ(find_file_manager("", true).path, "");
}

// Sets environment variables for one test and puts the old values back afterwards.
class EnvironmentGuard {
 public:
  void set(const char* name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old != nullptr ? std::optional<std::string>(old) : std::nullopt});
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvironmentGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The fakes below use shell built-ins only, as PATH holds nothing but them;
// "${0%/*}" is a fake's own directory.
class FileManagerRun : public ::testing::Test {
 protected:
  void TearDown() override { set_terminal_handover({}, {}); }
  TempDir bin;
  EnvironmentGuard env;
  std::vector<std::string> events;
};

TEST_F(FileManagerRun, ATerminalProgramGetsTheDirectoryAndTheTerminal) {
  // The fake writes down its arguments and whether the screen had been handed over.
  write_program(bin.file("mc"), R"(#!/bin/sh
printf '%s|' "$@" > "${0%/*}/args"
read -r state < "${0%/*}/state"
printf '%s' "$state" > "${0%/*}/state-seen"
)");
  env.set("PATH", bin.path().string());
  env.set("DISPLAY", std::nullopt);
  env.set("WAYLAND_DISPLAY", std::nullopt);
  set_terminal_handover(
      [&] {
        events.push_back("leave");
        std::ofstream(bin.file("state")) << "left";
      },
      [&] { events.push_back("restore"); });

  const std::string target = "/tmp/a dir with 'quotes' and $dollars/";
  FILE_MANAGER(target);

  EXPECT_EQ(read_text(bin.file("args")), target + "|");
  EXPECT_EQ(read_text(bin.file("state-seen")), "left");
  EXPECT_EQ(events, (std::vector<std::string>{"leave", "restore"}));
}

TEST_F(FileManagerRun, ADesktopOpenerLeavesTheScreenAlone) {
  write_program(bin.file("xdg-open"), R"(#!/bin/sh
printf '%s' "$1" > "${0%/*}/args"
echo chatter
echo more >&2
)");
  write_program(bin.file("mc"), R"(#!/bin/sh
: > "${0%/*}/mc-ran"
)");
  env.set("PATH", bin.path().string());
  env.set("DISPLAY", std::nullopt);
  env.set("WAYLAND_DISPLAY", "wayland-0");
  set_terminal_handover([&] { events.push_back("leave"); }, [&] { events.push_back("restore"); });

  // Its output would land on the text screen: it must go nowhere.
  ::testing::internal::CaptureStdout();
  FILE_MANAGER("/home/user/");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

  EXPECT_EQ(read_text(bin.file("args")), "/home/user/");
  EXPECT_FALSE(std::filesystem::exists(bin.file("mc-ran")));
  EXPECT_TRUE(events.empty());
}

TEST_F(FileManagerRun, NothingFoundOrAFailedStartIsSilent) {
  env.set("PATH", bin.path().string());
  env.set("DISPLAY", std::nullopt);
  env.set("WAYLAND_DISPLAY", std::nullopt);
  set_terminal_handover([&] { events.push_back("leave"); }, [&] { events.push_back("restore"); });
  FILE_MANAGER("/tmp/");
  EXPECT_TRUE(events.empty());

  // An executable file that the system cannot start: the screen still comes back.
  write_program(bin.file("mc"), std::string(1, '\x7F') + "ELF, but not really");
  FILE_MANAGER("/tmp/");
  EXPECT_EQ(events, (std::vector<std::string>{"leave", "restore"}));

  // Without hooks nothing is called at all.
  set_terminal_handover({}, {});
  FILE_MANAGER("/tmp/");
}

}  // namespace
}  // namespace agat
