// An interrupted save loses nothing: agatdisk put is killed with SIGKILL a hundred times at
// random moments of its run, and each time the image is either its old bytes or exactly the
// image a complete put makes; the next save removes the copies the killed ones left.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>

#include <chrono>
#include <set>
#include <thread>

#include "harness.h"

namespace agat::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Starts `agatdisk put IMAGE FILE --name NEW` with its output thrown away.
pid_t start_put(const std::string& image, const std::string& file) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
  std::string args[] = {"agatdisk", "put", image, file, "--name", "NEW"};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                  args[4].data(), args[5].data(), nullptr};
  pid_t pid = -1;
  posix_spawn(&pid, AGATDISK_BINARY, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The copies of the image that saves left beside it.
std::set<std::string> copies_left(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path()))
    if (e.path().filename().string().starts_with(".agat-save-")) names.insert(e.path().filename());
  return names;
}

TEST(AgatdiskKill, AKilledPutLeavesTheOldImageOrTheNewOne) {
  TempDir dir;
  const std::string image = dir.file("disk.dsk"), file = dir.file("data.bin");
  ASSERT_EQ(run_agatdisk({"new", image, "--form", "dsk800"}, dir.path()).status, 0);
  write_bytes(file, pattern(20000, 1));
  const Bytes old_image = file_bytes(image);
  // The image a complete put makes, and how long a put takes.
  Clock::duration longest{};
  for (int i = 0; i < 3; ++i) {
    write_bytes(image, old_image);
    const auto start = Clock::now();
    int status = 0;
    ::waitpid(start_put(image, file), &status, 0);
    longest = std::max(longest, Clock::now() - start);
    ASSERT_EQ(status, 0);
  }
  const Bytes new_image = file_bytes(image);
  ASSERT_NE(new_image, old_image);
  ASSERT_EQ(run_agatdisk({"list", image}, dir.path()).status, 0);

  std::mt19937 rng(7);
  std::uniform_int_distribution<Clock::rep> moment(0, longest.count());
  int olds = 0, news = 0;
  std::set<std::string> copies;  // each left by a kill in the middle of the save
  for (int i = 0; i < 100; ++i) {
    write_bytes(image, old_image);
    const pid_t pid = start_put(image, file);
    std::this_thread::sleep_for(Clock::duration(moment(rng)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const Bytes now = file_bytes(image);
    ASSERT_TRUE(now == old_image || now == new_image) << "kill " << i;
    (now == old_image ? olds : news)++;
    copies.merge(copies_left(dir));
  }
  std::printf("old image %d times, new image %d times, %zu kills in the save\n", olds, news,
              copies.size());
  EXPECT_GT(olds, 0);
  EXPECT_GT(news, 0);
  write_bytes(image, old_image);
  EXPECT_EQ(run_agatdisk({"put", image, file, "--name", "NEW"}, dir.path()).status, 0);
  EXPECT_EQ(file_bytes(image), new_image);
  EXPECT_EQ(copies_left(dir), std::set<std::string>{});
}

}  // namespace
}  // namespace agat::testing
