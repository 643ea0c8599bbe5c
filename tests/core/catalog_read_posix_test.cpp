// The listing of a host directory, a named pipe (which only POSIX hosts have) among its
// entries.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <future>
#include <utility>

#include "core/catalog_read.h"
#include "core/cp1251_literal.h"
#include "core/image_build.h"
#include "support/image_test.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::CoreTest;
using testing::find_entry;
using testing::name_text;
using testing::TempDir;

// A host directory lists "..", whatever order the file system gives, then
// sub-directories, files of the size of an image form (signed if need be), and ".FIL" files
// (the extension in any case) by their header; other files, a ".FIL" file too short for
// its header (with a warning) and one that is no regular file (a named pipe, which must
// not hold the listing up) are left out. Sorted, the kinds come in order, and images by
// type or by name. The root has no "..".
TEST_F(CoreTest, HostDirectoryListing) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("sub"));
  const auto file = [&](const std::string& name, std::uintmax_t size) {
    std::ofstream(dir.file(name)).close();
    std::filesystem::resize_file(dir.file(name), size);
  };
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t)
    file(std::string("img") + testing::image_type_name(TIMAGET(t)), IMAGEDESC[t].FULLSIZE);
  for (auto [t, signature] : {std::pair{ITH800, "HXCPICFE"}, {ITM800, "MAMEFLOPPYIMAGE"}}) {
    std::fstream f(dir.file("img" + testing::image_type_name(t)), std::ios::in | std::ios::out);
    f.write(signature, std::strlen(signature) + 1);  // a container form is known by it
  }
  file("odd.dsk", 143365);    // one byte too long
  file("plain.emu", 860416);  // no header
  testing::write_bytes(dir.file("img" + testing::image_type_name(ITE800)),
                       testing::emulator_header_bytes(0));
  std::filesystem::resize_file(dir.file("img" + testing::image_type_name(ITE800)), 860416);
  testing::write_bytes(dir.file("img" + testing::image_type_name(ITW140)),
                       image_file_bytes(ITW140, std::vector<TTRACK>(35)));
  testing::write_bytes(dir.file("img" + testing::image_type_name(ITM140)),
                       image_file_bytes(ITM140, std::vector<TTRACK>(35)));
  for (int i = 0; i < 40; ++i) file("other" + std::to_string(i), 1);
  ASSERT_EQ(::mkfifo(dir.file("pipe.FIL").c_str(), 0600), 0);
  for (auto [name, size, ext] :
       {std::tuple{"a.fil", 0, 0x02}, {"B.FIL", 257, 0x84}, {".FIL", 10, 0}}) {
    std::vector<std::uint8_t> bytes(40 + size, 0x11);
    const TAGATNAME n = agat_name(std::string("AGAT ") + name);
    std::copy(n.begin(), n.end(), bytes.begin());
    bytes[39] = static_cast<std::uint8_t>(ext);
    testing::write_bytes(dir.file(name), bytes);
  }
  testing::write_bytes(dir.file("short.FiL"), {1, 2, 3});

  auto md = testing::new_medium();
  md->HOSTPATH = dir.host_path();
  // The message buffers are the listing thread's own: it hands them over.
  std::string warnings, critical;
  auto listing = std::async(std::launch::async, [&] {
    FC_READCAT(*md);
    warnings = std::exchange(FC_WARNINGBUFFER, {});
    critical = std::exchange(FC_CRITICALERRORBUFFER, {});
  });
  if (listing.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
    ADD_FAILURE() << "the listing waits for a writer of the pipe";
    ::close(::open(dir.file("pipe.FIL").c_str(), O_WRONLY));  // lets it go on
  }
  listing.get();
  EXPECT_EQ(md->CAT.CATREC[0].HOSTNAME, "..");
  EXPECT_EQ(find_entry(*md, "."), nullptr);
  EXPECT_EQ(cp1251_to_utf8(warnings), "ReadCat: не удалось обратится к файлу short.FiL\r\n");
  EXPECT_EQ(critical, "");
  EXPECT_EQ(md->CAT.CATNUM, 2 + IMAGE_TYPE_COUNT + 3);
  EXPECT_EQ(find_entry(*md, "sub")->CATRECT, CRTHOSTFSDIR);
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t)
    EXPECT_EQ(find_entry(*md, std::string("img") + testing::image_type_name(TIMAGET(t)))->IMAGET,
              t);
  const TCATREC* b = find_entry(*md, "B.FIL");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(std::tuple(b->CATRECT, b->SIZECAT, b->EXT, b->TSDATA[0], name_text(b->AGATNAME)),
            std::tuple(CRTAGATFILE, 2, 0x84, 0x11, "AGAT B.FIL"));
  EXPECT_EQ(find_entry(*md, "a.fil")->SIZECAT, 0);
  EXPECT_NE(find_entry(*md, ".FIL"), nullptr);

  const auto sorted = [&](TSORTMODE mode) {
    md->CAT.SORTMODE = mode;
    FC_SORTCAT(*md);
    return std::tuple(md->CAT.CATREC[1].HOSTNAME, md->CAT.CATREC[2].HOSTNAME,
                      md->CAT.CATREC[1 + IMAGE_TYPE_COUNT].HOSTNAME,
                      md->CAT.CATREC[2 + IMAGE_TYPE_COUNT].CATRECT);
  };
  // The images are named "img" and their form's agatdisk name.
  const std::string last_form = "img" + testing::image_type_name(TIMAGET(IMAGE_TYPE_COUNT - 1));
  EXPECT_EQ(sorted(SMTYPE), std::tuple("sub", "imgdsk140", last_form, CRTAGATFILE));
  EXPECT_EQ(sorted(SMNAME), std::tuple("sub", "imgaim", "imgwoz", CRTAGATFILE));
  md->HOSTPATH = "/";
  FC_READCAT(*md);
  EXPECT_EQ(find_entry(*md, ".."), nullptr);
  testing::take_critical();
}

}  // namespace
}  // namespace agat
