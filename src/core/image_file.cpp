#include "core/image_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/cp1251_literal.h"
#include "core/emulator_header.h"
#include "core/file_control_messages.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/image_container.h"
#include "core/image_lock.h"
#include "core/track_codecs.h"
#include "core/track_update.h"
#include "core/track_workers.h"

namespace agat {

TPROGRESSPROC PROGRESSPROC = nullptr;

namespace {

void report_progress(int track, int last_track) {
  if (PROGRESSPROC == nullptr) return;
  // T x 100 / last track, rounded to the nearest integer (there are no halves here).
  const int percent = last_track == 0 ? 100 : (track * 200 + last_track) / (2 * last_track);
  PROGRESSPROC(static_cast<std::uint8_t>(percent));
}

std::string image_path(const TMEDIA& md) {
  return md.HOSTPATH + md.IMAGENAME;
}

// The whole image file is read into one buffer that lives as long as its thread.
std::vector<std::uint8_t>& file_buffer() {
  thread_local std::vector<std::uint8_t> buffer;
  return buffer;
}

// The first word of the form's short name ("AIM"), as messages name it.
std::string form_word(TIMAGET type) {
  const std::string_view name = IMAGEDESC[type].SHNAME;
  return std::string(name.substr(0, name.find(' ')));
}

bool is_track_form(TIMAGET type) {
  return track_codec(type).stream;
}

// Geometry and type must agree, or the track loops below would leave the arrays.
bool geometry_is_sound(const TMEDIA& md) {
  return md.IMAGET < IMAGE_TYPE_COUNT && md.NUMTR == IMAGEDESC[md.IMAGET].NTR &&
         md.NUMSC == IMAGEDESC[md.IMAGET].NSC;
}

// A digest of bytes that come in pieces: the same bytes give the same digest however they
// are cut. Images are read and saved whole on every change, so it runs at memory speed:
// eight independent lanes, each taking two 8-byte words a step with one multiply, joined
// at the end. A step is one to one in the lane and in each word, so a change of one word
// always changes the digest.
class ImageDigest {
 public:
  void add(const std::uint8_t* p, std::size_t n) {
    length_ += n;
    if (filled_ > 0) {
      const std::size_t take = std::min(n, sizeof block_ - filled_);
      std::memcpy(block_ + filled_, p, take);
      filled_ += take;
      p += take;
      n -= take;
      if (filled_ < sizeof block_) return;
      mix(block_);
      filled_ = 0;
    }
    for (; n >= sizeof block_; p += sizeof block_, n -= sizeof block_) mix(p);
    if (n > 0) std::memcpy(block_, p, n);
    filled_ = n;
  }
  std::uint64_t value() {
    if (filled_ > 0) {
      std::memset(block_ + filled_, 0, sizeof block_ - filled_);
      mix(block_);
      filled_ = 0;
    }
    std::uint64_t h = length_;
    for (const std::uint64_t lane : lanes_) h = (h ^ lane ^ (lane >> 31)) * kPrime;
    return h ^ (h >> 29);
  }

 private:
  static constexpr std::uint64_t kPrime = 0x100000001B3ull;
  static constexpr int kLanes = 8;
  void mix(const std::uint8_t* block) {
    for (int i = 0; i < kLanes; ++i) {
      std::uint64_t w[2];
      std::memcpy(w, block + 16 * i, sizeof w);
      lanes_[i] = (lanes_[i] ^ w[0]) * kPrime + w[1];
    }
  }
  std::uint64_t lanes_[kLanes] = {
      0xCBF29CE484222325ull, 0x84222325CBF29CE4ull, 0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full,
      0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull, 0xFF51AFD7ED558CCDull, 0xC4CEB9FE1A85EC53ull};
  std::uint64_t length_ = 0;
  std::uint8_t block_[16 * kLanes]{};
  std::size_t filled_ = 0;
};

std::uint64_t digest_of(const std::vector<std::uint8_t>& data, std::size_t size) {
  ImageDigest d;
  d.add(data.data(), size);
  return d.value();
}

}  // namespace

bool is_sector_writable(const TMEDIA& MD, std::uint8_t TR, std::uint8_t SC) {
  if (MD.MEDIAT != MDIMAGE || TR > MD.NUMTR || SC > MD.NUMSC || SC >= 32) return true;
  return (MD.unwritable[TR] & (1u << SC)) == 0;
}

void FC_LOADMEDIA(TMEDIA& MD) {
  if (MD.MEDIAT != MDIMAGE) return;
  MD.loaded_digest.reset();
  if (!geometry_is_sound(MD)) {
    report_critical("Чтение образа: неизвестный тип образа"_w);
    return;
  }
  auto& data = file_buffer();
  const std::string path = image_path(MD);
  const std::size_t record = image_record_size(MD.IMAGET);
  const std::size_t header = image_header_size(MD.IMAGET);
  // The plain forms go straight into the sectors; the track forms and the header first into
  // the file buffer. Either read checks the file's length before it reads, so a file that
  // is too short leaves the sectors as they were.
  const bool plain = !is_track_form(MD.IMAGET);
  // Tracks that fill their place in memory lie one after another there as in the file: one
  // part takes them all.
  std::vector<std::span<std::uint8_t>> tracks;
  if (plain) {
    tracks.reserve(MD.NUMTR + 1u);
    for (int t = 0; t <= MD.NUMTR; ++t) {
      std::uint8_t* at = MD.MASS[t][0].data();
      if (!tracks.empty() && tracks.back().data() + tracks.back().size() == at)
        tracks.back() =
            std::span<std::uint8_t>(tracks.back().data(), tracks.back().size() + record);
      else
        tracks.emplace_back(at, record);
    }
  }
  int error = 0;
  FileIoResult result = FileIoResult::ok;
  // A container form is read whole and unpacked into its track records below.
  const ImageContainer* box = image_container(MD.IMAGET);
  if (box != nullptr)
    result = read_file(path, data, &error);
  else if (!plain || header != 0)
    result =
        read_file_prefix(path, plain ? header : header + image_data_size(MD.IMAGET), data, &error);
  // The file may have been replaced by another since it was listed as this form.
  const bool header_lost = result == FileIoResult::ok && header != 0 && !is_emulator_header(data);
  if (result == FileIoResult::ok && plain && !header_lost)
    result = read_file_parts(path, header, tracks, &error);
  switch (result) {
    case FileIoResult::ok:
      break;
    case FileIoResult::open_failed:
      report_critical(std::string("Чтение образа: ошибка открытия файла"_w) +
                      host_error_suffix(error));
      return;
    default:
      report_critical(
          std::string("Чтение образа: ошибка чтения файла"_w) +
          (error == 0 ? std::string(" (файл короче образа)"_w) : host_error_suffix(error)));
      return;
  }
  if (header_lost) {
    report_critical("Чтение образа: в файле нет заголовка образа эмулятора"_w);
    return;
  }
  ImageDigest digest;
  digest.add(data.data(), box != nullptr ? data.size()
                          : plain        ? header
                                         : header + image_data_size(MD.IMAGET));
  // Not cleared: the unpacking writes every byte of the records.
  const std::size_t records_size = box != nullptr ? image_data_size(MD.IMAGET) : 0;
  const std::unique_ptr<std::uint8_t[]> records(new std::uint8_t[records_size]);
  std::string description;
  if (box != nullptr && !box->unpack(data, {records.get(), records_size}, description)) return;
  MD.DESCRIPTION = box != nullptr ? description
                   : header != 0
                       ? emulator_header_description(
                             std::span<const std::uint8_t, EMU_HEADER_SIZE>(data.data(), EMU_HEADER_SIZE))
                       : "";
  const std::uint8_t* first_record = box != nullptr ? records.get() : data.data() + header;
  for (auto& track : MD.nonstandard) track.fill(0);
  const auto decode = [&](int t, int = 0) {
    if (plain) {
      digest.add(MD.MASS[t][0].data(), record);
      MD.unwritable[t] = 0;
    } else {
      MD.unwritable[t] = read_track_record(
          MD.IMAGET, std::span<const std::uint8_t>(first_record + t * record, record),
          MD.MASS[t], MD.NUMSC + 1, MD.nonstandard[t]);
    }
  };
  const auto progress = [&](int t) { report_progress(t, MD.NUMTR); };
  // The cells of an 800 KB disk's 160 tracks take a few milliseconds to decode, worth a
  // second thread; a 140 KB disk's bit streams, or nibble and AIM tracks, take less than that
  // thread costs to start and to hand the sectors over between the processors' caches (and
  // the digest of the plain forms runs in track order).
  if (box != nullptr && MD.NUMTR == MAXTRACK) {
    for_each_track(MD.NUMTR, decode, progress);
  } else {
    for (int t = 0; t <= MD.NUMTR; ++t) {
      decode(t);
      progress(t);
    }
  }
  MD.loaded_digest = digest.value();
}

void FC_SAVEMEDIA(TMEDIA& MD, bool CREATEENABLE) {
  if (MD.MEDIAT != MDIMAGE) return;
  if (!geometry_is_sound(MD)) {
    report_critical("Запись образа: неизвестный тип образа"_w);
    return;
  }
  const std::string path = image_path(MD);
  const TrackCodec& codec = track_codec(MD.IMAGET);
  const std::size_t record = image_record_size(MD.IMAGET);
  const std::size_t header = image_header_size(MD.IMAGET);
  const std::size_t data_size = header + image_data_size(MD.IMAGET);
  auto& data = file_buffer();
  // A container form's records are unpacked from the old file, or made anew, and packed
  // into the new file at the end.
  const ImageContainer* box = image_container(MD.IMAGET);
  std::vector<std::uint8_t> records;
  std::size_t old_size = 0;  // of the file as it is now
  int error = 0;
  // Another writer's read-change-save of this image ends before this one reads the file.
  // (A new file is made only where none is: it needs no turn.)
  std::optional<ImageLock> lock;
  if (!CREATEENABLE) lock.emplace(path);
  if (lock && lock->state() == ImageLockState::busy) {
    report_critical(
        "Запись образа: образ занят, его записывает другая программа; файл образа не изменён"_w);
    return;
  }

  if (CREATEENABLE) {
    // A track of a form whose codec only updates records in place (AIM) has no record here.
    if (!codec.new_tracks && box == nullptr) {
      report_critical(std::string("Запись образа: образ "_w) + form_word(MD.IMAGET) +
                      std::string(" не может быть создан"_w));
      return;
    }
    data.assign(data_size, 0);
    if (box != nullptr) records.assign(data_size, 0);
    if (header != 0) {
      const EmulatorHeader made = make_emulator_header(MD.DESCRIPTION);
      std::copy(made.begin(), made.end(), data.begin());
    }
  } else {
    switch (read_file(path, data, &error)) {
      case FileIoResult::ok:
        break;
      case FileIoResult::open_failed:
        report_critical(std::string("Запись образа: ошибка открытия файла"_w) +
                        host_error_suffix(error));
        return;
      default:
        report_critical(std::string("Запись образа: ошибка чтения файла ("_w) +
                        host_read_error_text(error) + std::string("), файл образа не изменён"_w));
        return;
    }
    old_size = data.size();
    // What this medium holds was read before another program wrote the file: saving it
    // would undo that program's change.
    const std::size_t digest_size = box != nullptr ? data.size() : data_size;
    if (MD.loaded_digest &&
        (data.size() < digest_size || digest_of(data, digest_size) != *MD.loaded_digest)) {
      report_critical(
          "Запись образа: файл образа изменён другой программой после чтения; файл образа не "
          "изменён, повторите действие"_w);
      return;
    }
    // The sectors of a file that is no longer this form would land in foreign bytes.
    if (header != 0 && !is_emulator_header(data)) {
      report_critical(
          "Запись образа: в файле нет заголовка образа эмулятора, файл образа не изменён"_w);
      return;
    }
    if (box != nullptr) {
      records.assign(data_size, 0);
      // The tracks the file lacks were told of when it was loaded.
      const std::size_t warned = FC_WARNINGBUFFER.size();
      std::string kept_description;
      const bool unpacked = box->unpack(data, records, kept_description);
      FC_WARNINGBUFFER.resize(warned);
      if (!unpacked) {
        report_critical("Запись образа: файл образа не изменён"_w);
        return;
      }
      old_size = data_size;
    } else if (data.size() < data_size) {
      // Plain and nibble tracks are written whole; AIM tracks need the old record.
      if (!codec.new_tracks) {
        report_critical(std::string("Запись образа: файл образа "_w) + form_word(MD.IMAGET) +
                        std::string(" короче образа"_w));
        return;
      }
      data.resize(data_size, 0);
    }
  }

  for (int t = 0; t <= MD.NUMTR; ++t) {
    std::uint8_t* at = (box != nullptr ? records.data() : data.data() + header) + t * record;
    const auto number = static_cast<std::uint8_t>(t);
    // A track the file holds already is updated as the track codecs allow: unchanged
    // sectors, and those the reader could not decode, keep their bytes.
    TrackUpdateFailure failure;
    if (CREATEENABLE || !is_track_form(MD.IMAGET) || (t + 1) * record > old_size) {
      codec.encode(std::span<std::uint8_t>(at, record), number, MD.MASS[t]);
    } else if (!update_track_record(MD.IMAGET, std::span<std::uint8_t>(at, record), number,
                                    MD.MASS[t], MD.NUMSC + 1, failure)) {
      report_critical(
          failure.sector >= 0
              ? std::string("Запись образа: сектор "_w) + std::to_string(t) + "/" +
                    std::to_string(failure.sector) +
                    std::string(" не читается в файле образа, его нельзя записать; файл образа "
                                "не изменён"_w)
              : std::string("Запись образа: дорожку "_w) + std::to_string(t) +
                    std::string(" нельзя обновить, не испортив её; файл образа не изменён"_w));
      return;
    }
    report_progress(t, MD.NUMTR);
  }

  if (box != nullptr) {
    std::vector<std::uint8_t> old;
    old.swap(data);
    if (!box->pack(records, CREATEENABLE ? std::span<const std::uint8_t>() : old, MD.DESCRIPTION,
                   data))
      return;
  }
  const FileIoResult result = CREATEENABLE ? create_file(path, data.data(), data.size(), &error)
                                           : replace_file(path, data.data(), data.size(), &error);
  if (result == FileIoResult::ok) {
    MD.loaded_digest = digest_of(data, box != nullptr ? data.size() : data_size);
    if (CREATEENABLE) MD.unwritable.fill(0);  // every track was encoded whole
  }
  const std::string reason = host_error_suffix(error);
  const std::string unchanged = CREATEENABLE ? "" : std::string(", файл образа не изменён"_w);
  switch (result) {
    case FileIoResult::ok:
      break;
    case FileIoResult::exists:
      report_critical("Запись образа: такой файл уже существует"_w);
      break;
    case FileIoResult::open_failed:
      report_critical(std::string("Запись образа: ошибка открытия файла"_w) + reason);
      break;
    case FileIoResult::folder_read_only:
      report_critical(std::string("Запись образа: папка с образом закрыта для записи"_w) + reason +
                      unchanged);
      break;
    default:
      report_critical(std::string("Запись образа: ошибка записи файла"_w) + reason + unchanged);
      break;
  }
}

}  // namespace agat
