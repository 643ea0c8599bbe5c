// blend with arguments: reads of one disk in different forms, each damaged on other tracks,
// blended in-process; the files written are decoded again through the core.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blend_command.h"
#include "core/blend_reads.h"
#include "core/image_build.h"
#include "support/temp_dir.h"

namespace {

using namespace agat;
using agat::testing::read_bytes;
using agat::testing::TempDir;
using agat::testing::write_bytes;
using Bytes = std::vector<std::uint8_t>;

struct Outcome {
  int status;
  std::string out, err;
};

std::string drain(std::FILE* f) {
  std::string text(static_cast<std::size_t>(std::ftell(f)), '\0');
  std::rewind(f);
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  return text;
}

Outcome blend_run(const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = blend::blend_command(args, out, err);
  return {status, drain(out), drain(err)};
}

// A disk whose every sector has bytes of its own.
std::vector<TTRACK> disk(TIMAGET form) {
  std::vector<TTRACK> tracks(IMAGEDESC[form].NTR + 1);
  for (std::size_t t = 0; t < tracks.size(); ++t)
    for (int s = 0; s <= MAXSECTOR; ++s)
      for (int i = 0; i < 256; ++i) tracks[t][s][i] = static_cast<std::uint8_t>(t * 29 + s * 7 + i);
  return tracks;
}

// The record of track T wiped out: no field of it can be found.
Bytes wipe_track(Bytes file, TIMAGET form, int t) {
  const std::size_t record = image_record_size(form);
  std::fill_n(file.begin() + image_header_size(form) + t * record, record, 0xFF);
  return file;
}

std::vector<BlendRead> load(const std::vector<std::string>& paths) {
  std::vector<BlendRead> reads;
  EXPECT_EQ(load_blend_reads(paths, reads), BlendLoad::ok);
  return reads;
}

// 800 KB: an AIM read without tracks 5 and 9, a nibble read without tracks 5 and 11, a plain
// read with sectors 5/0-5/2 and 9/20 unread, its byte copy, and three readings of 20/3 and
// 21/4. Whatever one read decoded comes back; only 5/0-5/2 stay bad everywhere.
TEST(BlendReadsTest, ReadsOfEveryKindRepairEachOther) {
  TempDir dir;
  const auto good = disk(ITI800);
  auto odd = good;
  odd[20][3][7] ^= 1;  // the plain read disagrees, alone against two
  odd[21][4][9] ^= 1;  // each read a content of its own: a tie
  auto nib_tracks = good;
  nib_tracks[21][4][9] ^= 2;
  const Bytes aim = wipe_track(wipe_track(image_file_bytes(ITA800, good), ITA800, 5), ITA800, 9);
  const Bytes nib =
      wipe_track(wipe_track(image_file_bytes(ITN800, nib_tracks), ITN800, 5), ITN800, 11);
  Bytes dsk = image_file_bytes(ITI800, odd);
  for (const int n : {5 * 21, 5 * 21 + 1, 5 * 21 + 2, 9 * 21 + 20})
    std::fill_n(dsk.begin() + n * 256, 256, UNREAD_FILL);
  const std::vector<std::string> reads = {dir.file("r.aim"), dir.file("n.nib"), dir.file("d.dsk"),
                                          dir.file("copy.dsk")};
  for (std::size_t i = 0; i < reads.size(); ++i)
    write_bytes(reads[i], i == 0 ? aim : i == 1 ? nib : dsk);

  struct Case {
    const char* form;    // --form, "" for the first read's
    const char* output;  // the file expected (every run ends with status 3: sectors lost)
    bool aim;            // AIM holds nothing of its wiped tracks but 5/0-5/2
    bool fill_decodes;   // a track encoded anew holds the unread sectors as the $BD fill
  };
  TSECTOR fill;
  fill.fill(UNREAD_FILL);
  for (const Case& c :
       {Case{"", "r.blend.aim", true, false}, Case{"dsk800", "o.dsk", false, false},
        Case{"nib800", "o.nib", false, true}, Case{"emu800", "o.emu", false, false}}) {
    SCOPED_TRACE(c.form);
    std::vector<std::string> args = reads;
    if (*c.form) args.insert(args.begin(), {"--form", c.form, "--output", dir.file(c.output)});
    const Outcome run = blend_run(args);
    ASSERT_EQ(run.status, 3) << run.err;
    const auto result = load({dir.file(c.output)});
    EXPECT_EQ(IMAGEDESC[result[0].form].form_name, *c.form ? c.form : "aim");
    for (int t = 0; t <= 159; ++t) {
      for (int s = 0; s <= 20; ++s) {
        const bool unread = t == 5 && s < 3;
        const bool bad = (unread && !c.fill_decodes) || (c.aim && (t == 9 || (t == 5 && !unread)));
        EXPECT_EQ((result[0].bad[t] >> s) & 1, bad ? 1u : 0u) << t << "/" << s;
        EXPECT_EQ(result[0].tracks[t][s], unread || bad ? fill : good[t][s]) << t << "/" << s;
      }
    }
    // The report: the conflicts, the sectors bad everywhere, the totals.
    for (const std::string& told :
         {"Сектор 20/3 взят из " + reads[0] + " по большинству, конфликт: " + reads[0] + ", " +
              reads[1] + " | " + reads[2],
          "Сектор 21/4 взят из " + reads[0] + " как из первого образа, конфликт не разрешён: " +
              reads[0] + " | " + reads[1] + " | " + reads[2],
          std::string(">>> Не прочитаны ни в одном образе...\n5/0\n5/1\n5/2\n\n"),
          std::string("Восстановлено: 60\nНе прочитано ни в одном образе: 3\n"
                      "Конфликтов: 2, из них не разрешено: 1\n"),
          std::string(", совпадает с 2")})
      EXPECT_NE(run.out.find(told), std::string::npos) << told << "\n" << run.out;
  }
}

// 140 KB: sectors named as the directory run names them, the JSON report, and the refusals
// that leave every file as it was.
TEST(BlendReadsTest, SmallDisksAndRefusals) {
  TempDir dir;
  const auto good = disk(ITI140);
  Bytes dsk = image_file_bytes(ITI140, good);
  std::fill_n(dsk.begin() + 37 * 256, 256, UNREAD_FILL);
  const Bytes nib = wipe_track(image_file_bytes(ITN140, good), ITN140, 2);
  write_bytes(dir.file("a.dsk"), dsk);
  write_bytes(dir.file("b.nib"), nib);
  write_bytes(dir.file("big.dsk"), image_file_bytes(ITI800, disk(ITI800)));
  write_bytes(dir.file("text.txt"), Bytes(1000, 'x'));

  Outcome run = blend_run({"--json", dir.file("a.dsk"), dir.file("b.nib")});
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.out.find("\"still_bad\":[\"37 [2/5]\"],\"totals\":{\"good\":544,\"repaired\":15,"
                         "\"bad\":1,\"conflicts\":0,\"unresolved\":0,\"lost\":0}}\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(read_bytes(dir.file("a.blend.dsk")).size(), 143360u);
  write_bytes(dir.file("b.dsk"), image_file_bytes(ITI140, good));
  run = blend_run({"--force", dir.file("a.dsk"), dir.file("b.dsk")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_bytes(dir.file("a.blend.dsk")), image_file_bytes(ITI140, good));
  // A read of a container form (WOZ) gives the output its records, packed into a file again.
  write_bytes(dir.file("c.woz"), image_file_bytes(ITW140, good));
  run = blend_run(
      {"--form", "woz", "--output", dir.file("o.woz"), dir.file("a.dsk"), dir.file("c.woz")});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto woz = load({dir.file("o.woz")});
  EXPECT_EQ(woz[0].form, ITW140);
  for (int t = 0; t <= 34; ++t) {
    EXPECT_EQ(woz[0].bad[t], 0u) << t;
    for (int s = 0; s <= 15; ++s) EXPECT_EQ(woz[0].tracks[t][s], good[t][s]) << t << "/" << s;
  }

  struct Refusal {  // each is refused with status 2
    std::vector<std::string> args;
    const char* message;
  };
  const Bytes before = read_bytes(dir.file("a.blend.dsk"));
  for (const Refusal& r : std::vector<Refusal>{
           {{dir.file("a.dsk"), dir.file("big.dsk")}, " другого размера, чем "},
           {{dir.file("a.dsk"), dir.file("text.txt")}, " не является образом диска"},
           {{dir.file("a.dsk"), dir.file("b.nib")}, " уже существует"},
           {{"--output", dir.file("b.nib"), "--force", dir.file("a.dsk"), dir.file("b.nib")},
            " - один из смешиваемых образов"},
           {{"--form", "aim", dir.file("a.dsk")}, "другого размера"},
           {{"--form", "aim2", dir.file("a.dsk")}, "неизвестная форма образа: aim2"},
           {{"--json"}, "не назван ни один образ"}}) {
    run = blend_run(r.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(r.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(read_bytes(dir.file("a.blend.dsk")), before);
  EXPECT_EQ(read_bytes(dir.file("b.nib")), nib);
  // Nothing but the reads and the outputs of the runs that succeeded.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 8);
}

}  // namespace
