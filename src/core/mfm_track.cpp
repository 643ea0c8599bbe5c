#include "core/mfm_track.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/aim_800.h"
#include "core/track_checksum.h"

namespace agat {

namespace {

constexpr std::uint16_t MARK = 0x100;
constexpr std::uint16_t END_OF_TRACK = 0x200;
constexpr int FIELD_BYTES = 256 + 2;  // data, checksum, closing byte
// The 16 cells of byte V after a data cell PREVIOUS, the first cell in bit 0: a clock cell
// before each data cell, set between two zeros.
constexpr std::array<std::array<std::uint16_t, 256>, 2> kByteCells = [] {
  std::array<std::array<std::uint16_t, 256>, 2> t{};
  for (int p = 0; p < 2; ++p) {
    for (int v = 0; v < 256; ++v) {
      int previous = p;
      std::uint16_t w = 0;
      for (int k = 7, i = 0; k >= 0; --k, i += 2) {
        const int bit = (v >> k) & 1;
        w = static_cast<std::uint16_t>(w | (previous == 0 && bit == 0) << i | bit << (i + 1));
        previous = bit;
      }
      t[p][v] = w;
    }
  }
  return t;
}();

class Cells {
 public:
  Cells(std::uint8_t* bits, std::uint32_t count) : bits_(bits), count_(count) {}
  int get(std::uint32_t at) const {  // AT below the count
    return (bits_[at >> 3] >> (at & 7)) & 1;
  }
  void set(std::uint32_t at, int v) {
    at %= count_;
    const auto bit = static_cast<std::uint8_t>(1u << (at & 7));
    bits_[at >> 3] = static_cast<std::uint8_t>(v ? bits_[at >> 3] | bit : bits_[at >> 3] & ~bit);
  }
  // Writes byte V from cell AT on: a clock cell before each data cell, set between two
  // zeros; the clock of the first bit follows the data cell before AT.
  void put_byte(std::uint32_t at, std::uint8_t v) {
    int previous = get((at + count_ - 1) % count_);
    if ((at & 7) == 0 && at + 16 <= count_) {  // whole bytes of cells: a new track's layout
      const std::uint16_t w = kByteCells[previous][v];
      bits_[at >> 3] = static_cast<std::uint8_t>(w);
      bits_[(at >> 3) + 1] = static_cast<std::uint8_t>(w >> 8);
      return;
    }
    for (int k = 7; k >= 0; --k, at += 2) {
      const int bit = (v >> k) & 1;
      set(at, previous == 0 && bit == 0);
      set(at + 1, bit);
      previous = bit;
    }
  }
  void put_raw(std::uint32_t at, std::uint32_t cells, int n) {
    for (int k = n - 1; k >= 0; --k) set(at++, (cells >> k) & 1);
  }

 private:
  std::uint8_t* bits_;
  std::uint32_t count_;
};

// The 8 bytes from P read as a little-endian number: 64 cells, the first in bit 0.
std::uint64_t load_little_endian(const std::uint8_t* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

// The sync mark's cells, the first in bit 0.
constexpr std::uint32_t SYNC_FIRST_LOW = [] {
  std::uint32_t v = 0;
  for (int k = 0; k < 32; ++k) v |= ((MFM_SYNC >> (31 - k)) & 1u) << k;
  return v;
}();

// The data byte of each 16 cells, the first cell in bit 0: every other cell from the
// second, the first of them the byte's bit 7. Made on first use (a table this size is too long a
// constant expression).
using DataOfCells = std::array<std::uint8_t, 65536>;
const DataOfCells& data_of_cells() {
  static const DataOfCells table = [] {
    DataOfCells t;
    for (std::uint32_t c = 0; c < t.size(); ++c) {
      std::uint32_t v = 0;
      for (int k = 1; k < 16; k += 2) v = v << 1 | (c >> k & 1);
      t[c] = static_cast<std::uint8_t>(v);
    }
    return t;
  }();
  return table;
}

// The byte stream of the track as AIM cells, and where each byte starts. The bytes come in
// runs, each a mark and the bytes after it, 16 cells apart; a run keeps the index of its mark
// and the cell where the mark ends, which gives the start of every byte in it.
struct Run {
  std::size_t first;  // the index of the mark
  std::uint32_t end;  // the mark's last cell
};
struct Decoded {
  // Left unset by its allocation: the writer fills what is read.
  std::unique_ptr<std::uint8_t[]> cell_bytes;
  std::vector<Run> runs;
  std::uint32_t count = 0;  // cells round the track
  std::size_t size = 0;     // bytes
  std::span<const std::uint8_t> cells() const { return {cell_bytes.get(), 2 * size}; }
  // The cell where byte I starts: a mark's own entry stands at the mark's last cell, the
  // closing entry at cell 0.
  std::uint32_t start(std::size_t i) const {
    if (i + 1 == size) return 0;
    const auto run = std::upper_bound(runs.begin(), runs.end(), i,
                                      [](std::size_t v, const Run& r) { return v < r.first; }) -
                     1;
    if (i == run->first) return run->end;
    return static_cast<std::uint32_t>((run->end + 1 + 16ull * (i - run->first - 1)) % count);
  }
};

// Fills a Decoded sized for at most N bytes through plain pointers (stores of bytes through
// the vectors would make each store reload their pointers); finish() trims it to what was put.
class DecodedWriter {
 public:
  DecodedWriter(Decoded& d, std::size_t n) : d_(d) {
    d.cell_bytes = std::make_unique_for_overwrite<std::uint8_t[]>(2 * n + 8);
    cell_ = d.cell_bytes.get();
  }
  // A mark whose last cell is END, which opens a run.
  void mark(std::uint32_t end) {
    d_.runs.push_back({size(), end});
    push(MARK);
  }
  void push(std::uint16_t cell) {
    *cell_++ = static_cast<std::uint8_t>(cell);
    *cell_++ = static_cast<std::uint8_t>(cell >> 8);
  }
  // The four bytes of 64 CELLS, the first cell in bit 0, each read by DATA; all four are
  // stored, but only the first N (at most 4) are kept, so the sizing leaves room for three
  // more.
  void push4(std::uint64_t cells, const DataOfCells& data, std::uint32_t n) {
    const std::uint64_t v =
        std::uint64_t{data[cells & 0xFFFF]} | std::uint64_t{data[cells >> 16 & 0xFFFF]} << 16 |
        std::uint64_t{data[cells >> 32 & 0xFFFF]} << 32 | std::uint64_t{data[cells >> 48]} << 48;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(cell_, &v, 8);
    } else {
      for (int k = 0; k < 8; ++k) cell_[k] = static_cast<std::uint8_t>(v >> 8 * k);
    }
    cell_ += 2 * n;
  }
#if defined(__SSE2__)
  // The eight bytes of 128 CELLS (cell K in bit K % 64 of lane K / 64).
  void push8(__m128i cells) {
    const auto both = [](int v) { return _mm_set1_epi16(static_cast<short>(v)); };
    // In each 16 bits, the data cells (the odd ones) moved together, the first lowest...
    __m128i x = _mm_and_si128(_mm_srli_epi16(cells, 1), both(0x5555));
    x = _mm_and_si128(_mm_or_si128(x, _mm_srli_epi16(x, 1)), both(0x3333));
    x = _mm_and_si128(_mm_or_si128(x, _mm_srli_epi16(x, 2)), both(0x0F0F));
    x = _mm_and_si128(_mm_or_si128(x, _mm_srli_epi16(x, 4)), both(0x00FF));
    // ... then turned end for end, so that the first is bit 7 of the byte.
    x = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 1), both(0x55)),
                     _mm_slli_epi16(_mm_and_si128(x, both(0x55)), 1));
    x = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 2), both(0x33)),
                     _mm_slli_epi16(_mm_and_si128(x, both(0x33)), 2));
    x = _mm_or_si128(_mm_srli_epi16(x, 4), _mm_slli_epi16(_mm_and_si128(x, both(0x0F)), 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cell_), x);  // a cell is its byte, then 0
    cell_ += 16;
  }
#endif
  void finish() {
    d_.size = size();
  }

 private:
  std::size_t size() const {
    return static_cast<std::size_t>(cell_ - d_.cell_bytes.get()) / 2;
  }
  Decoded& d_;
  std::uint8_t* cell_;
};

// For each value of a byte of cells, the shifts K (bit K set) of a mark starting K cells
// into the byte before it for which that byte would hold the value: the mark's cells 8 - K
// to 15 - K, for the next byte its cells 16 - K to 23 - K, and for the byte after that its
// cells 24 - K to 31 - K.
using ShiftMasks = std::array<std::uint8_t, 256>;
constexpr ShiftMasks shift_masks(int from) {
  ShiftMasks t{};
  for (int k = 0; k < 8; ++k) {
    const auto v = (SYNC_FIRST_LOW >> (from - k)) & 0xFF;
    t[v] = static_cast<std::uint8_t>(t[v] | 1 << k);
  }
  return t;
}
constexpr ShiftMasks kMarkSecond = shift_masks(8), kMarkThird = shift_masks(16),
                     kMarkFourth = shift_masks(24);

// The values the search below tries are all a mark's second, third and fourth bytes can hold.
constexpr bool only(const ShiftMasks& t, std::initializer_list<int> values) {
  int found = 0;
  for (int v = 0; v < 256; ++v) found += t[v] != 0;
  for (const int v : values)
    if (t[v] == 0) return false;
  return found == static_cast<int>(values.size());
}
static_assert(only(kMarkSecond, {0x24, 0x48, 0x49, 0x92}) &&
              only(kMarkThird, {0x12, 0x44, 0x51, 0x54, 0x89, 0xA2, 0xA8, 0xAA}) &&
              only(kMarkFourth, {0x55, 0xAA}));

// One bit for each of the 16 bytes from P (bit J for byte J), set where a mark could start
// in that byte: the three bytes after it hold values the mark's second, third and fourth
// bytes of cells can have, whatever its shift (without SSE2, the shifts they agree on). A
// mark passes this; nearly every other place does not.
std::uint32_t mark_candidates(const std::uint8_t* p) {
#if defined(__SSE2__)
  const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
  const __m128i fourth = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3));
  const auto is = [](__m128i v, int c) {
    return _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(c)));
  };
  const __m128i in_second = _mm_or_si128(_mm_or_si128(is(second, 0x24), is(second, 0x48)),
                                         _mm_or_si128(is(second, 0x49), is(second, 0x92)));
  const __m128i third = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
  const __m128i in_third =
      _mm_or_si128(_mm_or_si128(_mm_or_si128(is(third, 0x12), is(third, 0x44)),
                                _mm_or_si128(is(third, 0x51), is(third, 0x54))),
                   _mm_or_si128(_mm_or_si128(is(third, 0x89), is(third, 0xA2)),
                                _mm_or_si128(is(third, 0xA8), is(third, 0xAA))));
  const __m128i in_fourth = _mm_or_si128(is(fourth, 0x55), is(fourth, 0xAA));
  return static_cast<std::uint32_t>(
      _mm_movemask_epi8(_mm_and_si128(_mm_and_si128(in_second, in_third), in_fourth)));
#else
  std::uint32_t mask = 0;
  for (int j = 0; j < 16; ++j)
    if ((kMarkSecond[p[j + 1]] & kMarkThird[p[j + 2]] & kMarkFourth[p[j + 3]]) != 0)
      mask |= 1u << j;
  return mask;
#endif
}

// The cells once round the circle and 64 cells more, the first cell in bit 0 of byte 0, so
// that any 64 cells can be taken with one load and a shift. A track of whole bytes is read
// where the record holds it, but for its last bytes, which a small copy holds with the first
// ones after them (a copy of the whole track costs more than all the decoding on some
// processors); other tracks are laid out cell by cell.
class CellString {
 public:
  CellString(const Cells& cells, const std::uint8_t* first_low, std::uint32_t count) {
    if (count % 8 == 0) {
      const std::uint32_t n = count / 8;
      whole_ = first_low;
      whole_end_ = n;
      tail_from_ = n > REACH ? n - REACH : 0;
      tail_.fill(0);
      std::memcpy(tail_.data(), first_low + tail_from_, n - tail_from_);
      for (std::uint32_t j = 0; j < 8; ++j) tail_[n - tail_from_ + j] = first_low[j % n];
    } else {
      laid_.assign((count + 64) / 8 + REACH, 0);
      for (std::uint32_t p = 0; p < count + 64; ++p)
        if (cells.get(p % count))
          laid_[p >> 3] = static_cast<std::uint8_t>(laid_[p >> 3] | 1 << (p & 7));
      whole_ = laid_.data();
      whole_end_ = static_cast<std::uint32_t>(laid_.size());
    }
  }
  // The 64 cells from cell 8 x BYTE on.
  std::uint64_t word(std::uint32_t byte) const { return load_little_endian(at(byte)); }
  std::uint8_t byte(std::uint32_t i) const { return *at(i); }
  // Byte I (below the count's bytes and 24 more) and the REACH - 1 after it.
  const std::uint8_t* at(std::uint32_t i) const {
    return i + REACH <= whole_end_ ? whole_ + i : tail_.data() + (i - tail_from_);
  }
  // The 64 cells from cell AT on (AT below the count).
  std::uint64_t cells64(std::uint32_t at_cell) const {
    const std::uint8_t* b = at(at_cell >> 3);
    const std::uint32_t s = at_cell & 7;
    return load_little_endian(b) >> s | std::uint64_t{b[8]} << (63 - s) << 1;
  }
#if defined(__SSE2__)
  // The 128 cells from cell AT on (AT at most 64 below the count): cell K in bit K % 64 of
  // lane K / 64.
  __m128i cells128(std::uint32_t at_cell) const {
    const std::uint8_t* b = at(at_cell >> 3);
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(at_cell & 7));
    const __m128i back = _mm_cvtsi32_si128(static_cast<int>(8 - (at_cell & 7)));
    return _mm_or_si128(
        _mm_srl_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), s),
        _mm_sll_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 1)), back));
  }
#endif

 private:
  // Bytes a read may take from where it starts: the search of 16 places reads 19.
  static constexpr std::uint32_t REACH = 24;
  const std::uint8_t* whole_ = nullptr;
  std::uint32_t whole_end_ = 0;  // reads that end before this byte take WHOLE_
  std::uint32_t tail_from_ = 0;  // the byte TAIL_ starts with
  std::array<std::uint8_t, 2 * REACH + 8> tail_;
  std::vector<std::uint8_t> laid_;
};

// The decoding runs once round the circle from the first sync mark, so that no field is cut
// in two by where the record happens to begin. Each mark starts a byte boundary; 16 cells
// after its end and every 16 cells after that a byte ends (its data in the odd cells), up to
// the end of the next mark.
Decoded decode(const Cells& cells, const std::uint8_t* first_low, std::uint32_t count) {
  const DataOfCells& data = data_of_cells();
  Decoded out;
  out.count = count;
  const CellString string(cells, first_low, count);
  std::vector<std::uint32_t> syncs;  // the first cell of each mark
  for (std::uint32_t group = 0; group * 8 < count; group += 16) {
    // Sixteen bytes at a time, only those where a mark could start go further.
    for (std::uint32_t maybe = mark_candidates(string.at(group)); maybe != 0; maybe &= maybe - 1) {
      const std::uint32_t byte = group + static_cast<std::uint32_t>(std::countr_zero(maybe));
      if (byte * 8 >= count) break;
      std::uint32_t shifts = kMarkSecond[string.byte(byte + 1)] &
                             kMarkThird[string.byte(byte + 2)] & kMarkFourth[string.byte(byte + 3)];
      const std::uint64_t w = string.word(byte);
      for (std::uint32_t k = 0; shifts != 0 && byte * 8 + k < count; ++k, shifts >>= 1)
        if ((shifts & 1) != 0 && static_cast<std::uint32_t>(w >> k) == SYNC_FIRST_LOW)
          syncs.push_back(byte * 8 + k);
    }
  }
  // A mark and the bytes up to the next fill at most 16 cells each, but for one byte a mark.
  DecodedWriter put(out, count / 16 + 2 * syncs.size() + 2);
  if (!syncs.empty()) {
    // Positions past the count stand for the cells after the turn.
    const std::uint64_t limit = std::uint64_t{syncs[0]} + count;
    for (std::size_t i = 0; i < syncs.size() && syncs[i] + 31ull < limit; ++i) {
      const std::uint64_t end = syncs[i] + 31ull;
      const std::uint64_t next =
          i + 1 < syncs.size() ? std::min<std::uint64_t>(syncs[i + 1] + 31ull, limit) : limit;
      put.mark(static_cast<std::uint32_t>(end % count));
      // Bytes end at END + 16, END + 32, ... below NEXT; four are taken at a time. START
      // runs below twice the count, so one subtraction wraps it.
      std::uint64_t start = end + 1;
      std::uint64_t n = next > end + 15 ? (next - end - 1) / 16 : 0;
#if defined(__SSE2__)
      // Eight at a time while the cells lie within the string's 64 cells past the turn.
      for (; n >= 8; n -= 8, start += 128) {
        if (start >= count) start -= count;
        if (start + 128 > count + 64ull) break;
        put.push8(string.cells128(static_cast<std::uint32_t>(start)));
      }
#endif
      for (; n > 0; start += 64) {
        if (start >= count) start -= count;
        const auto at = static_cast<std::uint32_t>(start);
        const auto take = static_cast<std::uint32_t>(std::min<std::uint64_t>(n, 4));
        put.push4(string.cells64(at), data, take);
        n -= take;
      }
    }
  }
  put.push(END_OF_TRACK);
  put.finish();
  return out;
}

}  // namespace

std::uint32_t mfm_cell_count(std::span<const std::uint8_t> record) {
  if (record.size() < 4) return 0;
  const std::uint32_t n = get_le32(record.data());
  return n <= (record.size() - 4) * 8 ? n : 0;
}

void mfm_read_fields(std::span<const std::uint8_t> record, TTRACK& B, TrackFields& fields,
                     TrackOddities& odd) {
  fields.fill(NO_FIELD);
  odd.fill(0);
  for (TSECTOR& s : B) s.fill(UNREAD_FILL);
  const std::uint32_t count = mfm_cell_count(record);
  if (count < 32) return;
  const Cells cells(const_cast<std::uint8_t*>(record.data() + 4), count);
  const Decoded d = decode(cells, record.data() + 4, count);
  aim800_read_cells(d.cells(), B, fields, odd);
  for (int s = 0; s <= MAXSECTOR; ++s) {
    if (fields[s] == NO_FIELD) continue;
    // A mark among the data would be lost by a rewrite: the sector reads, but stays as it is.
    const auto first = static_cast<std::size_t>(fields[s]);
    const bool straight = (odd[s] & ODD_SYNC_DATA) == 0 && first + FIELD_BYTES <= d.size &&
                          (d.start(first + FIELD_BYTES - 1) + count - d.start(first)) % count ==
                              16u * (FIELD_BYTES - 1);
    fields[s] = straight ? static_cast<std::int32_t>(d.start(first)) : NO_FIELD;
  }
}

void mfm_write_fields(std::span<std::uint8_t> record, const TrackFields& fields,
                      const TrackOddities& odd, const TTRACK& B) {
  const std::uint32_t count = mfm_cell_count(record);
  if (count < 32) return;
  Cells cells(record.data() + 4, count);
  for (int s = 0; s <= MAXSECTOR; ++s) {
    if (fields[s] < 0 || static_cast<std::uint32_t>(fields[s]) >= count) continue;
    std::uint32_t at = static_cast<std::uint32_t>(fields[s]);
    for (const std::uint8_t b : B[s]) cells.put_byte(at, b), at += 16;
    cells.put_byte(at, sector_checksum(B[s], odd[s]));
    cells.put_byte(at + 16, 0x5A);
  }
}

void mfm_encode_track(std::span<std::uint8_t> record, std::uint8_t T, const TTRACK& B) {
  std::fill(record.begin(), record.end(), 0);
  put_le32(record.data(), MFM_NEW_TRACK_CELLS);
  Cells cells(record.data() + 4, MFM_NEW_TRACK_CELLS);
  std::uint32_t at = 0;
  const auto bytes = [&](std::initializer_list<std::uint8_t> list) {
    for (const std::uint8_t b : list) cells.put_byte(at, b), at += 16;
  };
  const auto gap = [&](int n) {
    while (n-- > 0) bytes({0xAA});
  };
  const auto sync = [&] {
    cells.put_raw(at, MFM_SYNC, 32);
    at += 32;
  };
  gap(13);
  for (int s = 0; s <= MAXSECTOR; ++s) {
    sync();
    bytes({0x95, 0x6A, 0xFE, T, static_cast<std::uint8_t>(s), 0x5A});
    gap(5);
    sync();
    bytes({0x6A, 0x95});
    for (const std::uint8_t b : B[s]) bytes({b});
    bytes({CALCCRC(B[s]), 0x5A});
    gap(22);
  }
}

}  // namespace agat
