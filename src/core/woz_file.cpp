#include "core/woz_file.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/crc32_wide.h"
#include "core/file_control_messages.h"
#include "core/world_formats.h"
#include "core/woz_track.h"

namespace agat {

namespace {

constexpr int TRACKS = 35;
constexpr std::size_t QUARTERS = 160;  // entries of TMAP and of the TRKS table of version 2
constexpr std::size_t V1_TRACK = 6656, V1_BITS = 6646;  // a TRKS record of version 1
constexpr std::size_t BLOCK = 512;
constexpr std::size_t INFO_SIZE = 60;
constexpr std::size_t CHUNK_HEAD = 8;
constexpr std::uint8_t NO_TRACK = 0xFF;
constexpr std::string_view kCreator = "agat_disk_tools 1.0";

using Bytes = std::span<const std::uint8_t>;

std::uint32_t id_of(std::string_view name) {
  return get_le32(reinterpret_cast<const std::uint8_t*>(name.data()));
}

std::string id_text(std::uint32_t id) {
  std::string s(4, ' ');
  for (int k = 0; k < 4; ++k) {
    const auto c = static_cast<char>(id >> (8 * k));
    s[k] = c >= 0x20 && c < 0x7F ? c : '?';
  }
  return s;
}

// The chunks of a file that passed its signature, each checked to lie inside the file.
struct WozParts {
  int version = 0;
  Bytes info, tmap, trks, meta;
  bool flux = false;
  std::vector<Bytes> others;  // whole chunks, head included, kept as they are on a save
};

bool parse(Bytes file, WozParts& w) {
  if (!is_woz_file(file)) {
    report_critical("Чтение образа: файл не образ WOZ"_w);
    return false;
  }
  w.version = file[3] == '1' ? 1 : 2;
  for (std::size_t at = 12; at + CHUNK_HEAD <= file.size();) {
    const std::uint32_t id = get_le32(&file[at]);
    const std::uint32_t size = get_le32(&file[at + 4]);
    if (size > file.size() - at - CHUNK_HEAD) {
      report_critical(std::string("Чтение образа: блок "_w) + id_text(id) +
                      std::string(" файла WOZ выходит за конец файла"_w));
      return false;
    }
    const Bytes data = file.subspan(at + CHUNK_HEAD, size);
    if (id == id_of("INFO"))
      w.info = data;
    else if (id == id_of("TMAP"))
      w.tmap = data;
    else if (id == id_of("TRKS"))
      w.trks = data;
    else if (id == id_of("META"))
      w.meta = data;
    else if (id != id_of("WRIT"))
      w.others.push_back(file.subspan(at, CHUNK_HEAD + size));
    w.flux = w.flux || id == id_of("FLUX");
    at += CHUNK_HEAD + size;
  }
  const char* lost = w.info.size() < 38         ? "INFO"
                     : w.tmap.size() < QUARTERS ? "TMAP"
                     : w.trks.empty()           ? "TRKS"
                                                : nullptr;
  if (lost != nullptr) {
    report_critical(std::string("Чтение образа: в файле WOZ нет блока "_w) + lost);
    return false;
  }
  if (w.info[1] != 1) {
    report_critical("Чтение образа: образ WOZ снят не с дискеты 5,25 дюйма"_w);
    return false;
  }
  return true;
}

// The bits of TRKS entry INDEX, or nothing when the entry holds none or lies outside the file.
struct TrackBits {
  Bytes bits;
  std::uint32_t count = 0;
};
std::optional<TrackBits> track_bits(Bytes file, const WozParts& w, std::size_t index) {
  if (w.version == 1) {
    if ((index + 1) * V1_TRACK > w.trks.size()) return std::nullopt;
    const Bytes rec = w.trks.subspan(index * V1_TRACK, V1_TRACK);
    const std::uint32_t count = get_le16(&rec[V1_BITS + 2]);
    if (count == 0 || count > V1_BITS * 8) return std::nullopt;
    return TrackBits{rec.first((count + 7) / 8), count};
  }
  if (index >= QUARTERS || w.trks.size() < QUARTERS * 8) return std::nullopt;
  const std::uint8_t* e = &w.trks[index * 8];
  const std::size_t start = get_le16(e) * BLOCK, blocks = get_le16(e + 2) * BLOCK;
  const std::uint32_t count = get_le32(e + 4);
  if (count == 0 || start + blocks > file.size() || (count + 7ull) / 8 > blocks)
    return std::nullopt;
  return TrackBits{file.subspan(start, (count + 7) / 8), count};
}

std::string meta_title(Bytes meta) {
  const std::string_view text(reinterpret_cast<const char*>(meta.data()), meta.size());
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    if (line.starts_with("title\t")) {
      std::string title;
      utf8_to_cp1251(line.substr(6), title);
      return title;
    }
    at = end + 1;
  }
  return "";
}

void put_chunk(std::vector<std::uint8_t>& file, std::string_view id, Bytes data) {
  const std::size_t at = file.size();
  file.resize(at + CHUNK_HEAD);
  std::memcpy(&file[at], id.data(), 4);
  put_le32(&file[at + 4], static_cast<std::uint32_t>(data.size()));
  file.insert(file.end(), data.begin(), data.end());
}

}  // namespace

bool is_woz_file(std::span<const std::uint8_t> head) {
  static constexpr std::uint8_t kTail[4] = {0xFF, 0x0A, 0x0D, 0x0A};
  return head.size() >= 12 && std::memcmp(head.data(), "WOZ", 3) == 0 &&
         (head[3] == '1' || head[3] == '2') && std::memcmp(&head[4], kTail, 4) == 0;
}

std::uint32_t woz_crc32(std::span<const std::uint8_t> bytes) {
  // Folded where the processor can, zlib's routine otherwise.
  static const Crc32 wide = wide_crc32();
  if (wide != nullptr) return wide(0, bytes.data(), bytes.size());
  return static_cast<std::uint32_t>(crc32_z(0, bytes.data(), bytes.size()));
}

bool woz_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records,
                std::string& title) {
  WozParts w;
  if (records.size() < TRACKS * WOZ_TRACK_RECORD || !parse(file, w)) return false;
  // A CRC of 0 is a file whose writer did not count it.
  const std::uint32_t crc = get_le32(&file[8]);
  if (crc != 0 && crc != woz_crc32(file.subspan(12)))
    report_warning("Чтение образа: контрольная сумма файла WOZ не сходится"_w);
  std::string missing;
  for (int t = 0; t < TRACKS; ++t) {
    std::uint8_t* rec = records.data() + t * WOZ_TRACK_RECORD;
    const std::uint8_t index = w.tmap[4 * t];
    const auto bits = index == NO_TRACK ? std::nullopt : track_bits(file, w, index);
    if (!bits || bits->count > WOZ_MAX_BITS) {
      std::fill_n(rec, WOZ_TRACK_RECORD, 0);
      missing += (missing.empty() ? " " : ", ") + std::to_string(t);
      continue;
    }
    // The bits, then zeros to the end of the record.
    put_le32(rec, bits->count);
    std::fill_n(rec + 4, WOZ_BITS_AT - 4, 0);
    const auto end = std::copy(bits->bits.begin(), bits->bits.end(), rec + WOZ_BITS_AT);
    std::fill(end, rec + WOZ_TRACK_RECORD, 0);
  }
  if (!missing.empty())
    report_warning(std::string("Чтение образа: в файле WOZ нет дорожек или они не читаются:"_w) +
                   missing);
  title = meta_title(w.meta);
  return true;
}

bool woz_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
              std::string_view title, std::vector<std::uint8_t>& file) {
  WozParts w;
  if (!old.empty() && !parse(old, w)) return false;
  if (w.flux) {
    report_critical(
        "Запись образа: в файле WOZ есть дорожки потока (FLUX), их запись не поддерживается; "
        "файл образа не изменён"_w);
    return false;
  }
  std::array<std::uint8_t, QUARTERS> tmap;
  tmap.fill(NO_TRACK);
  if (old.empty()) {
    // Each whole track is also heard a quarter track to either side of it.
    for (int t = 0; t < TRACKS; ++t)
      for (int q = std::max(0, 4 * t - 1); q <= 4 * t + 1; ++q)
        tmap[q] = static_cast<std::uint8_t>(t);
  } else {
    std::copy_n(w.tmap.begin(), QUARTERS, tmap.begin());
  }
  // Entry by entry, the bits of a whole track from its record, any other from the old file.
  std::array<TrackBits, QUARTERS> entries{};
  for (std::size_t i = 0; i < QUARTERS && !old.empty(); ++i)
    if (const auto bits = track_bits(old, w, i)) entries[i] = *bits;
  for (int t = 0; t < TRACKS; ++t) {
    const std::uint8_t* rec = records.data() + t * WOZ_TRACK_RECORD;
    const std::uint32_t count = std::min(get_le32(rec), WOZ_MAX_BITS);
    if (tmap[4 * t] == NO_TRACK || tmap[4 * t] >= QUARTERS) continue;
    entries[tmap[4 * t]] =
        count == 0 ? TrackBits{} : TrackBits{Bytes(rec + WOZ_BITS_AT, (count + 7) / 8), count};
  }

  std::array<std::uint8_t, INFO_SIZE> info{};
  if (old.empty()) {
    info[1] = 1;  // a 5.25-inch disk
    info[4] = 1;  // no stray bits
    std::fill_n(&info[5], 32, ' ');
    std::copy(kCreator.begin(), kCreator.end(), &info[5]);
    info[37] = 1;   // one side
    info[39] = 32;  // 4 microseconds a bit
  } else {
    std::copy_n(w.info.begin(), std::min(w.info.size(), INFO_SIZE), info.begin());
    if (w.version == 1) {
      std::fill(info.begin() + 37, info.end(), 0);
      info[37] = 1;
      info[39] = 32;
    }
  }
  info[0] = std::max<std::uint8_t>(info[0], 2);
  std::uint16_t largest = 0;
  for (const TrackBits& e : entries)
    largest = std::max<std::uint16_t>(
        largest, static_cast<std::uint16_t>((e.bits.size() + BLOCK - 1) / BLOCK));
  put_le16(&info[44], largest);

  file.assign({'W', 'O', 'Z', '2', 0xFF, 0x0A, 0x0D, 0x0A, 0, 0, 0, 0});
  put_chunk(file, "INFO", info);
  put_chunk(file, "TMAP", tmap);
  // TRKS: the table of 160 entries, then each track's bits from block 3 on, block by block.
  const std::size_t table_at = file.size() + CHUNK_HEAD;
  std::vector<std::uint8_t> trks(QUARTERS * 8, 0);
  std::size_t block = (table_at + trks.size()) / BLOCK;
  for (std::size_t i = 0; i < QUARTERS; ++i) {
    const TrackBits& e = entries[i];
    if (e.count == 0) continue;
    const std::size_t blocks = (e.bits.size() + BLOCK - 1) / BLOCK;
    put_le16(&trks[i * 8], static_cast<std::uint16_t>(block));
    put_le16(&trks[i * 8 + 2], static_cast<std::uint16_t>(blocks));
    put_le32(&trks[i * 8 + 4], e.count);
    const std::size_t at = block * BLOCK - table_at;
    trks.resize(at + blocks * BLOCK, 0);
    std::copy(e.bits.begin(), e.bits.end(), trks.begin() + static_cast<std::ptrdiff_t>(at));
    block += blocks;
  }
  put_chunk(file, "TRKS", trks);
  std::string meta_text;
  if (old.empty() && !title.empty()) meta_text = "title\t" + cp1251_to_utf8(title) + "\n";
  const Bytes meta =
      old.empty() ? Bytes(reinterpret_cast<const std::uint8_t*>(meta_text.data()), meta_text.size())
                  : w.meta;
  if (!meta.empty()) put_chunk(file, "META", meta);
  for (const Bytes chunk : w.others) file.insert(file.end(), chunk.begin(), chunk.end());
  put_le32(&file[8], woz_crc32(Bytes(file).subspan(12)));
  return true;
}

}  // namespace agat
