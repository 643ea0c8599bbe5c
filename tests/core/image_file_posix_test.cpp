// Saves where the host has symbolic links, permissions, file-size limits, processes to kill
// and locks that saves hold: POSIX hosts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <set>

#include "core/image_file.h"
#include "support/host_faults.h"
#include "support/image_files.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::load;
using testing::make_image_file;
using testing::TempDir;

// A save through a symbolic link writes the file it leads to, keeps the link and the
// file's permissions. A save that cannot be written whole (a full disk, simulated by a
// file-size limit) leaves the old file byte for byte and no temporary file beside it; a
// new image that cannot be written whole is not left behind.
TEST_F(CoreTest, SavesKeepTheFile) {
  TempDir dir;
  make_image_file(dir.file("real.dsk"), ITI140);
  ::chmod(dir.file("real.dsk").c_str(), 0640);
  std::filesystem::create_symlink("real.dsk", dir.file("link.dsk"));
  auto md = load(dir, "link.dsk", ITI140);
  md->MASS[2][2].fill(0x33);
  FC_SAVEMEDIA(*md, false);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.dsk")));
  struct stat st {};
  ::stat(dir.file("real.dsk").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(testing::read_bytes(dir.file("real.dsk"))[(2 * 16 + 2) * 256], 0x33);
  std::filesystem::remove(dir.file("link.dsk"));
  std::filesystem::remove(dir.file("real.dsk"));

  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  const auto limited = [&](auto save) {
    rlimit limit = old_limit;
    limit.rlim_cur = 50000;
    setrlimit(RLIMIT_FSIZE, &limit);
    save();
    setrlimit(RLIMIT_FSIZE, &old_limit);
    return testing::take_critical_text();
  };
  for (TIMAGET type : {IT128I140, ITN800}) {
    const auto original = make_image_file(dir.file("full.img"), type);
    md = load(dir, "full.img", type);
    md->MASS[1][1].fill(0);
    EXPECT_EQ(
        limited([&] { FC_SAVEMEDIA(*md, false); }),
        "Запись образа: ошибка записи файла (файл слишком велик), файл образа не изменён\r\n");
    EXPECT_EQ(testing::read_bytes(dir.file("full.img")), original);
    EXPECT_EQ(testing::entries_of(dir.path()), std::set<std::string>{"full.img"});
  }
  md = testing::image_medium(dir.host_path(), "new.dsk", ITI140);
  EXPECT_EQ(limited([&] { FC_INITMEDIA(*md); }),
            "Запись образа: ошибка записи файла (файл слишком велик)\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("new.dsk")));
}

// Runs BODY in a child process; answers how the child ended and the text BODY returned.
std::pair<int, std::string> in_child(const std::function<std::string()>& body) {
  int fds[2];
  if (::pipe(fds) != 0) return {-1, ""};
  const pid_t pid = ::fork();
  if (pid == 0) {
    const std::string text = body();
    ::_exit(::write(fds[1], text.data(), text.size()) == ssize_t(text.size()) ? 0 : 3);
  }
  ::close(fds[1]);
  std::string text;
  char chunk[512];
  for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) > 0;) text.append(chunk, n);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {status, text};
}

// A save never overwrites the image in place: in a folder that lets no new file in it is
// refused, saying so, and messages name the reason of a failure. (The saves run as an
// unprivileged user: root ignores modes.)
TEST_F(CoreTest, ASaveInAReadOnlyFolderIsRefused) {
  TempDir dir;
  std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
  const std::string folder = dir.file("ro"), file = folder + "/disk.dsk";
  std::filesystem::create_directory(folder);
  const auto original = make_image_file(file, ITI140);
  auto md = testing::image_medium(folder + "/", "disk.dsk", ITI140);
  FC_LOADMEDIA(*md);
  md->MASS[1][1].fill(0x11);
  const auto save = [&](int folder_mode, int file_mode) {
    ::chmod(folder.c_str(), folder_mode);
    ::chmod(file.c_str(), file_mode);
    return in_child([&] {
             if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
             FC_SAVEMEDIA(*md, false);
             return testing::take_critical_text();
           })
        .second;
  };
  EXPECT_EQ(save(0555, 0666),
            "Запись образа: папка с образом закрыта для записи (нет доступа), "
            "файл образа не изменён\r\n");
  EXPECT_EQ(save(0755, 0644), "Запись образа: ошибка открытия файла (нет доступа)\r\n");
  EXPECT_EQ(testing::read_bytes(file), original);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

// A save killed half-way leaves its copy of the image beside it. The next save of the
// same image removes such copies, but not one whose save is still going on (its writer
// holds a lock on it).
TEST_F(CoreTest, TheNextSaveRemovesCopiesLeftByKilledSaves) {
  TempDir dir;
  const auto original = make_image_file(dir.file("disk.dsk"), ITI140);
  auto md = load(dir, "disk.dsk", ITI140);
  md->MASS[5][5].fill(0x55);
  const int status = in_child([&] {
                       const rlimit size{50000, 50000}, core{0, 0};
                       ::setrlimit(RLIMIT_CORE, &core);
                       ::setrlimit(RLIMIT_FSIZE, &size);
                       std::signal(SIGXFSZ, SIG_DFL);  // killed by the write past the limit
                       FC_SAVEMEDIA(*md, false);
                       return std::string();
                     }).first;
  ASSERT_TRUE(WIFSIGNALED(status));
  const auto others = [&] {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().filename() != "disk.dsk" && e.path().extension() != ".lock")
        names.insert(e.path().filename());
    return names;
  };
  ASSERT_EQ(others().size(), 1u);
  EXPECT_EQ(testing::read_bytes(dir.file("disk.dsk")), original);
  const std::string busy = others().begin()->substr(0, others().begin()->size() - 6) + "busy00";
  testing::write_bytes(dir.file(busy), {1});
  const int fd = ::open(dir.file(busy).c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  FC_SAVEMEDIA(*md, false);
  ::close(fd);
  EXPECT_EQ(testing::take_critical_text(), "");
  EXPECT_EQ(others(), std::set<std::string>{busy});
  EXPECT_EQ(load(dir, "disk.dsk", ITI140)->MASS[5][5][0], 0x55);
}

}  // namespace
}  // namespace agat
