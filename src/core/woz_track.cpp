#include "core/woz_track.h"

#include <algorithm>

#include "core/nibble_140.h"

namespace agat {

namespace {

constexpr int SECTORS = 16;
constexpr int LEAD_SYNC = 64;  // 10-bit sync bytes before the first address field
constexpr int GAP2_SYNC = 5;   // between an address field and its data field
constexpr int GAP3_SYNC = 20;  // after every data field

// The bits of a record, read and written round the track.
class BitRing {
 public:
  explicit BitRing(std::span<const std::uint8_t> record)
      : bits_(record.data() + WOZ_BITS_AT),
        count_(record.size() < WOZ_TRACK_RECORD ? 0
                                                : std::min(get_le32(record.data()), WOZ_MAX_BITS)) {
  }
  std::uint32_t count() const { return count_; }
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
  out.bytes.clear();
  out.starts.clear();
  const BitRing ring(record);
  const std::uint32_t n = ring.count();
  if (n < 8) return;
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint32_t> starts;  // counted from the first bit, over up to two turns
  bytes.reserve(n / 4 + 2);
  starts.reserve(n / 4 + 2);
  std::size_t first_turn = 0;  // bytes that begin in the first turn
  std::uint64_t p = 0;
  for (;;) {
    while (p < 2ull * n && ring.bit(static_cast<std::uint32_t>(p % n)) == 0) ++p;
    if (p >= 2ull * n) break;
    if (p >= n) {
      if (first_turn == 0) first_turn = starts.size();
      // In step: the latch began a byte here one turn earlier as well, and so goes on as then.
      const auto seen = std::lower_bound(starts.begin(), starts.begin() + first_turn,
                                         static_cast<std::uint32_t>(p - n));
      if (seen != starts.begin() + first_turn && *seen == p - n) {
        const auto k = static_cast<std::size_t>(seen - starts.begin());
        out.bytes.assign(bytes.begin() + k, bytes.end());
        for (std::size_t i = k; i < starts.size(); ++i) out.starts.push_back(starts[i] % n);
        return;
      }
    }
    bytes.push_back(ring.byte_at(static_cast<std::uint32_t>(p % n)));
    starts.push_back(static_cast<std::uint32_t>(p));
    p += 8;
  }
  // Never in step within two turns (a track without framing): the second turn as latched.
  for (std::size_t i = first_turn; i < starts.size(); ++i) {
    if (first_turn == 0) break;
    out.bytes.push_back(bytes[i]);
    out.starts.push_back(starts[i] % n);
  }
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
