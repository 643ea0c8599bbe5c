// Blending several reads of one disk into one image: the reads are image files of any form
// and of one disk size; for each sector the good copies (decoded with good checksums in the
// track forms, anything but the $BD fill in the plain ones) vote, and the content that most
// reads hold is taken. Used by the blend program and by the file manager's image menu; like
// the rest of the core it never prints: failures go to the critical buffer, the report is
// made as lines the caller shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/world_formats.h"

namespace agat {

// One read as its file holds it and as it decodes.
struct BlendRead {
  std::string path;  // host name, as given
  TIMAGET form{};
  std::uint64_t size = 0;           // of the file
  std::uint64_t digest = 0;         // of its bytes, as the load took it
  std::vector<std::uint8_t> bytes;  // the whole file, read when an output of its form needs it
  std::vector<std::uint8_t> records;  // of a container form: the track records its file unpacks to
  std::vector<TTRACK> tracks;       // tracks 0..NTR as the load decoded them
  std::vector<std::uint32_t> bad;   // per track, bit S: sector S did not decode
  std::string description;          // of an emulator header (Windows-1251)
  int duplicate_of = -1;            // an earlier read with the same bytes, which counts alone
};

enum class BlendOutcome : std::uint8_t {
  good,        // every read decoded it, and all hold the same bytes
  repaired,    // some read did not decode it; the others agree
  resolved,    // good copies disagree; the majority's copy was taken
  unresolved,  // good copies disagree, the vote is tied; the first read's copy was taken
  bad,         // no read decoded it
};

struct BlendSector {
  BlendOutcome outcome = BlendOutcome::bad;
  int from = -1;                        // the read whose copy was taken
  std::vector<std::vector<int>> sides;  // of a conflict: the reads of each content, taken first
  bool lost = false;                    // good in some read, but the output form cannot hold it
};

struct BlendResult {
  std::uint8_t NTR = 0;  // geometry of the reads
  std::uint8_t NSC = 0;
  std::vector<TTRACK> tracks;        // the sectors taken
  std::vector<BlendSector> sectors;  // sector S of track T at T * (NSC + 1) + S
  std::string output;                // the file written
  TIMAGET form{};                    // its form
  int good = 0, repaired = 0, bad = 0, conflicts = 0, unresolved = 0;
  int lost = 0;  // sectors marked lost
};

enum class BlendLoad : std::uint8_t { ok, refused, failed };

// Loads the reads in order. refused: a file is no image or of another disk size than the
// first (nothing more is read); failed: a file could not be read. The message names the file.
BlendLoad load_blend_reads(const std::vector<std::string>& paths, std::vector<BlendRead>& reads);

// The vote over every sector of the reads (at least one, all of one geometry).
BlendResult blend_sectors(const std::vector<BlendRead>& reads);

// "disk.blend.aim" for "disk.aim": the name with ".blend" before its extension.
std::string default_blend_output(const std::string& first);

// The bytes of the result in FORM: a copy of the first read of that form with each track
// brought up to date, or, when no read has it, a new file of it. Marks as lost the sectors
// that the form cannot hold. refused (with a message) when FORM is not of the reads' size, or is
// a form that cannot be made anew and no read has it; failed when a read of that form can no
// longer be read.
enum class BlendWrite : std::uint8_t { ok, refused, failed };
BlendWrite build_blend_image(std::vector<BlendRead>& reads, TIMAGET form, BlendResult& result,
                             std::vector<std::uint8_t>& bytes);

// Writes BYTES as PATH: refused when PATH is one of the reads, or exists and FORCE is not
// given; failed when the host would not write it.
BlendWrite write_blend_image(const std::vector<BlendRead>& reads, const std::string& path,
                             const std::vector<std::uint8_t>& bytes, bool force);

// The whole blend of the files PATHS into OUTPUT (default_blend_output of the first when
// empty) in FORM (the first read's when none): 0 when every sector came out good and no
// conflict is left open, 3 when some did not, 2 for reads or an output that cannot be used,
// 1 for a failure; the message is in the critical buffer.
int blend_files(const std::vector<std::string>& paths, std::optional<TIMAGET> form,
                const std::string& output, bool force, std::vector<BlendRead>& reads,
                BlendResult& result);

// The report in Windows-1251, one line a string: where each sector that was bad or in a
// conflict in any read came from, the sectors bad in every read, the totals.
std::vector<std::string> blend_report_lines(const std::vector<BlendRead>& reads,
                                            const BlendResult& result);
// The same as one JSON object (UTF-8).
std::string blend_report_json(const std::vector<BlendRead>& reads, const BlendResult& result);

// A sector's place as reports name it: "37 [2/5]" on a 140 KB disk, "5/3" on an 800 KB one.
std::string blend_sector_name(const BlendResult& result, int track, int sector);

}  // namespace agat
