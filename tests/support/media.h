// Media for tests: new images made through the core, and raw sector access.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/file_control.h"
#include "core/host_file_faults.h"
#include "core/image_build.h"
#include "core/image_file.h"

namespace agat::testing {

// The form's agatdisk name, which names parameterised tests and sample files.
inline std::string image_type_name(TIMAGET type) {
  return type < IMAGE_TYPE_COUNT ? std::string(IMAGEDESC[type].form_name) : "unknown";
}

// Every form of the table, in its order; those a new file can have.
inline std::vector<TIMAGET> all_forms() {
  std::vector<TIMAGET> forms;
  for (const TIMAGEDESC& d : IMAGEDESC) forms.push_back(d.form);
  return forms;
}
inline std::vector<TIMAGET> creatable_forms() {
  std::vector<TIMAGET> forms;
  for (const TIMAGEDESC& d : IMAGEDESC)
    if (d.creatable) forms.push_back(d.form);
  return forms;
}

// Names parameterised tests after the image type.
struct ImageTypeName {
  std::string operator()(const ::testing::TestParamInfo<TIMAGET>& info) const {
    return image_type_name(info.param);
  }
};

// A sector of 256 equal bytes; kUnread is the sector the codecs give for one not read.
inline TSECTOR filled(std::uint8_t b) {
  TSECTOR s;
  s.fill(b);
  return s;
}
inline const TSECTOR kUnread = filled(UNREAD_FILL);

// 21 sectors of random bytes, the same for the same seed.
inline TTRACK random_track(unsigned seed) {
  std::mt19937 rng(seed);
  TTRACK t;
  for (auto& s : t)
    for (auto& b : s) b = static_cast<std::uint8_t>(rng());
  return t;
}

inline std::unique_ptr<TMEDIA> new_medium() {
  return std::make_unique<TMEDIA>();
}

// A medium on image file `name` in `dir` of the given type (nothing loaded yet).
inline std::unique_ptr<TMEDIA> image_medium(const std::string& dir, const std::string& name,
                                            TIMAGET type) {
  auto md = new_medium();
  md->MEDIAT = MDIMAGE;
  md->HOSTPATH = dir;
  md->IMAGENAME = name;
  set_geometry(*md, type);
  return md;
}

// Creates a new empty image through the core; fails the test on any message.
inline std::unique_ptr<TMEDIA> create_image(const std::string& dir, const std::string& name,
                                            TIMAGET type) {
  auto md = image_medium(dir, name, type);
  FC_INITMEDIA(*md);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  return md;
}

// An emulator's header as it writes one: the flag and the description "Тест памяти Агат-9
// (КС=19176)" in code page 866 (made apart from the core, to check the core against it).
inline std::vector<std::uint8_t> emulator_header_bytes(char flag) {
  std::string h =
      "Agathe emulator virtual disk\r\n\x1A"
      "AD";
  h.resize(0x30);
  h += std::string{flag, 0, 29} +
       "\x92\xA5\xE1\xE2 \xAF\xA0\xAC\xEF\xE2\xA8 \x80\xA3\xA0\xE2-9 (\x8A\x91=19176)";
  h.resize(256);
  return {h.begin(), h.end()};
}

// Empties both message buffers and returns what the critical one held.
inline std::string take_critical() {
  std::string text = FC_CRITICALERRORBUFFER;
  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
  return text;
}

// The same as UTF-8 text, for comparing with literals.
inline std::string take_critical_text() {
  return cp1251_to_utf8(take_critical());
}

// The core's program-wide state as a program starts: empty message buffers, no progress
// procedure, no host-file faults. The file manager's whole state is reset_program_state's
// (support/program_state.h), which starts with this.
inline void reset_core_state() {
  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
  PROGRESSPROC = nullptr;
  set_host_file_fault_hook({});
}

// Every test starts and ends with the core's state reset.
class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { reset_core_state(); }
};

}  // namespace agat::testing
