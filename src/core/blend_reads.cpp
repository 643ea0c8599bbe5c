#include "core/blend_reads.h"

#include <algorithm>
#include <memory>

#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/host_fs.h"
#include "core/host_paths.h"
#include "core/image_file.h"
#include "core/image_form.h"
#include "core/track_codecs.h"

namespace agat {

namespace {

std::string shown(const std::string& path) {
  return host_to_cp1251(path);
}

bool is_fill(const TSECTOR& sector) {
  return std::all_of(sector.begin(), sector.end(), [](std::uint8_t b) { return b == UNREAD_FILL; });
}

// Decodes the file through the core's load, which fills the sectors a track form did not
// decode with $BD and notes them as unwritable; a plain form knows no more than the fill.
bool decode_read(TMEDIA& md, BlendRead& read) {
  md.MEDIAT = MDIMAGE;
  md.HOSTPATH.clear();
  md.IMAGENAME = read.path;
  md.IMAGET = read.form;
  set_geometry(md, read.form);
  const std::size_t before = FC_CRITICALERRORBUFFER.size();
  FC_LOADMEDIA(md);
  if (FC_CRITICALERRORBUFFER.size() != before) return false;
  const bool stream = track_codec(read.form).stream;
  read.description = md.DESCRIPTION;
  read.tracks.assign(md.MASS.begin(), md.MASS.begin() + md.NUMTR + 1);
  read.bad.assign(md.NUMTR + 1, 0);
  for (int t = 0; t <= md.NUMTR; ++t) {
    if (stream) {
      read.bad[t] = md.unwritable[t];
      continue;
    }
    for (int s = 0; s <= md.NUMSC; ++s)
      if (is_fill(md.MASS[t][s])) read.bad[t] |= 1u << s;
  }
  return true;
}

}  // namespace

BlendLoad load_blend_reads(const std::vector<std::string>& paths, std::vector<BlendRead>& reads) {
  reads.clear();
  auto md = std::make_unique<TMEDIA>();
  for (const std::string& path : paths) {
    BlendRead read;
    read.path = path;
    const HostStatus status = host_status(path);
    if (status.kind != HostKind::regular || !image_type_of_file(path, status.size, read.form)) {
      report_critical(std::string("Смешивание: файл "_w) + shown(path) +
                      std::string(" не является образом диска"_w));
      return BlendLoad::refused;
    }
    const TIMAGEDESC& desc = IMAGEDESC[read.form];
    if (!reads.empty() &&
        (desc.NTR != IMAGEDESC[reads[0].form].NTR || desc.NSC != IMAGEDESC[reads[0].form].NSC)) {
      report_critical(std::string("Смешивание: образ "_w) + shown(path) +
                      std::string(" другого размера, чем "_w) + shown(reads[0].path));
      return BlendLoad::refused;
    }
    if (!decode_read(*md, read)) {
      report_critical(std::string("Смешивание: образ "_w) + shown(path) +
                      std::string(" не прочитан"_w));
      return BlendLoad::failed;
    }
    read.size = status.size;
    read.digest = md->loaded_digest.value_or(0);
    // Reads of equal bytes decode alike and have one digest: only those are compared whole.
    for (std::size_t k = 0; k < reads.size() && read.duplicate_of < 0; ++k) {
      const BlendRead& other = reads[k];
      if (other.duplicate_of >= 0 || other.size != read.size || other.digest != read.digest ||
          other.bad != read.bad)
        continue;
      std::vector<std::uint8_t> a, b;
      if (read_file(other.path, a) == FileIoResult::ok &&
          read_file(read.path, b) == FileIoResult::ok && a == b)
        read.duplicate_of = static_cast<int>(k);
    }
    reads.push_back(std::move(read));
  }
  return BlendLoad::ok;
}

BlendResult blend_sectors(const std::vector<BlendRead>& reads) {
  BlendResult r;
  r.NTR = IMAGEDESC[reads[0].form].NTR;
  r.NSC = IMAGEDESC[reads[0].form].NSC;
  r.form = reads[0].form;
  r.tracks.assign(r.NTR + 1, TTRACK{});
  for (auto& track : r.tracks)
    for (auto& sector : track) sector.fill(UNREAD_FILL);
  r.sectors.resize((r.NTR + 1) * (r.NSC + 1));
  std::vector<int> voters;
  for (std::size_t k = 0; k < reads.size(); ++k)
    if (reads[k].duplicate_of < 0) voters.push_back(static_cast<int>(k));
  std::vector<std::vector<int>> sides;
  for (int t = 0; t <= r.NTR; ++t) {
    for (int s = 0; s <= r.NSC; ++s) {
      sides.clear();
      bool some_bad = false;
      for (const int k : voters) {
        if (reads[k].bad[t] & (1u << s)) {
          some_bad = true;
          continue;
        }
        const TSECTOR& copy = reads[k].tracks[t][s];
        auto side = std::find_if(sides.begin(), sides.end(), [&](const std::vector<int>& v) {
          return reads[v[0]].tracks[t][s] == copy;
        });
        if (side == sides.end())
          sides.push_back({k});
        else
          side->push_back(k);
      }
      BlendSector& out = r.sectors[t * (r.NSC + 1) + s];
      if (sides.empty()) {
        ++r.bad;
        continue;
      }
      // The first of the largest sides: the one of the earliest read when the vote is tied.
      std::size_t win = 0;
      bool tied = false;
      for (std::size_t i = 1; i < sides.size(); ++i) {
        if (sides[i].size() > sides[win].size()) {
          win = i;
          tied = false;
        } else if (sides[i].size() == sides[win].size()) {
          tied = true;
        }
      }
      out.from = sides[win][0];
      r.tracks[t][s] = reads[out.from].tracks[t][s];
      if (sides.size() > 1) {
        std::rotate(sides.begin(), sides.begin() + win, sides.begin() + win + 1);
        out.sides = sides;
        out.outcome = tied ? BlendOutcome::unresolved : BlendOutcome::resolved;
        ++r.conflicts;
        if (tied) ++r.unresolved;
        if (some_bad) ++r.repaired;
      } else if (some_bad) {
        out.outcome = BlendOutcome::repaired;
        ++r.repaired;
      } else {
        out.outcome = BlendOutcome::good;
        ++r.good;
      }
    }
  }
  return r;
}

std::string default_blend_output(const std::string& first) {
  const std::size_t base = first.find_last_of(std::string{'/', HOST_SEPARATOR});
  const std::size_t dot = first.rfind('.');
  if (dot == std::string::npos || (base != std::string::npos && dot < base) ||
      dot == (base == std::string::npos ? 0 : base + 1))
    return first + ".blend";
  return first.substr(0, dot) + ".blend" + first.substr(dot);
}

}  // namespace agat
