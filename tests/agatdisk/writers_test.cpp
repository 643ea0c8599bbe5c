// Writers of one image at once: each command's read-change-save is one turn, so none of
// them loses another's change; a writer kept waiting too long gives up and says the image
// is busy; readers never wait.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/image_lock.h"
#include "harness.h"

namespace agat::testing {
namespace {

class AgatdiskWriters : public AgatdiskTest {
 protected:
  void SetUp() override {
    AgatdiskTest::SetUp();
    ASSERT_EQ(run({"new", "d.dsk", "--form", "dsk140"}).status, 0);
  }
};

TEST_F(AgatdiskWriters, TwentyWritersStartedTogetherAllLand) {
  // Eighteen puts, an import and a new sub-catalog, all started at once.
  std::string line;
  for (int i = 1; i <= 19; ++i) {
    write_bytes(dir.file("f" + std::to_string(i)), pattern(300 + 97 * i, i));
    const std::string n = std::to_string(i);
    line += i == 19 ? "(agatdisk import d.dsk f19 --name F19 || echo failed 19) & "
                    : "(agatdisk put d.dsk f" + n + " --name F" + n + " --type B || echo failed " +
                          n + ") & ";
  }
  line += "(agatdisk mkdir d.dsk SUB || echo failed mkdir) & wait";
  const Outcome r = sh(line);
  EXPECT_EQ(r.out, "") << r.err;
  for (int i = 1; i <= 18; ++i) {
    const Outcome got = sh("agatdisk get d.dsk F" + std::to_string(i));
    EXPECT_EQ(got.out, loaded(pattern(300 + 97 * i, i))) << "F" << i << " " << got.err;
  }
  const std::string listed = sh("agatdisk list d.dsk --json").out;
  EXPECT_TRUE(contains(listed, json_head("F19", "B", 0x04, false, sectors_of(300 + 97 * 19 + 4))));
  EXPECT_TRUE(contains(listed, json_head("SUB", "null", 0xFF, false, 0).substr(0, 40)));
  expect_sound(dir.file("d.dsk"));
}

TEST_F(AgatdiskWriters, AWriterWaitsItsTurnOrGivesUpAndReadersNeverWait) {
  write_bytes(dir.file("x.bin"), pattern(700, 5));
  std::intptr_t other = 0;
  ASSERT_TRUE(open_lock_file(image_lock_path(dir.file("d.dsk")), other));
  ASSERT_TRUE(try_lock_file(other));
  const auto before = file_bytes(dir.file("d.dsk"));
  EXPECT_EQ(sh("agatdisk list d.dsk --json >/dev/null").status, 0);
  const Outcome busy = sh("agatdisk put d.dsk x.bin --name X");
  EXPECT_EQ(busy.status, 1);
  EXPECT_TRUE(contains(busy.err, "\"d.dsk\" занят"));
  EXPECT_EQ(file_bytes(dir.file("d.dsk")), before);
  // Released while the next writer waits: it goes on.
  std::thread release([other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    close_lock_file(other);
  });
  const Outcome waited = sh("agatdisk put d.dsk x.bin --name X");
  release.join();
  EXPECT_EQ(waited.status, 0) << waited.err;
  EXPECT_EQ(sh("agatdisk get d.dsk X").out, loaded(pattern(700, 5)));
}

}  // namespace
}  // namespace agat::testing
