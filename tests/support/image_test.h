// A test on an image made by the core in a fresh directory, with files saved into it.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/catalog.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat::testing {

class ImageTest : public CoreTest {
 protected:
  TempDir dir;
  std::unique_ptr<TMEDIA> md;
  static inline TFILEBUF buf;

  // A new empty image "t.img" of the type in place of the one before, its catalog read.
  void make(TIMAGET type = ITI140) {
    std::filesystem::remove(dir.file("t.img"));
    md = create_image(dir.host_path(), "t.img", type);
    reload();
  }
  // The catalog read again, and with it the sectors from the file.
  void reload() { FC_READCAT(*md); }
  // The sectors in memory written to the file, and read back.
  void store() {
    FC_SAVEMEDIA(*md, false);
    reload();
  }
  // Saves the first `size` bytes of buf as a file of type B, without a message, and
  // reads the catalog again.
  TCATREC& save(const std::string& name, std::int32_t size) {
    TCATREC cr;
    cr.AGATNAME = agat_name(name);
    cr.EXT = 0x04;
    cr.SIZE = size;
    FC_SAVE(cr, buf, *md, false);
    EXPECT_EQ(take_critical_text(), "") << name;
    reload();
    return entry(name);
  }
  // The entry of that name; an exception ends the test when there is none.
  TCATREC& entry(const std::string& name) {
    TCATREC* e = find_entry(*md, name);
    if (e == nullptr) throw std::runtime_error("no entry " + name);
    return *e;
  }
  std::vector<std::uint8_t> image_bytes() const { return read_bytes(dir.file("t.img")); }
};

}  // namespace agat::testing
