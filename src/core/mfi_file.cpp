#include "core/mfi_file.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/mfm_track.h"
#include "core/track_workers.h"
#include "core/woz_track.h"
#include "core/world_formats.h"

namespace agat {

namespace {

constexpr char SIGNATURE_V1[] = "MESSFLOPPYIMAGE";  // with its zero: 16 bytes
constexpr char SIGNATURE_V2[] = "MAMEFLOPPYIMAGE";
constexpr std::uint32_t TURN = 200'000'000;
constexpr std::uint32_t TIME_MASK = 0x0FFFFFFF;
constexpr std::uint32_t LEVEL_A = 0, LEVEL_B = 1;  // the version 1 levels
constexpr std::uint32_t FLUX = 0;                   // a version 2 flux change
constexpr std::uint32_t CYLINDER_MASK = 0x3FFFFFFF;
// A track unpacks to at most this many entries: far more changes than a turn of cells has.
constexpr std::uint32_t MAX_TRACK_BYTES = 4 * 1024 * 1024;

int version_of(std::span<const std::uint8_t> file) {
  if (file.size() < 16) return 0;
  if (std::memcmp(file.data(), SIGNATURE_V1, 16) == 0) return 1;
  if (std::memcmp(file.data(), SIGNATURE_V2, 16) == 0) return 2;
  return 0;
}

struct Entry {
  std::uint32_t offset = 0, packed = 0, size = 0;
};

// The table entry of whole track T of head H, or nothing when the file lacks it.
bool entry_of(std::span<const std::uint8_t> file, int cylinder, int head, Entry& e) {
  const std::uint32_t word = get_le32(&file[16]);
  const std::uint32_t cylinders = word & CYLINDER_MASK, heads = get_le32(&file[20]);
  const std::uint32_t resolution = word >> 30;
  if (heads > 2 || static_cast<std::uint32_t>(cylinder) >= cylinders ||
      static_cast<std::uint32_t>(head) >= heads)
    return false;
  const std::uint64_t at =
      MFI_HEADER + 16ull * ((std::uint64_t{static_cast<std::uint32_t>(cylinder)} << resolution) * heads + head);
  if (at + 16 > file.size()) return false;
  e = {get_le32(&file[at]), get_le32(&file[at + 4]), get_le32(&file[at + 8])};
  return e.size != 0 && e.size % 4 == 0 && e.size <= MAX_TRACK_BYTES && e.offset <= file.size() &&
         e.packed <= file.size() - e.offset;
}

bool unpack_track(std::span<const std::uint8_t> file, const Entry& e,
                  std::vector<std::uint32_t>& entries) {
  // Unpacked straight into the entries, then each read as the little-endian word it is.
  entries.resize(e.size / 4);
  auto* bytes = reinterpret_cast<std::uint8_t*>(entries.data());
  uLongf size = e.size;
  if (uncompress(bytes, &size, file.data() + e.offset, e.packed) != Z_OK || size != e.size)
    return false;
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = get_le32(bytes + 4 * i);
  return true;
}

// X (not negative, below 2^63) rounded to the nearest whole number, halves up, as llround
// does; X less its whole part is exact, so no case rounds otherwise.
std::uint64_t round_half_up(double x) {
  const auto whole = static_cast<std::int64_t>(x);  // the signed conversion is one instruction
  return static_cast<std::uint64_t>(whole) +
         static_cast<std::uint64_t>(x - static_cast<double>(whole) >= 0.5);  // no branch
}

// The value of rank N (from 0) of VALUES in rising order (N below their number). A count of
// the values by 16-unit bands (the last band takes all above) finds the band that holds it;
// a count of the 16 values such a band can hold then finds the value itself, and only the
// last band's values, gathered in POOL, are ranked.
std::uint32_t nth_smallest(std::span<const std::uint32_t> values, std::size_t n,
                           std::vector<std::uint32_t>& pool) {
  constexpr std::uint32_t BANDS = 4096, SHIFT = 4;
  const auto band = [](std::uint32_t v) { return std::min(v >> SHIFT, BANDS - 1); };
  std::array<std::uint32_t, BANDS> counts{};
  for (const std::uint32_t v : values) ++counts[band(v)];
  std::uint32_t b = 0;
  for (; n >= counts[b]; ++b) n -= counts[b];
  if (b < BANDS - 1) {
    std::array<std::uint32_t, 1u << SHIFT> each{};
    for (const std::uint32_t v : values) each[v & ((1u << SHIFT) - 1)] += (v >> SHIFT) == b;
    std::uint32_t k = 0;
    for (; n >= each[k]; ++k) n -= each[k];
    return b << SHIFT | k;
  }
  pool.clear();
  for (const std::uint32_t v : values)
    if (band(v) == b) pool.push_back(v);
  std::nth_element(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(n), pool.end());
  return pool[n];
}

// How a disk's tracks lie in the file and how a record holds a track's cells: the count
// (32 bits, little-endian), then from BITS_AT a bit a cell, the first of each byte in its
// low bit (FLIP 0: the MFM records of core/mfm_track.h) or its high bit (FLIP 7: the bit
// streams of core/woz_track.h).
struct Layout {
  int tracks, heads;
  const char* form_factor;       // of a new file: 8 bytes
  std::uint32_t shortest_cells;  // the cells the closest changes lie apart: 2 in MFM, 1 in GCR
  std::size_t bits_at;
  std::uint32_t flip;
  std::uint32_t max_cells;
  std::string_view none;  // the message of a file with no track of the disk
};

const Layout MFM800 = {MAXTRACK + 1, 2, "525 DSQD", 2, 4, 0, 1u << 24,
                       "Чтение образа: в файле MFI нет ни одной дорожки диска 800 К"_w};
const Layout GCR140 = {35, 1, "525 SSSD", 1, WOZ_BITS_AT, 7, WOZ_MAX_BITS,
                       "Чтение образа: в файле MFI нет ни одной дорожки диска 140 К"_w};

// The cells RECORD has room for under L.
std::uint64_t room(const Layout& l, std::size_t record) {
  return record < l.bits_at ? 0 : std::min<std::uint64_t>(l.max_cells, (record - l.bits_at) * 8ull);
}

void set_cell(std::uint8_t* bits, std::uint32_t at, std::uint32_t flip) {
  bits[at >> 3] = static_cast<std::uint8_t>(bits[at >> 3] | (1u << ((at & 7) ^ flip)));
}

// The changes fall on cells of the track's own rate (MAME packs 6,500 bytes where a drive
// writes 6,250): the cell is the mean of the shortest gaps between changes over the cells
// they span, the distance from one change to the next is rounded to whole cells, so that no
// error adds up along the turn.
bool decode(const Layout& l, std::span<const std::uint32_t> entries, int version,
            std::span<std::uint8_t> record) {
  // The gaps between changes, each below 2^32 in a track that passes the turn's check.
  thread_local std::vector<std::uint32_t> gaps, order;  // kept from track to track
  gaps.resize(entries.size());
  std::size_t changes = 0;
  std::uint64_t time = 0, first = 0;
  if (version == 1) {
    // A change where a zone of one level follows one of the other (round the turn).
    std::uint64_t last = 0;
    std::uint32_t level = entries.empty() ? 0 : entries.back() >> 28;
    for (const std::uint32_t e : entries) {
      const std::uint32_t type = e >> 28;
      if ((type == LEVEL_A || type == LEVEL_B) && (level == LEVEL_A || level == LEVEL_B) &&
          type != level) {
        if (changes++ == 0)
          first = time;
        else
          gaps[changes - 2] = static_cast<std::uint32_t>(time - last);
        last = time;
      }
      level = type;
      time += e & TIME_MASK;
    }
  } else {
    // The time up to the first change, then the gaps without a branch: the time since the
    // change before, the next gap's place taken only at a change.
    std::size_t i = 0;
    while (i < entries.size() && changes == 0) {
      time += entries[i] & TIME_MASK;
      changes = entries[i++] >> 28 == FLUX;
    }
    first = time;
    std::uint64_t since = 0;
    std::size_t n = 0;
    for (; i < entries.size(); ++i) {
      const std::uint32_t e = entries[i], span = e & TIME_MASK;
      const bool flux = e >> 28 == FLUX;
      time += span;
      since += span;
      gaps[n] = static_cast<std::uint32_t>(since);
      n += flux;
      since = flux ? 0 : since;
    }
    changes += n;
  }
  if (changes < 64 || time > 2ull * TURN) return false;
  const std::span<const std::uint32_t> spans(gaps.data(), changes - 1);
  const std::uint32_t shortest = nth_smallest(spans, spans.size() / 20, order);
  // Whole numbers, summed exactly: the sum stays below the turn's length twice over, so
  // below 2^32, and 32-bit lanes take the gaps four or eight at a time.
  std::uint32_t total = 0, taken = 0;
  for (const std::uint32_t g : spans) {
    const std::uint32_t near = g >= shortest && g - shortest <= shortest / 4;
    total += near * g;
    taken += near;
  }
  const double cell = taken == 0 ? 0 : static_cast<double>(total) / taken / l.shortest_cells;
  if (cell < 100) return false;
  const auto count = static_cast<std::uint32_t>(std::lround(TURN / cell));
  if (count < 64 || count > room(l, record.size())) return false;
  std::fill(record.begin(), record.end(), 0);
  put_le32(record.data(), count);
  std::uint8_t* bits = record.data() + l.bits_at;
  const std::uint32_t flip = l.flip;  // held here: the stores to BITS could alias L
  // AT is the cell round the turn; a step seldom passes more than one turn.
  std::uint64_t at = static_cast<std::uint64_t>(static_cast<double>(first) / cell) % count;
  set_cell(bits, static_cast<std::uint32_t>(at), flip);
  for (const std::uint32_t g : spans) {
    at += std::max<std::uint64_t>(1, round_half_up(static_cast<double>(g) / cell));
    if (at >= count) at = at - count < count ? at - count : at % count;
    set_cell(bits, static_cast<std::uint32_t>(at), flip);
  }
  return true;
}

// The version 2 entries of the cells of RECORD, its cells filling the turn: none when it
// holds no track.
std::vector<std::uint32_t> entries_of(const Layout& l, std::span<const std::uint8_t> record) {
  std::vector<std::uint32_t> entries;
  const std::uint32_t n = record.size() < 4 ? 0 : get_le32(record.data());
  const std::uint64_t count = n <= room(l, record.size()) ? n : 0;
  const std::uint8_t* bits = record.data() + l.bits_at;
  const std::uint32_t flip = l.flip;
  std::uint64_t last = 0;
  for (std::uint64_t k = 0; k < count; ++k) {
    if (((bits[k >> 3] >> ((k & 7) ^ flip)) & 1) == 0) continue;
    // A change in the middle of its cell.
    const std::uint64_t at = (2 * k + 1) * TURN / (2 * count);
    entries.push_back(FLUX << 28 | static_cast<std::uint32_t>(at - last));
    last = at;
  }
  return entries;
}

int heads_of(std::span<const std::uint8_t> prefix) {
  return prefix.size() >= 24 ? static_cast<int>(get_le32(&prefix[20])) : 0;
}

bool unpack(const Layout& l, std::span<const std::uint8_t> file, std::span<std::uint8_t> records) {
  const int version = version_of(file);
  if (version == 0 || file.size() < MFI_HEADER) {
    report_critical("Чтение образа: в файле нет заголовка образа MFI"_w);
    return false;
  }
  const std::size_t record = records.size() / static_cast<std::size_t>(l.tracks);
  int missing = 0, first_missing = -1;
  // The tracks are unpacked by two workers, each into entries of its own.
  std::vector<std::uint32_t> entries[TRACK_WORKERS];
  std::vector<std::uint8_t> lost(static_cast<std::size_t>(l.tracks));
  for_each_track(
      l.tracks - 1,
      [&](int t, int w) {
        Entry e;
        std::span<std::uint8_t> out = records.subspan(t * record, record);
        if (!entry_of(file, t / l.heads, t % l.heads, e) || !unpack_track(file, e, entries[w]) ||
            !decode(l, entries[w], version, out)) {
          std::fill(out.begin(), out.end(), 0);
          lost[t] = 1;
        }
      },
      [&](int t) {
        if (lost[t] != 0 && missing++ == 0) first_missing = t;
      });
  if (missing == l.tracks) {
    report_critical(l.none);
    return false;
  }
  if (missing != 0)
    report_warning(std::string("Чтение образа: в файле MFI нет дорожки "_w) +
                   std::to_string(first_missing) +
                   (missing > 1 ? std::string(" и ещё "_w) + std::to_string(missing - 1) : "") +
                   std::string(", их секторы не читаются"_w));
  return true;
}

void pack(const Layout& l, std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
          std::vector<std::uint8_t>& file) {
  const int old_version = version_of(old);
  const std::size_t record = records.size() / static_cast<std::size_t>(l.tracks);
  file.assign(MFI_HEADER + 16u * static_cast<std::size_t>(l.tracks), 0);
  std::memcpy(file.data(), SIGNATURE_V2, 16);
  put_le32(&file[16], static_cast<std::uint32_t>(l.tracks / l.heads));
  put_le32(&file[20], static_cast<std::uint32_t>(l.heads));
  if (old_version != 0 && old.size() >= MFI_HEADER)
    std::copy_n(old.begin() + 24, 8, file.begin() + 24);  // form factor and variant
  else
    std::memcpy(&file[24], l.form_factor, 8);
  // Two workers make the tracks' packed bytes, each with buffers of its own; the tracks are
  // put into the file in their order as they are done.
  struct Buffers {
    std::vector<std::uint32_t> entries;
    std::vector<std::uint8_t> cells, bytes;
  } buffers[TRACK_WORKERS];
  struct Packed {
    Entry kept;                     // a track kept from the old file as it was
    std::vector<std::uint8_t> new_bytes;  // or packed anew (none for a track the file lacked)
    std::uint32_t size = 0;         // bytes of its entries
  };
  std::vector<Packed> tracks(static_cast<std::size_t>(l.tracks));
  const auto make = [&](int t, int w) {
    Buffers& b = buffers[w];
    Packed& p = tracks[t];
    const std::span<const std::uint8_t> rec = records.subspan(t * record, record);
    b.cells.resize(record);
    // A track of a version 2 file whose cells are as they were keeps its entries as they
    // are, with their own timing; any other is made from its cells.
    if (old_version == 2 && entry_of(old, t / l.heads, t % l.heads, p.kept) &&
        unpack_track(old, p.kept, b.entries) && decode(l, b.entries, 2, b.cells) &&
        std::equal(b.cells.begin(), b.cells.end(), rec.begin())) {
      p.size = p.kept.size;
      return;
    }
    p.kept = {};
    b.entries = entries_of(l, rec);
    if (b.entries.empty()) return;  // a track the file lacked stays away
    b.bytes.resize(b.entries.size() * 4);
    for (std::size_t i = 0; i < b.entries.size(); ++i) put_le32(&b.bytes[4 * i], b.entries[i]);
    uLongf packed = compressBound(static_cast<uLong>(b.bytes.size()));
    p.new_bytes.resize(packed);
    compress(p.new_bytes.data(), &packed, b.bytes.data(), static_cast<uLong>(b.bytes.size()));
    p.new_bytes.resize(packed);
    p.size = static_cast<std::uint32_t>(b.bytes.size());
  };
  const auto place = [&](int t) {
    Packed& p = tracks[t];
    if (p.size == 0) return;
    const std::size_t at = MFI_HEADER + 16u * static_cast<std::size_t>(t);
    put_le32(&file[at], static_cast<std::uint32_t>(file.size()));
    if (p.kept.size != 0) {
      put_le32(&file[at + 4], p.kept.packed);
      file.insert(file.end(), old.begin() + p.kept.offset, old.begin() + p.kept.offset + p.kept.packed);
    } else {
      put_le32(&file[at + 4], static_cast<std::uint32_t>(p.new_bytes.size()));
      file.insert(file.end(), p.new_bytes.begin(), p.new_bytes.end());
      std::vector<std::uint8_t>().swap(p.new_bytes);
    }
    put_le32(&file[at + 8], p.size);
  };
  for_each_track(l.tracks - 1, make, place);
}

}  // namespace

// A file of one head is a 140 KB disk's; any other signed file is taken for an 800 KB disk's
// (and refused with its reason when it is not).
bool mfi140_signed(std::span<const std::uint8_t> prefix) {
  return version_of(prefix) != 0 && heads_of(prefix) == 1;
}
bool mfi800_signed(std::span<const std::uint8_t> prefix) {
  return version_of(prefix) != 0 && heads_of(prefix) != 1;
}

bool mfi_cells(std::span<const std::uint32_t> entries, int version, std::span<std::uint8_t> record) {
  return decode(MFM800, entries, version, record);
}

std::vector<std::uint32_t> mfi_entries(std::span<const std::uint8_t> record) {
  return entries_of(MFM800, record);
}

bool mfi800_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records) {
  return unpack(MFM800, file, records);
}
void mfi800_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
                 std::vector<std::uint8_t>& file) {
  pack(MFM800, records, old, file);
}
bool mfi140_unpack(std::span<const std::uint8_t> file, std::span<std::uint8_t> records) {
  return unpack(GCR140, file, records);
}
void mfi140_pack(std::span<const std::uint8_t> records, std::span<const std::uint8_t> old,
                 std::vector<std::uint8_t>& file) {
  pack(GCR140, records, old, file);
}

}  // namespace agat
