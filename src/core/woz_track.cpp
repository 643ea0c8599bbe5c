#include "core/woz_track.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/nibble_140.h"

namespace agat {

namespace {

constexpr int SECTORS = 16;
constexpr int LEAD_SYNC = 64;  // 10-bit sync bytes before the first address field
constexpr int GAP2_SYNC = 5;   // between an address field and its data field
constexpr int GAP3_SYNC = 20;  // after every data field

// The 8 bytes of W in memory read as a big-endian number, or such a number stored so.
std::uint64_t big_endian(std::uint64_t w) {
  if constexpr (std::endian::native == std::endian::little) {
    w = ((w & 0x00FF00FF00FF00FFull) << 8) | ((w >> 8) & 0x00FF00FF00FF00FFull);
    w = ((w & 0x0000FFFF0000FFFFull) << 16) | ((w >> 16) & 0x0000FFFF0000FFFFull);
    w = (w << 32) | (w >> 32);
  }
  return w;
}

// The bits of a record, read and written round the track.
class BitRing {
 public:
  explicit BitRing(std::span<const std::uint8_t> record)
      : bits_(record.data() + WOZ_BITS_AT),
        count_(record.size() < WOZ_TRACK_RECORD ? 0
                                                : std::min(get_le32(record.data()), WOZ_MAX_BITS)) {
  }
  std::uint32_t count() const { return count_; }
  // The 64 bits from P on, the first in the high bit, of which the first 57 are the track's:
  // P + 64 <= count.
  std::uint64_t window(std::uint32_t p) const {
    std::uint64_t w;
    std::memcpy(&w, bits_ + (p >> 3), sizeof w);
    return big_endian(w) << (p & 7);
  }
  int bit(std::uint32_t p) const { return (bits_[p >> 3] >> (7 - (p & 7))) & 1; }
  // The 8 bits from P on, round the track.
  std::uint8_t byte_at(std::uint32_t p) const {
    if ((p & 7) == 0 && p + 8 <= count_) return bits_[p >> 3];
    if (p + 8 <= count_) {
      const unsigned pair = (bits_[p >> 3] << 8) | bits_[(p >> 3) + 1];
      return static_cast<std::uint8_t>(pair >> (8 - (p & 7)));
    }
    unsigned b = 0;
    for (int k = 0; k < 8; ++k) b = (b << 1) | bit((p + k) % count_);
    return static_cast<std::uint8_t>(b);
  }

 private:
  const std::uint8_t* bits_;
  std::uint32_t count_;
};

// Latches the bytes that the 57 bits of W from place Q hold whole, each after the zero bits
// before it, handing each to TAKE (which moves Q past it; true stops the latch). Q ends at
// the first bit not taken. True when TAKE stopped the latch.
template <class Take>
bool latch_window(std::uint64_t w, std::uint32_t& q, const Take& take) {
  for (int left = 57;;) {
    const int zeros = std::countl_zero(w);
    if (zeros + 8 > left) {
      q += static_cast<unsigned>(std::min(zeros, left));
      return false;
    }
    q += static_cast<unsigned>(zeros);
    if (take(static_cast<std::uint8_t>((w << zeros) >> 56))) return true;
    w <<= zeros + 8;
    left -= zeros + 8;
  }
}

// The places Q, Q + STEP, ... of eight bytes latched at once, stored at AT in two stores of
// four where the processor has them.
template <std::uint32_t Step>
void put_starts(std::uint32_t* at, std::uint32_t q) {
  using Four = std::uint32_t __attribute__((vector_size(16)));
  const Four low = Four{0, Step, 2 * Step, 3 * Step} + q, high = low + 4 * Step;
  std::memcpy(at, &low, sizeof low);
  std::memcpy(at + 4, &high, sizeof high);
}

void put_byte_at(std::span<std::uint8_t> record, std::uint32_t count, std::uint32_t p,
                 std::uint8_t b) {
  std::uint8_t* bits = record.data() + WOZ_BITS_AT;
  for (int k = 0; k < 8; ++k) {
    const std::uint32_t at = (p + k) % count;
    const auto mask = static_cast<std::uint8_t>(0x80 >> (at & 7));
    bits[at >> 3] = ((b << k) & 0x80) ? bits[at >> 3] | mask : bits[at >> 3] & ~mask;
  }
}

// Appends bytes to a new track's bits.
class BitWriter {
 public:
  explicit BitWriter(std::span<std::uint8_t> record) : bits_(record.data() + WOZ_BITS_AT) {}
  void byte(std::uint8_t b, int width = 8) {
    for (int k = 0; k < width; ++k, ++at_)
      if (k < 8 && ((b << k) & 0x80))
        bits_[at_ >> 3] |= static_cast<std::uint8_t>(0x80 >> (at_ & 7));
  }
  void sync(int count) {
    for (int k = 0; k < count; ++k) byte(0xFF, 10);
  }
  std::uint32_t bits() const { return at_; }

 private:
  std::uint8_t* bits_;
  std::uint32_t at_ = 0;
};

}  // namespace

void woz_latch(std::span<const std::uint8_t> record, LatchedTrack& out) {
  out.bytes = {};
  out.starts = {};
  const BitRing ring(record);
  const std::uint32_t n = ring.count();
  if (n < 8) return;
  // The bytes of up to two turns, each with the place of its first bit in its turn.
  std::vector<std::uint8_t>& bytes = out.taken_bytes;
  std::vector<std::uint32_t>& starts = out.taken_starts;
  bytes.resize(2 * (n / 8) + 12);  // room for the eighth byte of a run stored at once
  starts.resize(bytes.size());
  // Plain pointers: a store of a byte through the vectors would reload where they lie.
  std::uint8_t* const byte_p = bytes.data();
  std::uint32_t* const start_p = starts.data();
  std::size_t k = 0, first_turn = 0;  // bytes so far; bytes that begin in the first turn
  bool second = false;
  std::uint32_t q = 0;  // the place in the turn
  const auto keep = [&](std::size_t from, std::size_t to) {
    out.bytes = std::span<const std::uint8_t>(bytes).subspan(from, to - from);
    out.starts = std::span<const std::uint32_t>(starts).subspan(from, to - from);
  };
  // A byte beginning at Q, latched.
  const auto store = [&](std::uint8_t b) {
    byte_p[k] = b;
    start_p[k++] = q;
    q += 8;
    return false;
  };
  // The same, or true once the latch is in step with the turn before.
  const auto take = [&](std::uint8_t b) {
    if (second) {
      // In step: the latch began a byte here one turn earlier as well, and so goes on as then.
      const auto end = starts.begin() + static_cast<std::ptrdiff_t>(first_turn);
      const auto seen = std::lower_bound(starts.begin(), end, q);
      if (seen != end && *seen == q) {
        keep(static_cast<std::size_t>(seen - starts.begin()), k);
        return true;
      }
    }
    return store(b);
  };
  // The first turn, where there is no turn before to be in step with, window by window.
  while (q + 64 <= n) {
    const std::uint64_t w = ring.window(q);
    // Seven bytes with no zero bits between them (the body of a field) are taken at once.
    constexpr std::uint64_t kTops = 0x8080808080808000ull;
    if ((w & kTops) == kTops) {
      // Stored eight at a time, the eighth left for the next byte taken to overwrite.
      const std::uint64_t stored = big_endian(w);
      std::memcpy(byte_p + k, &stored, sizeof stored);
      put_starts<8>(start_p + k, q);
      k += 7;
      q += 56;
      continue;
    }
    // Up to five sync bytes of ten bits ($FF and two zero bits, the gaps of most tracks).
    constexpr int kSyncBits = 10, kSyncs = 5, kSyncRunBits = kSyncBits * kSyncs;
    constexpr std::uint64_t kSyncRun = [] {
      std::uint64_t run = 0;
      for (int i = 0; i < kSyncs; ++i) run = (run << kSyncBits) | 0x3FC;
      return run << (64 - kSyncRunBits);
    }();
    const int syncs = std::min(std::countl_zero(w ^ kSyncRun), kSyncRunBits) / kSyncBits;
    if (syncs > 0) {
      std::memset(byte_p + k, 0xFF, 8);  // the bytes past the run are overwritten later
      put_starts<kSyncBits>(start_p + k, q);
      k += static_cast<unsigned>(syncs);
      q += static_cast<unsigned>(syncs * kSyncBits);
      continue;
    }
    // Zero bits before a byte, passed; or the bytes from Q on that follow one another with no
    // zero bits between them, fewer than seven.
    const int zeros = std::countl_zero(w);
    if (zeros > 0) {
      q += static_cast<unsigned>(std::min(zeros, 57));
      continue;
    }
    const int run = std::countl_zero(~w & kTops) / 8;
    const std::uint64_t stored = big_endian(w);
    std::memcpy(byte_p + k, &stored, sizeof stored);
    put_starts<8>(start_p + k, q);
    k += static_cast<unsigned>(run);
    q += static_cast<unsigned>(8 * run);
  }
  // The end of the first turn and the second, where each byte may find the latch in step.
  for (;;) {
    if (q + 64 <= n) {
      if (latch_window(ring.window(q), q, take)) return;
    } else if (q >= n) {
      if (second) break;
      second = true;
      first_turn = k;
      q -= n;
    } else if (ring.bit(q) == 0) {
      ++q;
    } else if (take(ring.byte_at(q))) {
      return;
    }
  }
  // Never in step within two turns (a track without framing): the second turn as latched.
  keep(first_turn, k);
}

void woz_read_fields(std::span<const std::uint8_t> record, TTRACK& sectors, TrackFields& fields,
                     TrackOddities& odd) {
  odd.fill(0);
  thread_local LatchedTrack latched;
  woz_latch(record, latched);
  nib140_read_stream(latched.bytes, sectors, fields);
  for (int s = 0; s < SECTORS; ++s)
    if (fields[s] != NO_FIELD) fields[s] = static_cast<std::int32_t>(latched.starts[fields[s]]);
}

void woz_write_fields(std::span<std::uint8_t> record, const TrackFields& fields,
                      const TrackOddities&, const TTRACK& sectors) {
  LatchedTrack latched;
  woz_latch(record, latched);
  const std::size_t n = latched.starts.size();
  for (int s = 0; s < SECTORS; ++s) {
    if (fields[s] == NO_FIELD) continue;
    const auto at = std::find(latched.starts.begin(), latched.starts.end(),
                              static_cast<std::uint32_t>(fields[s]));
    if (at == latched.starts.end()) continue;
    // Each disk byte of the body goes where the old one began: the zero bits between the
    // old bytes stay, and the latch frames the new ones as it framed the old.
    const NibbleDataBody body = nib140_data_body(sectors[s]);
    const auto k = static_cast<std::size_t>(at - latched.starts.begin());
    for (std::size_t j = 0; j < body.size(); ++j)
      put_byte_at(record, BitRing(record).count(), latched.starts[(k + j) % n], body[j]);
  }
}

void woz_encode_track(std::span<std::uint8_t> record, std::uint8_t track, const TTRACK& sectors) {
  std::fill(record.begin(), record.end(), 0);
  BitWriter out(record);
  out.sync(LEAD_SYNC);
  for (int s = SECTORS - 1; s >= 0; --s) {
    for (const std::uint8_t b : nib140_address_field(track, s)) out.byte(b);
    out.sync(GAP2_SYNC);
    for (const std::uint8_t b : {0xD5, 0xAA, 0xAD}) out.byte(b);
    for (const std::uint8_t b : nib140_data_body(sectors[s])) out.byte(b);
    for (const std::uint8_t b : {0xDE, 0xAA, 0xEB}) out.byte(b);
    out.sync(GAP3_SYNC);
  }
  put_le32(record.data(), out.bits());
}

}  // namespace agat
