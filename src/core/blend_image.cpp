// The image a blend writes, and the whole blend of a list of files.
#include <algorithm>
#include <cstring>
#include <span>

#include "core/blend_reads.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/host_fs.h"
#include "core/image_build.h"
#include "core/image_container.h"
#include "core/image_file.h"
#include "core/track_codecs.h"
#include "core/track_update.h"

namespace agat {

namespace {

std::string form_word(TIMAGET form) {
  const std::string_view name = IMAGEDESC[form].SHNAME;
  return std::string(name.substr(0, name.find(' ')));
}

// Whether the file of read K holds its bytes, read once when first needed: they must still be
// what was loaded. A container's file is unpacked into its track records too.
bool load_bytes(BlendRead& read) {
  int error = 0;
  if (!read.bytes.empty()) return true;
  if (read_file(read.path, read.bytes, &error) != FileIoResult::ok ||
      read.bytes.size() != read.size) {
    report_critical(std::string("Смешивание: ошибка чтения файла "_w) +
                    host_to_cp1251(read.path) + host_error_suffix(error));
    read.bytes.clear();
    return false;
  }
  const ImageContainer* box = image_container(read.form);
  if (box == nullptr) return true;
  read.records.assign(image_data_size(read.form), 0);
  std::string description;
  const std::string warned = FC_WARNINGBUFFER;  // what the file lacks, the load has said
  const bool unpacked = box->unpack(read.bytes, read.records, description);
  FC_WARNINGBUFFER = warned;
  if (!unpacked) read.bytes.clear();
  return unpacked;
}

// The track records of a read whose bytes are loaded: its file past the header, or what a
// container's file unpacks to.
const std::uint8_t* records_of(const BlendRead& read) {
  return image_container(read.form) != nullptr ? read.records.data()
                                               : read.bytes.data() + image_header_size(read.form);
}

// Brings track T of a track form up to date in RECORD, the first read's record of it. The
// record of the first read of the form that can take every sector taken is used (a sector
// that no read decoded keeps that read's bytes there, for a better reader to try); failing
// that, the track is encoded anew where the form allows, else the sectors that the first
// record has no field for stay as they are and are lost. False when a file cannot be read.
bool update_track(std::vector<BlendRead>& reads, const std::vector<int>& same, TIMAGET form, int t,
                  std::span<std::uint8_t> record, BlendResult& result) {
  const TrackCodec& codec = track_codec(form);
  const TTRACK& want = result.tracks[t];
  const int sectors = result.NSC + 1;
  std::vector<std::uint8_t> trial(record.size());
  TrackUpdateFailure failure;
  for (const int k : same) {
    // A record can take only the changes of sectors it has fields for.
    bool fits = true;
    for (int s = 0; s < sectors && fits; ++s)
      fits = (reads[k].bad[t] & (1u << s)) == 0 || want[s] == reads[k].tracks[t][s];
    if (!fits) continue;
    if (!load_bytes(reads[k])) return false;
    std::memcpy(trial.data(), records_of(reads[k]) + t * record.size(), record.size());
    if (update_track_record(form, trial, static_cast<std::uint8_t>(t), want, sectors, failure)) {
      std::copy(trial.begin(), trial.end(), record.begin());
      return true;
    }
  }
  if (codec.new_tracks) {
    codec.encode(record, static_cast<std::uint8_t>(t), want);
    return true;
  }
  const BlendRead& first = reads[same[0]];
  TTRACK kept = want;
  for (int s = 0; s < sectors; ++s) {
    if ((first.bad[t] & (1u << s)) == 0) continue;
    BlendSector& sector = result.sectors[t * sectors + s];
    if (sector.from >= 0 && !sector.lost) {
      sector.lost = true;
      ++result.lost;
    }
    kept[s] = first.tracks[t][s];
  }
  update_track_record(form, record, static_cast<std::uint8_t>(t), kept, sectors, failure);
  return true;
}

}  // namespace

BlendWrite build_blend_image(std::vector<BlendRead>& reads, TIMAGET form, BlendResult& result,
                             std::vector<std::uint8_t>& bytes) {
  const TIMAGEDESC& desc = IMAGEDESC[form];
  const TrackCodec& codec = track_codec(form);
  result.form = form;
  if (desc.NTR != result.NTR || desc.NSC != result.NSC) {
    report_critical(std::string("Смешивание: образ "_w) + form_word(form) +
                    std::string(" другого размера, чем смешиваемые образы"_w));
    return BlendWrite::refused;
  }
  std::vector<int> same;
  for (std::size_t k = 0; k < reads.size(); ++k)
    if (reads[k].form == form && reads[k].duplicate_of < 0) same.push_back(static_cast<int>(k));
  if (same.empty()) {
    if (codec.new_tracks) bytes = image_file_bytes(form, result.tracks, reads[0].description);
    if (!codec.new_tracks || bytes.empty()) {
      report_critical(
          std::string("Смешивание: образ "_w) + form_word(form) +
          std::string(" не может быть создан, а среди смешиваемых образов такого нет"_w));
      return BlendWrite::refused;
    }
    return BlendWrite::ok;
  }
  const BlendRead& first = reads[same[0]];
  if (!load_bytes(reads[same[0]])) return BlendWrite::failed;
  const ImageContainer* box = image_container(form);
  std::vector<std::uint8_t> records = box != nullptr ? first.records : first.bytes;
  const std::size_t header = box != nullptr ? 0 : image_header_size(form);
  const std::size_t record = image_record_size(form);
  for (int t = 0; t <= result.NTR; ++t) {
    const std::span<std::uint8_t> at(records.data() + header + t * record, record);
    if (codec.stream) {
      if (!update_track(reads, same, form, t, at, result)) return BlendWrite::failed;
    } else {
      std::memcpy(at.data(), result.tracks[t][0].data(), record);
    }
  }
  if (box == nullptr) {
    bytes.swap(records);
    return BlendWrite::ok;
  }
  // A container's file is packed anew of the records, the rest kept from the first read's.
  return box->pack(records, first.bytes, first.description, bytes) ? BlendWrite::ok
                                                                    : BlendWrite::failed;
}

BlendWrite write_blend_image(const std::vector<BlendRead>& reads, const std::string& path,
                             const std::vector<std::uint8_t>& bytes, bool force) {
  const std::string name = host_to_cp1251(path);
  for (const BlendRead& read : reads) {
    if (same_host_object(path, read.path)) {
      report_critical(std::string("Смешивание: файл "_w) + name +
                      std::string(" - один из смешиваемых образов, он не будет заменён"_w));
      return BlendWrite::refused;
    }
  }
  const HostKind kind = host_link_status(path).kind;
  if (kind != HostKind::missing && (!force || host_status(path).kind != HostKind::regular)) {
    report_critical(std::string("Смешивание: файл "_w) + name + std::string(" уже существует"_w));
    return BlendWrite::refused;
  }
  int error = 0;
  const FileIoResult written = kind == HostKind::missing
                                   ? create_file(path, bytes.data(), bytes.size(), &error)
                                   : replace_file(path, bytes.data(), bytes.size(), &error);
  if (written == FileIoResult::ok) return BlendWrite::ok;
  report_critical(std::string("Смешивание: ошибка записи файла "_w) + name +
                  host_error_suffix(error));
  return BlendWrite::failed;
}

int blend_files(const std::vector<std::string>& paths, std::optional<TIMAGET> form,
                const std::string& output, bool force, std::vector<BlendRead>& reads,
                BlendResult& result) {
  if (paths.empty()) return 2;
  switch (load_blend_reads(paths, reads)) {
    case BlendLoad::ok:
      break;
    case BlendLoad::refused:
      return 2;
    case BlendLoad::failed:
      return 1;
  }
  result = blend_sectors(reads);
  std::vector<std::uint8_t> bytes;
  result.output = output.empty() ? default_blend_output(paths[0]) : output;
  BlendWrite done = build_blend_image(reads, form.value_or(reads[0].form), result, bytes);
  if (done == BlendWrite::ok) done = write_blend_image(reads, result.output, bytes, force);
  switch (done) {
    case BlendWrite::ok:
      break;
    case BlendWrite::refused:
      return 2;
    case BlendWrite::failed:
      return 1;
  }
  return result.bad == 0 && result.lost == 0 && result.unresolved == 0 ? 0 : 3;
}

}  // namespace agat
