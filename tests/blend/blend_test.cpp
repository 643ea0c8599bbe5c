// End-to-end tests of the blend program: each test makes reads of one disk in a fresh
// directory, runs the built binary there as a process and checks its whole standard output,
// its exit status and the files it leaves.

#include <dirent.h>
#include <stdlib.h>  // mkdtemp
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef BLEND_BINARY
#error "BLEND_BINARY must name the blend program to test"
#endif

namespace {

namespace fs = std::filesystem;
using Image = std::vector<unsigned char>;

constexpr std::size_t kSize = 143360;

// One good read of the disk: each sector has its own pattern, so a sector taken from the wrong
// place or the wrong read shows.
Image Disk() {
  Image d(kSize);
  for (std::size_t i = 0; i < kSize; ++i) d[i] = static_cast<unsigned char>(i / 256 * 7 + i % 251);
  return d;
}

Image Fill(Image d, std::initializer_list<int> sectors, unsigned char value) {
  for (int n : sectors) std::fill_n(d.begin() + n * 256, 256, value);
  return d;
}

Image Bad(Image d, std::initializer_list<int> sectors) {
  return Fill(std::move(d), sectors, 0xBD);
}

Image Sector(const Image& d, int n) {
  return Image(d.begin() + n * 256, d.begin() + n * 256 + 256);
}

struct Result {
  std::string out;
  std::string err;
  int status = -1;
};

class BlendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "blend_test.XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Writes an input file; Run() checks afterwards that it was not changed.
  void Put(const std::string& name, const Image& data) {
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
    inputs_[name] = data;
  }

  Image Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return Image(std::istreambuf_iterator<char>(in), {});
  }

  // The names of the entries in the order the directory gives them, as blend sees them.
  std::vector<std::string> Order() const {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir_.c_str());
    while (const dirent* e = ::readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
    return names;
  }

  // Creates the files `names`, then gives the k-th of them in directory order the k-th image, so
  // that image k lands in slot k whatever order the file system keeps. Returns the names by slot.
  std::vector<std::string> PutReads(const std::vector<std::string>& names,
                                    const std::vector<Image>& images) {
    for (const auto& n : names) Put(n, Image(kSize));
    std::vector<std::string> slots;
    for (const auto& n : Order()) {
      if (inputs_.count(n) != 0) slots.push_back(n);
    }
    for (std::size_t k = 0; k < slots.size(); ++k) Put(slots[k], images[k]);
    return slots;
  }

  std::set<std::string> Entries() const {
    const auto order = Order();
    return {order.begin(), order.end()};
  }

  Result Run(const std::vector<std::string>& args = {}) {
    std::vector<char*> argv{const_cast<char*>(BLEND_BINARY)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int out[2];
    EXPECT_EQ(::pipe(out), 0);
    std::FILE* err = std::tmpfile();
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir(dir_.c_str()) != 0) ::_exit(126);
      ::dup2(out[1], 1);
      ::dup2(::fileno(err), 2);
      ::close(out[0]);
      ::close(out[1]);
      ::execv(BLEND_BINARY, argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    Result r;
    char buf[65536];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) r.out.append(buf, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::rewind(err);
    for (int c; (c = std::fgetc(err)) != EOF;) r.err += static_cast<char>(c);
    std::fclose(err);
    EXPECT_EQ(r.err, "");
    for (const auto& [name, data] : inputs_) {
      if (fs::is_regular_file(fs::symlink_status(Path(name)))) {
        EXPECT_EQ(Get(name), data) << name << " was changed";
      }
    }
    return r;
  }

  fs::path dir_;
  std::map<std::string, Image> inputs_;
};

const std::string kReading = "\n>>> Find and loading images...\n";
const std::string kUnmark = "\n>>> Compare and delete images...\n";
const std::string kCalc = "\n>>> Calc and sort distance...\n";
const std::string kCure = "\n>>> Cure images...\n";
const std::string kDiff = "\n>>> Show diff...\n";
const std::string kWriting = "\n>>> Writing images...\n";

// Splits the output after the reading phase, whose lines follow the directory order.
std::multiset<std::string> ReadingLines(const std::string& out, std::string* rest) {
  EXPECT_EQ(out.rfind(kReading, 0), 0u);
  const auto end = out.find(kUnmark);
  *rest = out.substr(end);
  std::multiset<std::string> lines;
  std::istringstream in(out.substr(kReading.size(), end - kReading.size()));
  for (std::string l; std::getline(in, l);) lines.insert(l);
  return lines;
}

TEST_F(BlendTest, DirectoryWithoutImagesListsOtherEntriesWithAttributes) {
  Put("notes.txt", Image(10));
  Put("locked.txt", Image(3));
  ::chmod(Path("locked.txt").c_str(), 0444);
  Put(".profile", Image(1));
  Put(".secret", Image(1));
  ::chmod(Path(".secret").c_str(), 0400);
  Put("long.dsk", Image(kSize + 129));
  Put("short.dsk", Image(kSize - 1));
  Put("empty", {});
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
  fs::create_directory(Path("sub.dsk"));
  fs::create_directory_symlink("sub.dsk", Path("sublink"));
  fs::create_symlink("notes.txt", Path("link.txt"));
  fs::create_symlink("nowhere", Path("dangling"));
  const auto before = Entries();

  const Result r = Run();
  EXPECT_EQ(r.status, 0);
  std::string rest;
  EXPECT_EQ(
      ReadingLines(r.out, &rest),
      (std::multiset<std::string>{"notes.txt [0020] is not image", "locked.txt [0021] is not image",
                                  ".profile [0022] is not image", ".secret [0023] is not image",
                                  "long.dsk [0020] is not image", "short.dsk [0020] is not image",
                                  "empty [0020] is not image", "fifo [0004] is not image",
                                  "link.txt [0020] is not image", "dangling [0004] is not image"}));
  EXPECT_EQ(rest, kUnmark + kCalc + kCure + kUnmark + kDiff + "\t\n" + kWriting);
  EXPECT_EQ(Entries(), before);
}

// A single read, with a trailer of every accepted length; arguments are ignored.
class OneImageTest : public BlendTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(OneImageTest, IsWrittenBackUnchangedWithEveryBadSectorReported) {
  const Image disk = Bad(Disk(), {0, 37, 559});
  Image file = disk;
  file.resize(GetParam(), 0x5A);
  Put("disk.dsk", file);

  const Result r = Run({"--help", "*.dsk"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kReading + "Add disk.dsk image, 3 bad block(s)\n" + kUnmark +
                       " 0: disk.dsk -\n" + kCalc + " 0: disk.dsk -\n  []\n" + kCure +
                       "=====  0: disk.dsk =====\n"
                       "Donor for sector 0 [0/0] not found :(\n"
                       "Donor for sector 37 [2/5] not found :(\n"
                       "Donor for sector 559 [34/15] not found :(\n" +
                       kUnmark + " 0: disk.dsk -\n" + kDiff + "\t\t0:disk.dsk\n" + kWriting +
                       "disk.dsk.rep saved\n");
  EXPECT_EQ(Get("disk.dsk.rep"), disk);
}

INSTANTIATE_TEST_SUITE_P(Sizes, OneImageTest, ::testing::Values(143360, 143364, 143488));

TEST_F(BlendTest, IdenticalReadIsDroppedAndASecondRunTakesTheRepFileAsARead) {
  const Image disk = Bad(Disk(), {100});
  const auto s = PutReads({"read1.dsk", "read2.dsk"}, {disk, disk});
  const auto expected = [&](const std::vector<std::string>& s) {
    return kReading + "Add " + s[0] + " image, 1 bad block(s)\nAdd " + s[1] +
           " image, 1 bad block(s)\n" + kUnmark + " 0: " + s[0] + " -  1d\n" + kCalc +
           " 0: " + s[0] + " -\n  []\n" + kCure + "=====  0: " + s[0] +
           " =====\nDonor for sector 100 [6/4] not found :(\n" + kUnmark + " 0: " + s[0] + " -\n" +
           kDiff + "\t\t0:" + s[0] + "\n" + kWriting + s[0] + ".rep saved\n";
  };
  Result r = Run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected(s));
  EXPECT_EQ(Get(s[0] + ".rep"), disk);
  EXPECT_EQ(Entries(), (std::set<std::string>{"read1.dsk", "read2.dsk", s[0] + ".rep"}));

  // The first read and its .rep remain: two identical reads now.
  ::unlink(Path(s[1]).c_str());
  inputs_.erase(s[1]);
  inputs_[s[0] + ".rep"] = disk;
  std::vector<std::string> second;
  for (const auto& n : Order()) second.push_back(n);
  r = Run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, expected(second));
  EXPECT_EQ(Get(second[0] + ".rep"), disk);
}

TEST_F(BlendTest, ReadsThatBecomeIdenticalByRepairAreWrittenOnce) {
  Image trailer = Bad(Disk(), {9});
  trailer.resize(143364);
  const auto s = PutReads({"a.dsk", "b.dsk"}, {Bad(Disk(), {5}), trailer});
  const Result r = Run();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kReading + "Add " + s[0] + " image, 1 bad block(s)\nAdd " + s[1] +
                       " image, 1 bad block(s)\n" + kUnmark + " 0: " + s[0] + " -  1\n 1: " + s[1] +
                       " -\n" + kCalc + " 0: " + s[0] + " -  1:2\n  [0.1:2 ]\n 1: " + s[1] +
                       " -  0:2\n  [0.0:2 ]\n" + kCure + "=====  0: " + s[0] +
                       " =====\nSector 5 [0/5] cured from " + s[1] + ", distance = 2\n=====  1: " +
                       s[1] + " =====\nSector 9 [0/9] cured from " + s[0] + ", distance = 2\n" +
                       kCure + "=====  0: " + s[0] + " =====\n=====  1: " + s[1] + " =====\n" +
                       kUnmark + " 0: " + s[0] + " -  1d\n" + kDiff + "\t\t0:" + s[0] + "\n" +
                       kWriting + s[0] + ".rep saved\n");
  EXPECT_EQ(Get(s[0] + ".rep"), Disk());
  EXPECT_FALSE(fs::exists(Path(s[1] + ".rep")));
}

// Slot 0 takes sector 3 from slot 1; slot 2, nearest to slot 0, then takes it from slot 0 in the
// same pass. Slots 1 and 2 keep their own sectors, which the difference phase lists.
TEST_F(BlendTest, RepairPropagatesWithinOnePassAndDifferencesAreListed) {
  const auto s = PutReads(
      {"x.dsk", "y.dsk", "z.dsk"},
      {Bad(Disk(), {3}), Fill(Disk(), {100, 101}, 0x11), Fill(Bad(Disk(), {3}), {200}, 0x22)});
  const Result r = Run();
  EXPECT_EQ(r.status, 0);
  const std::string pass =
      "=====  0: " + s[0] + " =====\n=====  1: " + s[1] + " =====\n=====  2: " + s[2] + " =====\n";
  EXPECT_EQ(r.out,
            kReading + "Add " + s[0] + " image, 1 bad block(s)\nAdd " + s[1] +
                " image, 0 bad block(s)\nAdd " + s[2] + " image, 1 bad block(s)\n" + kUnmark +
                " 0: " + s[0] + " -  1  2\n 1: " + s[1] + " -  2\n 2: " + s[2] + " -\n" + kCalc +
                " 0: " + s[0] + " -  1:3  2:1\n  [0.2:1 1.1:3 ]\n 1: " + s[1] +
                " -  0:3  2:4\n  [0.0:3 1.2:4 ]\n 2: " + s[2] + " -  0:1  1:4\n  [0.0:1 1.1:4 ]\n" +
                kCure + "=====  0: " + s[0] + " =====\nSector 3 [0/3] cured from " + s[1] +
                ", distance = 3\n=====  1: " + s[1] + " =====\n=====  2: " + s[2] +
                " =====\nSector 3 [0/3] cured from " + s[0] + ", distance = 1\n" + kCure + pass +
                kUnmark + " 0: " + s[0] + " -  1  2\n 1: " + s[1] + " -  2\n 2: " + s[2] + " -\n" +
                kDiff + "\t\t0:" + s[0] + "\t1:" + s[1] + "\t2:" + s[2] +
                "\n100 [6/4]\t1\t\t0,2\t\t1\t\t\n101 [6/5]\t1\t\t0,2\t\t1\t\t\n"
                "200 [12/8]\t2\t\t2\t\t0,1\t\t\n" +
                kWriting + s[0] + ".rep saved\n" + s[1] + ".rep saved\n" + s[2] + ".rep saved\n");
  EXPECT_EQ(Get(s[0] + ".rep"), Disk());
  EXPECT_EQ(Get(s[1] + ".rep"), Fill(Disk(), {100, 101}, 0x11));
  EXPECT_EQ(Get(s[2] + ".rep"), Fill(Disk(), {200}, 0x22));
}

// All four reads are one sector apart. Slot 0 takes sector 10 from the read that the quicksort
// puts first among its three equally near ones, slot 2, and so becomes a duplicate of it.
// Sector 20 is bad in every read and stays so.
TEST_F(BlendTest, EqualDistanceDonorIsChosenByTheQuicksortAndMissingDonorsAreReported) {
  const Image bad20 = Bad(Disk(), {20});
  const auto s = PutReads({"r0.dsk", "r1.dsk", "r2.dsk", "r3.dsk"},
                          {Bad(bad20, {10}), Fill(bad20, {10}, 0x11), Fill(bad20, {10}, 0x22),
                           Fill(bad20, {10}, 0x33)});
  const Result r = Run();
  EXPECT_EQ(r.status, 0);
  const std::string missing = "Donor for sector 20 [1/4] not found :(\n";
  std::string others;  // slots 1 to 3 in every pass: nothing to take, no donor for sector 20
  for (int i = 1; i < 4; ++i)
    others += "=====  " + std::to_string(i) + ": " + s[i] + " =====\n" + missing;
  EXPECT_EQ(r.out, kReading + "Add " + s[0] + " image, 2 bad block(s)\nAdd " + s[1] +
                       " image, 1 bad block(s)\nAdd " + s[2] + " image, 1 bad block(s)\nAdd " +
                       s[3] + " image, 1 bad block(s)\n" + kUnmark + " 0: " + s[0] +
                       " -  1  2  3\n 1: " + s[1] + " -  2  3\n 2: " + s[2] + " -  3\n 3: " + s[3] +
                       " -\n" + kCalc + " 0: " + s[0] +
                       " -  1:1  2:1  3:1\n  [0.2:1 1.3:1 2.1:1 ]\n 1: " + s[1] +
                       " -  0:1  2:1  3:1\n  [0.2:1 1.3:1 2.0:1 ]\n 2: " + s[2] +
                       " -  0:1  1:1  3:1\n  [0.3:1 1.1:1 2.0:1 ]\n 3: " + s[3] +
                       " -  0:1  1:1  2:1\n  [0.2:1 1.1:1 2.0:1 ]\n" + kCure + "=====  0: " + s[0] +
                       " =====\nSector 10 [0/10] cured from " + s[2] + ", distance = 1\n" +
                       missing + others + kCure + "=====  0: " + s[0] + " =====\n" + missing +
                       others + kUnmark + " 0: " + s[0] + " -  1  2d  3\n 1: " + s[1] +
                       " -  3\n 3: " + s[3] + " -\n" + kDiff + "\t\t0:" + s[0] + "\t1:" + s[1] +
                       "\t3:" + s[3] + "\n10 [0/10]\t1,3\t\t0,3\t\t0,1\t\t\n" + kWriting + s[0] +
                       ".rep saved\n" + s[1] + ".rep saved\n" + s[3] + ".rep saved\n");
  EXPECT_EQ(Get(s[0] + ".rep"), Fill(bad20, {10}, 0x22));
  EXPECT_EQ(Sector(Get(s[3] + ".rep"), 20), Image(256, 0xBD));
  EXPECT_FALSE(fs::exists(Path(s[2] + ".rep")));
}

TEST_F(BlendTest, ImagesBeyondFiftySlotsAreSkipped) {
  std::vector<std::string> names;
  for (int i = 0; i < 52; ++i) names.push_back("img" + std::to_string(100 + i) + ".dsk");
  const auto s = PutReads(names, std::vector<Image>(52, Disk()));
  const Result r = Run();
  EXPECT_EQ(r.status, 0);
  std::string expected = kReading;
  for (int i = 0; i < 50; ++i) expected += "Add " + s[i] + " image, 0 bad block(s)\n";
  expected += "Skip " + s[50] + " image, all 50 slots are in use\nSkip " + s[51] +
              " image, all 50 slots are in use\n" + kUnmark + " 0: " + s[0] + " -";
  for (int j = 1; j < 50; ++j) expected += (j < 10 ? "  " : " ") + std::to_string(j) + "d";
  expected += "\n" + kCalc + " 0: " + s[0] + " -\n  []\n" + kCure + "=====  0: " + s[0] +
              " =====\n" + kUnmark + " 0: " + s[0] + " -\n" + kDiff + "\t\t0:" + s[0] + "\n" +
              kWriting + s[0] + ".rep saved\n";
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(Entries().size(), 53u);
}

TEST_F(BlendTest, ExistingRepFileIsReplacedNotWrittenThrough) {
  Put("notes.txt", Image(5, 'n'));
  fs::create_symlink("notes.txt", Path("disk.dsk.rep"));
  Put("disk.dsk", Disk());
  const Result r = Run();
  EXPECT_EQ(r.status, 0);
  std::string rest;
  EXPECT_EQ(ReadingLines(r.out, &rest),
            (std::multiset<std::string>{"Add disk.dsk image, 0 bad block(s)",
                                        "notes.txt [0020] is not image",
                                        "disk.dsk.rep [0020] is not image"}));
  EXPECT_EQ(rest.substr(rest.find(kWriting)), kWriting + "disk.dsk.rep saved\n");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Path("disk.dsk.rep"))));
  EXPECT_EQ(Get("disk.dsk.rep"), Disk());
}

TEST_F(BlendTest, RepFileThatCannotBeCreatedEndsTheRunAndKeepsEarlierOnes) {
  const std::string longname = std::string(248, 'x') + ".dsk";  // the ".rep" name is too long
  const auto s = PutReads({"a.dsk", longname}, {Disk(), Fill(Disk(), {1}, 0)});
  const Result r = Run();
  EXPECT_EQ(r.status, 1);
  std::string tail = kWriting + s[0] + ".rep saved\n";
  if (s[0] == "a.dsk") tail += longname + ".rep saved\n";
  tail += "Error: cannot create " + longname + ".rep: " + std::strerror(ENAMETOOLONG) + "\n";
  EXPECT_EQ(r.out.substr(r.out.find(kWriting)), tail);
  // No half-written or temporary file is left behind.
  std::set<std::string> expected{"a.dsk", longname};
  if (s[0] == "a.dsk") expected.insert("a.dsk.rep");
  EXPECT_EQ(Entries(), expected);
  if (s[0] == "a.dsk") {
    EXPECT_EQ(Get("a.dsk.rep"), Disk());
  }
}

TEST_F(BlendTest, UnreadableImageEndsTheRunWithoutWriting) {
  if (::geteuid() == 0) GTEST_SKIP() << "root can read any file";
  Put("locked.dsk", Disk());
  ::chmod(Path("locked.dsk").c_str(), 0);
  inputs_.clear();  // nor can the test read it back
  const Result r = Run();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kReading + "Error: cannot open locked.dsk: " + std::strerror(EACCES) + "\n");
  EXPECT_EQ(Entries(), std::set<std::string>{"locked.dsk"});
}

}  // namespace
