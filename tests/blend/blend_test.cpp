// End-to-end tests of the blend program: each test makes reads of one disk in a fresh
// directory, runs the built binary there as a process and compares its whole standard output,
// its exit status and the .rep files it writes; no run may change an input.

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/host_faults.h"
#include "support/temp_dir.h"

int blend_main(std::FILE* out);  // blend.cpp, built into these tests without its main()

#ifndef BLEND_BINARY
#error "BLEND_BINARY must name the blend program to test"
#endif

namespace {

namespace fs = std::filesystem;
using agat::testing::read_bytes;
using Image = std::vector<std::uint8_t>;

constexpr std::size_t kSize = 143360;

// One good read of the disk: each sector has its own pattern, so a sector taken from the wrong
// place or the wrong read shows.
Image Disk() {
  Image d(kSize);
  for (std::size_t i = 0; i < kSize; ++i) d[i] = static_cast<std::uint8_t>(i / 256 * 7 + i % 251);
  return d;
}

Image Fill(Image d, std::initializer_list<int> sectors, std::uint8_t value) {
  for (int n : sectors) std::fill_n(d.begin() + n * 256, 256, value);
  return d;
}

// Sectors that the read could not decode.
Image Bad(Image d, std::initializer_list<int> sectors) {
  return Fill(std::move(d), sectors, 0xBD);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

class BlendTest : public ::testing::Test {
 protected:
  // Writes an input file; Run() checks afterwards that it was not changed.
  void Put(const std::string& name, const Image& data) {
    agat::testing::write_bytes(dir.file(name), data);
    inputs_[name] = data;
  }
  Image Get(const std::string& name) const { return read_bytes(dir.file(name)); }

  // The names of the entries in the order the directory gives them, as blend sees them.
  std::vector<std::string> Order() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename());
    return names;
  }

  // Creates the files `names`, then gives the k-th of them in directory order the k-th image, so
  // that image k lands in slot k whatever order the file system keeps. Returns the names by slot.
  std::vector<std::string> PutReads(const std::vector<std::string>& names,
                                    const std::vector<Image>& images) {
    for (const auto& n : names) Put(n, {});
    const std::vector<std::string> slots = Order();
    for (std::size_t k = 0; k < slots.size(); ++k) Put(slots[k], images[k]);
    return slots;
  }

  // Runs blend in the directory with the arguments `args` (shell words); returns its exit
  // status, and in `out` its standard output, where it writes every message.
  int Run(const std::string& args = "") {
    const std::string command =
        "cd '" + dir.path().string() + "' && exec '" BLEND_BINARY "' " + args;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    out.clear();
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    const int status = ::pclose(pipe);
    for (const auto& [name, data] : inputs_) {
      if (!fs::is_regular_file(fs::symlink_status(dir.file(name)))) continue;  // a fifo
      EXPECT_EQ(Get(name), data) << name << " was changed";
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Runs blend_main() in this process, in the directory; returns its status and, in `out`,
  // what it wrote.
  int RunHere() {
    const fs::path cwd = fs::current_path();
    std::FILE* log = std::tmpfile();
    fs::current_path(dir.path());
    const int status = blend_main(log);
    fs::current_path(cwd);
    out.assign(static_cast<std::size_t>(std::ftell(log)), '\0');
    std::rewind(log);
    out.resize(std::fread(out.data(), 1, out.size(), log));
    std::fclose(log);
    return status;
  }

  // The output `text` stands for: "{R}", "{U}", "{C}", "{K}", "{D}" and "{W}" are the headers of
  // the phases (reading, dropping duplicates, distances, a repair pass, differences, writing),
  // "@k" is the name of the read in slot k, and "{lines}" the lines `reading` of the reading
  // phase, put in the directory order of the entries they name.
  std::string Expected(std::string text, const std::vector<std::string>& slots = {},
                       const std::vector<std::string>& reading = {}) const {
    std::string lines;
    for (const auto& name : Order()) {
      for (const auto& line : reading)
        if (line.starts_with(name + " [") || line.starts_with("Add " + name + " "))
          lines += line + "\n";
    }
    std::istringstream headers(
        "Find and loading images|Compare and delete images|Calc and sort distance|Cure images|"
        "Show diff|Writing images");
    std::string header;
    for (const char mark : std::string("RUCKDW")) {
      std::getline(headers, header, '|');
      text = ReplaceAll(text, {'{', mark, '}'}, "\n>>> " + header + "...\n");
    }
    for (std::size_t k = 0; k < slots.size(); ++k)
      text = ReplaceAll(text, "@" + std::to_string(k), slots[k]);
    return ReplaceAll(text, "{lines}", lines);
  }

  agat::testing::TempDir dir;
  std::map<std::string, Image> inputs_;
  std::string out;
};

// Only regular files (or links to them) of 143360 to 143488 bytes are images; directories are
// not listed, every other entry is, with its DOS-style attributes. Nothing is written.
TEST_F(BlendTest, DirectoryWithoutImages) {
  Put("notes.txt", Image(10));
  Put("locked.txt", Image(3));
  ::chmod(dir.file("locked.txt").c_str(), 0444);
  Put(".secret", Image(1));
  ::chmod(dir.file(".secret").c_str(), 0400);
  Put("long.dsk", Image(kSize + 129));
  Put("short.dsk", Image(kSize - 1));
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  fs::create_directory(dir.file("sub.dsk"));
  fs::create_directory_symlink("sub.dsk", dir.file("sublink"));
  fs::create_symlink("notes.txt", dir.file("link.txt"));
  fs::create_symlink("nowhere", dir.file("dangling"));
  const auto before = Order();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(out, Expected("{R}{lines}{U}{C}{K}{U}{D}\t\n{W}", {},
                          {"notes.txt [0020] is not image", "locked.txt [0021] is not image",
                           ".secret [0023] is not image", "long.dsk [0020] is not image",
                           "short.dsk [0020] is not image", "fifo [0004] is not image",
                           "link.txt [0020] is not image", "dangling [0004] is not image"}));
  EXPECT_EQ(Order(), before);  // nothing written
}

// A single read, with each trailer an image may have, is written back as it is, its bad
// sectors reported. Arguments are ignored, and a .rep link is replaced, not written through.
TEST_F(BlendTest, OneImage) {
  Put("notes.txt", Image(5, 'n'));
  const Image disk = Bad(Disk(), {0, 37, 559});
  for (const std::size_t size : {143360, 143364, 143488}) {
    SCOPED_TRACE(size);
    Image file = disk;
    file.resize(size, 0x5A);
    Put("disk.dsk", file);
    fs::remove(dir.file("disk.dsk.rep"));
    fs::create_symlink("notes.txt", dir.file("disk.dsk.rep"));
    EXPECT_EQ(Run("--help '*.dsk'"), 0);
    EXPECT_EQ(out, Expected("{R}{lines}{U} 0: disk.dsk -\n{C} 0: disk.dsk -\n  []\n"
                            "{K}=====  0: disk.dsk =====\nDonor for sector 0 [0/0] not found :(\n"
                            "Donor for sector 37 [2/5] not found :(\n"
                            "Donor for sector 559 [34/15] not found :(\n{U} 0: disk.dsk -\n"
                            "{D}\t\t0:disk.dsk\n{W}disk.dsk.rep saved\n",
                            {},
                            {"Add disk.dsk image, 3 bad block(s)", "notes.txt [0020] is not image",
                             "disk.dsk.rep [0020] is not image"}));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.file("disk.dsk.rep"))));
    EXPECT_EQ(Get("disk.dsk.rep"), disk);
  }
}

// Each read repairs the other; the two become identical and only the first is written.
TEST_F(BlendTest, ReadsThatBecomeIdenticalByRepair) {
  Image trailer = Bad(Disk(), {9});
  trailer.resize(143364);
  const auto s = PutReads({"a.dsk", "b.dsk"}, {Bad(Disk(), {5}), trailer});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(
      out,
      Expected("{R}Add @0 image, 1 bad block(s)\nAdd @1 image, 1 bad block(s)\n"
               "{U} 0: @0 -  1\n 1: @1 -\n{C} 0: @0 -  1:2\n  [0.1:2 ]\n 1: @1 -  0:2\n"
               "  [0.0:2 ]\n{K}=====  0: @0 =====\nSector 5 [0/5] cured from @1, distance = 2\n"
               "=====  1: @1 =====\nSector 9 [0/9] cured from @0, distance = 2\n"
               "{K}=====  0: @0 =====\n=====  1: @1 =====\n{U} 0: @0 -  1d\n{D}\t\t0:@0\n"
               "{W}@0.rep saved\n",
               s));
  EXPECT_EQ(Get(s[0] + ".rep"), Disk());
  EXPECT_FALSE(fs::exists(dir.file(s[1] + ".rep")));
}

// Slot 0 takes sector 3 from slot 1; slot 2, nearest to slot 0, then takes it from slot 0 in
// the same pass. Slots 1 and 2 keep their own sectors, which the difference phase lists.
TEST_F(BlendTest, RepairPropagatesWithinOnePass) {
  const auto s = PutReads(
      {"x.dsk", "y.dsk", "z.dsk"},
      {Bad(Disk(), {3}), Fill(Disk(), {100, 101}, 0x11), Fill(Bad(Disk(), {3}), {200}, 0x22)});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(
      out,
      Expected(
          "{R}Add @0 image, 1 bad block(s)\nAdd @1 image, 0 bad block(s)\n"
          "Add @2 image, 1 bad block(s)\n{U} 0: @0 -  1  2\n 1: @1 -  2\n 2: @2 -\n"
          "{C} 0: @0 -  1:3  2:1\n  [0.2:1 1.1:3 ]\n 1: @1 -  0:3  2:4\n  [0.0:3 1.2:4 ]\n"
          " 2: @2 -  0:1  1:4\n  [0.0:1 1.1:4 ]\n{K}=====  0: @0 =====\n"
          "Sector 3 [0/3] cured from @1, distance = 3\n=====  1: @1 =====\n=====  2: @2 =====\n"
          "Sector 3 [0/3] cured from @0, distance = 1\n"
          "{K}=====  0: @0 =====\n=====  1: @1 =====\n=====  2: @2 =====\n"
          "{U} 0: @0 -  1  2\n 1: @1 -  2\n 2: @2 -\n{D}\t\t0:@0\t1:@1\t2:@2\n"
          "100 [6/4]\t1\t\t0,2\t\t1\t\t\n101 [6/5]\t1\t\t0,2\t\t1\t\t\n200 "
          "[12/8]\t2\t\t2\t\t0,1\t\t\n"
          "{W}@0.rep saved\n@1.rep saved\n@2.rep saved\n",
          s));
  EXPECT_EQ(Get(s[0] + ".rep"), Disk());
  EXPECT_EQ(Get(s[1] + ".rep"), Fill(Disk(), {100, 101}, 0x11));
  EXPECT_EQ(Get(s[2] + ".rep"), Fill(Disk(), {200}, 0x22));
}

// All four reads are one sector apart. Slot 0 takes sector 10 from the read that the quicksort
// puts first among its three equally near ones, slot 2, and so becomes a duplicate of it.
// Sector 20 is bad in every read: it is reported in every pass and stays bad.
TEST_F(BlendTest, EqualDistancesAndASectorNoReadHas) {
  const Image bad20 = Bad(Disk(), {20});
  const auto s = PutReads({"r0.dsk", "r1.dsk", "r2.dsk", "r3.dsk"},
                          {Bad(bad20, {10}), Fill(bad20, {10}, 0x11), Fill(bad20, {10}, 0x22),
                           Fill(bad20, {10}, 0x33)});
  // Slots 1 to 3 in every pass: nothing to take, no donor for sector 20.
  const std::string others =
      "=====  1: @1 =====\n{20}=====  2: @2 =====\n{20}=====  3: @3 =====\n{20}";
  std::string text =
      "{R}Add @0 image, 2 bad block(s)\nAdd @1 image, 1 bad block(s)\n"
      "Add @2 image, 1 bad block(s)\nAdd @3 image, 1 bad block(s)\n"
      "{U} 0: @0 -  1  2  3\n 1: @1 -  2  3\n 2: @2 -  3\n 3: @3 -\n"
      "{C} 0: @0 -  1:1  2:1  3:1\n  [0.2:1 1.3:1 2.1:1 ]\n 1: @1 -  0:1  2:1  3:1\n"
      "  [0.2:1 1.3:1 2.0:1 ]\n 2: @2 -  0:1  1:1  3:1\n  [0.3:1 1.1:1 2.0:1 ]\n"
      " 3: @3 -  0:1  1:1  2:1\n  [0.2:1 1.1:1 2.0:1 ]\n"
      "{K}=====  0: @0 =====\nSector 10 [0/10] cured from @2, distance = 1\n{20}" +
      others + "{K}=====  0: @0 =====\n{20}" + others +
      "{U} 0: @0 -  1  2d  3\n 1: @1 -  3\n 3: @3 -\n{D}\t\t0:@0\t1:@1\t3:@3\n"
      "10 [0/10]\t1,3\t\t0,3\t\t0,1\t\t\n{W}@0.rep saved\n@1.rep saved\n@3.rep saved\n";
  text = ReplaceAll(text, "{20}", "Donor for sector 20 [1/4] not found :(\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(out, Expected(text, s));
  EXPECT_EQ(Get(s[0] + ".rep"), Fill(bad20, {10}, 0x22));
  EXPECT_EQ(Get(s[1] + ".rep"), Fill(bad20, {10}, 0x11));
  EXPECT_EQ(Get(s[3] + ".rep"), Fill(bad20, {10}, 0x33));
  EXPECT_FALSE(fs::exists(dir.file(s[2] + ".rep")));
}

// Identical reads are dropped. There are 50 slots: further images are named and left out of
// everything that follows. The .rep file is itself an image, so a second run takes it as a
// further read, again identical to the first.
TEST_F(BlendTest, IdenticalReadsBeyondFiftySlotsAndASecondRun) {
  const auto expected = [this](const std::vector<std::string>& names) {
    std::string text = "{R}";
    for (std::size_t i = 0; i < names.size(); ++i)
      text += i < 50 ? "Add " + names[i] + " image, 0 bad block(s)\n"
                     : "Skip " + names[i] + " image, all 50 slots are in use\n";
    text += "{U} 0: @0 -";
    for (std::size_t j = 1; j < std::min<std::size_t>(names.size(), 50); ++j)
      text += (j < 10 ? "  " : " ") + std::to_string(j) + "d";
    return Expected(text +
                        "\n{C} 0: @0 -\n  []\n{K}=====  0: @0 =====\n{U} 0: @0 -\n"
                        "{D}\t\t0:@0\n{W}@0.rep saved\n",
                    {names[0]});
  };
  std::vector<std::string> names;
  for (int i = 0; i < 52; ++i) names.push_back("img" + std::to_string(100 + i) + ".dsk");
  const auto s = PutReads(names, std::vector<Image>(52, Disk()));
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(out, expected(s));
  EXPECT_EQ(Get(s[0] + ".rep"), Disk());
  EXPECT_EQ(Order().size(), 53u);

  for (std::size_t i = 1; i < s.size(); ++i) fs::remove(dir.file(s[i]));
  inputs_ = {{s[0], Disk()}, {s[0] + ".rep", Disk()}};
  const auto second = Order();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(out, expected(second));
  EXPECT_EQ(Get(second[0] + ".rep"), Disk());
}

// A .rep file that cannot be created ends the run with status 1; those written before stay,
// and no half-written or temporary file is left behind.
TEST_F(BlendTest, RepFileThatCannotBeCreated) {
  const std::string longname = std::string(248, 'x') + ".dsk";  // the ".rep" name is too long
  const auto s = PutReads({"a.dsk", longname}, {Disk(), Fill(Disk(), {1}, 0)});
  EXPECT_EQ(Run(), 1);
  const bool a_first = s[0] == "a.dsk";
  EXPECT_EQ(out, Expected("{R}Add @0 image, 0 bad block(s)\nAdd @1 image, 0 bad block(s)\n"
                          "{U} 0: @0 -  1\n 1: @1 -\n{C} 0: @0 -  1:1\n  [0.1:1 ]\n"
                          " 1: @1 -  0:1\n  [0.0:1 ]\n{K}=====  0: @0 =====\n=====  1: @1 =====\n"
                          "{U} 0: @0 -  1\n 1: @1 -\n{D}\t\t0:@0\t1:@1\n1 [0/1]\t1\t\t0\t\t\n"
                          "{W}@0.rep saved\n" +
                              std::string(a_first ? "@1.rep saved\n" : "") +
                              "Error: cannot create " + longname + ".rep: File name too long\n",
                          s));
  EXPECT_EQ(Order().size(), a_first ? 3u : 2u);
  EXPECT_TRUE(!a_first || Get("a.dsk.rep") == Disk());
}

// A run that meets a failing host (a read of an input that fails or ends early, a full disk, a
// failing sync or rename, no temporary file) ends with the error and status 1, leaving the .rep
// file of an earlier run as it was and no temporary file. The run is made in this process, its
// file calls through the fault hook.
TEST_F(BlendTest, AFailingHostLeavesTheOldRepFile) {
  PutReads({"a.dsk", "b.dsk"}, {Bad(Disk(), {3}), Fill(Disk(), {5}, 0)});
  EXPECT_EQ(Run(), 0);
  const auto reason = [](int e) {
    return e == 0 ? "the file is shorter than 143360 bytes" : std::strerror(e);
  };
  agat::testing::expect_failures_keep_file(dir, dir.file("a.dsk.rep"), true, reason, [&] {
    EXPECT_EQ(RunHere(), 1);
    return out.substr(out.find("Error: cannot "));
  });
}

// Only a .rep file that replaces one is synced before its rename: with every sync failing, a
// first run writes its file, and the next one fails and leaves that file as it was.
TEST_F(BlendTest, OnlyAReplacedRepFileIsSynced) {
  PutReads({"a.dsk"}, {Bad(Disk(), {3})});
  const auto run = [this] {
    const agat::testing::InjectedFaults no_sync({{agat::HostFileCall::sync, 1, {EIO}}});
    return RunHere();
  };
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(Get("a.dsk.rep"), Bad(Disk(), {3}));
  Put("a.dsk", Disk());
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(Get("a.dsk.rep"), Bad(Disk(), {3}));
  EXPECT_EQ(Order().size(), 2u);  // no temporary file left
}

}  // namespace
