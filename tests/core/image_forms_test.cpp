// The table of image forms and the codecs of their tracks: every form has one sound row, a
// file built whole from sectors loads as those sectors and saves back as the same build, and
// only the forms the table calls creatable are made anew.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/cp1251_literal.h"
#include "core/emulator_header.h"
#include "core/image_build.h"
#include "core/image_container.h"
#include "core/image_file.h"
#include "core/image_form.h"
#include "core/track_codecs.h"
#include "support/image_files.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::TempDir;

// The agatdisk names are what users type: each form keeps its own.
TEST(ImageForms, EveryFormHasOneSoundRow) {
  const struct {
    std::string_view name;
    bool creatable;
    int header, trailer;
  } want[IMAGE_TYPE_COUNT] = {
      {"dsk140", true, 0, 0},        {"dsk140t4", false, 0, 4}, {"dsk140t128", false, 0, 128},
      {"nib140", true, 0, 0},        {"dsk800", true, 0, 0},    {"dsk800t4", false, 0, 4},
      {"dsk800t128", false, 0, 128}, {"nib800", true, 0, 0},    {"aim", false, 0, 0},
      {"emu800", true, 256, 0},      {"hfe", true, 0, 0},       {"mfi800", true, 0, 0},
      {"woz", true, 0, 0},           {"mfi140", true, 0, 0},
  };
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t) {
    const auto form = static_cast<TIMAGET>(t);
    const TIMAGEDESC& d = IMAGEDESC[form];
    SCOPED_TRACE(d.form_name);
    EXPECT_EQ(d.form, form);
    EXPECT_EQ(d.form_name, want[t].name);
    EXPECT_EQ(d.creatable, want[t].creatable);
    EXPECT_EQ(d.header, want[t].header);
    EXPECT_EQ(d.trailer, want[t].trailer);
    TIMAGET found = ITA800;
    EXPECT_TRUE(image_type_of_name(d.form_name, found) && found == form);
    found = ITA800;
    // A container form is known by its signature alone.
    EXPECT_EQ(image_type_of_size(static_cast<std::uint64_t>(d.FULLSIZE), found) && found == form,
              image_container(form) == nullptr);
    const TrackCodec& codec = track_codec(form);
    EXPECT_EQ(codec.form, form);
    EXPECT_EQ(codec.record, image_record_size(form));
    EXPECT_EQ(codec.stream, codec.record != (d.NSC + 1u) * sizeof(TSECTOR));
    EXPECT_EQ(image_header_size(form) + image_data_size(form) + d.trailer,
              static_cast<std::size_t>(d.FULLSIZE));
    EXPECT_EQ(d.menu_label.empty(), !d.creatable);
    EXPECT_EQ(d.extension.front(), '.');
  }
  TIMAGET found = ITI140;
  for (std::string_view name : {"", "DSK140", "aim800", "dsk140 ", "dsk"})
    EXPECT_FALSE(image_type_of_name(name, found)) << name;
}

class BuiltImageTest : public CoreTest, public ::testing::WithParamInterface<TIMAGET> {};

// A built file has the form's size and is recognised as it; plain forms hold the sectors
// track after track. It loads as its sectors with none unwritable or odd, and the
// description where the form holds one. A changed sector saved back gives the file that a
// build of the changed sectors gives, the bytes of the header around the description and
// of the trailer (random here) kept: the codec's reader, writer and encoder agree, and a
// save rewrites nothing else.
TEST_P(BuiltImageTest, LoadsAsItsSectorsAndSavesAsTheSameBuild) {
  TempDir dir;
  const TIMAGET form = GetParam();
  const TIMAGEDESC& d = IMAGEDESC[form];
  std::vector<TTRACK> tracks(d.NTR + 1u);
  for (std::size_t t = 0; t < tracks.size(); ++t) tracks[t] = testing::random_track(t + 100);
  const std::string description("Диск"_w);
  const auto built = [&] {
    auto bytes = image_file_bytes(form, tracks, description);
    std::mt19937 rng(11);  // past the signature, but for the description and its length
    for (std::size_t i = 33; i < static_cast<std::size_t>(d.header); ++i)
      if (i < EMU_DESCRIPTION_LENGTH || i >= EMU_DESCRIPTION + description.size())
        bytes[i] = static_cast<std::uint8_t>(rng());
    for (std::size_t i = bytes.size() - d.trailer; i < bytes.size(); ++i)
      bytes[i] = static_cast<std::uint8_t>(rng());
    return bytes;
  };
  const auto file = built();
  // A container's file is packed to a length of its own and has no fixed place for sectors.
  const bool box = image_container(form) != nullptr;
  if (!box) {
    ASSERT_EQ(file.size(), static_cast<std::size_t>(d.FULLSIZE));
  }
  for (int t = 0; t <= d.NTR && !track_codec(form).stream && !box; ++t)
    for (int s = 0; s <= d.NSC; ++s)
      ASSERT_TRUE(std::equal(tracks[t][s].begin(), tracks[t][s].end(),
                             &file[d.header + (t * (d.NSC + 1) + s) * 256]))
          << t << "/" << s;
  testing::write_bytes(dir.file("disk.img"), file);
  TIMAGET found = form == ITI140 ? ITI800 : ITI140;
  ASSERT_TRUE(image_type_of_file(dir.file("disk.img"), file.size(), found));
  EXPECT_EQ(found, form);

  auto md = testing::load(dir, "disk.img", form);
  ASSERT_TRUE(FC_CRITICALERRORBUFFER.empty()) << FC_CRITICALERRORBUFFER;
  EXPECT_EQ(md->DESCRIPTION, form_has_description(form) ? description : "");
  for (int t = 0; t <= d.NTR; ++t) {
    EXPECT_EQ(md->unwritable[t], 0u) << t;
    for (int s = 0; s <= d.NSC; ++s) {
      ASSERT_EQ(md->MASS[t][s], tracks[t][s]) << t << "/" << s;
      ASSERT_EQ(md->nonstandard[t][s], 0) << t << "/" << s;
    }
  }

  md->MASS[d.NTR][d.NSC].fill(0x5A);
  tracks[d.NTR][d.NSC].fill(0x5A);
  md->MASS[0][0][7] ^= 0xFF;
  tracks[0][0][7] ^= 0xFF;
  FC_SAVEMEDIA(*md, false);
  ASSERT_TRUE(FC_CRITICALERRORBUFFER.empty()) << FC_CRITICALERRORBUFFER;
  EXPECT_EQ(testing::read_bytes(dir.file("disk.img")), built());
}

INSTANTIATE_TEST_SUITE_P(AllForms, BuiltImageTest, ::testing::ValuesIn(testing::all_forms()),
                         testing::ImageTypeName());

// A new file is made in the creatable forms only, with the form's size; the others make
// none (AIM says why). The builder makes nothing of too few tracks or an unknown form.
class NewImageForms : public CoreTest {};

TEST_F(NewImageForms, OnlyCreatableFormsAreMadeAnew) {
  TempDir dir;
  for (const TIMAGEDESC& d : IMAGEDESC) {
    SCOPED_TRACE(d.form_name);
    const std::string name = "new" + std::string(d.form_name);
    auto md = testing::image_medium(dir.host_path(), name, d.form);
    FC_INITMEDIA(*md);
    EXPECT_EQ(testing::take_critical(), "");
    const auto path = testing::fs_path(dir.file(name));
    std::error_code ec;
    const std::uintmax_t size =
        std::filesystem::exists(path) ? std::filesystem::file_size(path, ec) : 0;
    if (image_container(d.form) != nullptr)  // a container's file has a size of its own
      EXPECT_EQ(size != 0, d.creatable);
    else
      EXPECT_EQ(size, d.creatable ? static_cast<std::uintmax_t>(d.FULLSIZE) : 0);
  }
  auto aim = testing::image_medium(dir.host_path(), "new.aim", ITA800);
  FC_SAVEMEDIA(*aim, true);
  EXPECT_EQ(testing::take_critical(),
            std::string("Запись образа: образ AIM не может быть создан\r\n"_w));
  const std::vector<TTRACK> few(34);
  EXPECT_TRUE(image_file_bytes(ITI140, few).empty());
  EXPECT_TRUE(image_file_bytes(static_cast<TIMAGET>(IMAGE_TYPE_COUNT), few).empty());
}

}  // namespace
}  // namespace agat
