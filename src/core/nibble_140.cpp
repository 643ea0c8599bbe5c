// The 140 KB nibble track: the DOS 3.3 16-sector format as a circular record of 6656 disk
// bytes. Address fields carry volume, track, physical sector and checksum in 4-and-4 code;
// data fields carry 342 chained six-bit values in 6-and-2 group code.
#include "core/nibble_140.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/nibble_140_chain.h"
#include "core/nibble_140_tables.h"

namespace agat {
namespace {

constexpr std::int32_t TRACK_SIZE = static_cast<std::int32_t>(NIB140_TRACK_SIZE);
constexpr int SECTORS = 16;
constexpr int BUF2_SIZE = 86;
static_assert(BUF2_SIZE + 256 == NIB140_CHAINED);

// A circular stream of disk bytes: a nibble record, or a track latched from a bit stream.
using TRAW = std::span<const std::uint8_t>;

// The DOS 3.3 interleave: logical -> physical sector and back.
constexpr std::array<std::uint8_t, SECTORS> LG2PH = {0,  13, 11, 9, 7, 5, 3, 1,
                                                     14, 12, 10, 8, 6, 4, 2, 15};
constexpr std::array<std::uint8_t, SECTORS> PH2LG = {0,  7, 14, 6, 13, 5, 12, 4,
                                                     11, 3, 10, 2, 9,  1, 8,  15};

constexpr std::uint8_t VOLUME = 0xFE;
constexpr std::int32_t LEAD_GAP = 128;  // $FF bytes before the first address field
constexpr std::int32_t GAP2 = 5;        // between an address field and its data field
constexpr std::int32_t GAP3 = 40;       // after every data field
constexpr std::uint8_t FILL = 0xFF;

// A sector split into the 342 six-bit values of its data field, kept in the order they lie
// on the track: BUF2 from entry 85 down to entry 0, then BUF1 from 0 to 255. In this order
// both the chaining of the values and their reassembly into bytes run forwards.
struct Nibbles {
  std::array<std::uint8_t, BUF2_SIZE + 256> values{};

  // The low two bits of three bytes each.
  std::uint8_t& BUF2(int x) { return values[BUF2_SIZE - 1 - x]; }
  // Byte y shifted right by 2.
  std::uint8_t& BUF1(int y) { return values[BUF2_SIZE + y]; }
};

// Turns the last position into 0: the record is circular.
void NEXTOFS(std::int32_t& A, std::int32_t size) {
  if (++A == size) A = 0;
}

// Bits 1 and 0 of a byte as a pair for BUF2: bit 0 in the higher bit, bit 1 in the lower.
constexpr unsigned low_pair(unsigned b) {
  return ((b & 1) << 1) | ((b >> 1) & 1);
}

// The DOS 3.3 prenibble. The classic routine's counter y runs 1, 0, 255, ..., 0 (258 steps),
// so BUF2[x] ends up holding the low bits of bytes 85-x, 171-x and 257-x at bit pairs 1..0,
// 3..2 and 5..4; entries 0 and 1 take bytes 1 and 0 twice, the first time in bits 5..4. In
// track order (values[k] is BUF2[85-k]) that is bytes k, 86+k and 172+k, counted round.
void CODER(const TSECTOR& B_SEC, Nibbles& n) {
  for (int k = 0; k < BUF2_SIZE; ++k) {
    n.values[k] =
        static_cast<std::uint8_t>(low_pair(B_SEC[k]) | low_pair(B_SEC[BUF2_SIZE + k]) << 2 |
                                  low_pair(B_SEC[(2 * BUF2_SIZE + k) & 0xFF]) << 4);
  }
  for (int y = 0; y < 256; ++y) n.BUF1(y) = static_cast<std::uint8_t>(B_SEC[y] >> 2);
}

// One third of the postnibble: bytes PART x 86 on take their low bits from BUF2 entries 85,
// 84, ... at bit pair 2 x PART, bit 0 of the byte from the higher bit of the pair. The
// shift is a constant and both arrays are read forwards, so the loop becomes vector code.
template <int PART>
void postnibble_third(const std::uint8_t* values, std::uint8_t* out) {
  constexpr int first = PART * BUF2_SIZE;
  constexpr int count = std::min(BUF2_SIZE, 256 - first);
  const std::uint8_t* low_bits = values;
  const std::uint8_t* high_bits = values + BUF2_SIZE + first;
  for (int k = 0; k < count; ++k) {
    const unsigned low = low_pair(static_cast<unsigned>(low_bits[k] >> (2 * PART)));
    out[first + k] = static_cast<std::uint8_t>((high_bits[k] << 2) | low);
  }
}

// The exact inverse of CODER. Values read from a damaged field may exceed six bits; the
// bits above the three pairs of an entry, and above six in BUF1, are not used.
void DECODER(const Nibbles& n, TSECTOR& B_SEC) {
  postnibble_third<0>(n.values.data(), B_SEC.data());
  postnibble_third<1>(n.values.data(), B_SEC.data());
  postnibble_third<2>(n.values.data(), B_SEC.data());
}

// Looks for the next D5 AA pair from ANGLE on, all the way round the record. On success
// ANGLE is the position of the $D5 and the result is the byte after the $AA; otherwise
// ANGLE is -1 and the result 0.
std::uint8_t WAIT_FIELD(TRAW TR, std::int32_t& ANGLE) {
  const auto size = static_cast<std::int32_t>(TR.size());
  // The $D5 bytes are found with memchr, first from ANGLE to the end of the record, then
  // from its start up to ANGLE; the byte pair may straddle the end.
  const std::uint8_t* base = TR.data();
  const auto find_from = [&](std::int32_t from, std::int32_t to) -> std::int32_t {
    while (from < to) {
      const void* hit = std::memchr(base + from, 0xD5, static_cast<std::size_t>(to - from));
      if (hit == nullptr) return -1;
      const auto at = static_cast<std::int32_t>(static_cast<const std::uint8_t*>(hit) - base);
      if (base[(at + 1) % size] == 0xAA) return at;
      from = at + 1;
    }
    return -1;
  };
  std::int32_t at = find_from(ANGLE, size);
  if (at < 0) at = find_from(0, ANGLE);
  if (at < 0) {
    ANGLE = -1;
    return 0;
  }
  ANGLE = at;
  return base[(at + 2) % size];
}

// Forward distance from position `from` to position `to` on the circular record.
std::int32_t distance(std::int32_t from, std::int32_t to, std::int32_t size) {
  return to >= from ? to - from : to + size - from;
}

// Decodes the fields of one record in one circular pass from position 0. The scan
// position DA counts the bytes passed since the start, without wrapping, and the pass ends
// once it has gone all the way round. Comparing wrapped positions instead would miss a turn
// made within one step (an address field found just behind the scan position, a whole turn
// on) and could scan a record with a lone field across its end for ever.
class TrackReader {
 public:
  TrackReader(TRAW rec, TTRACK& B, TrackFields* fields)
      : rec_(rec), size_(static_cast<std::int32_t>(rec.size())), B_(B), fields_(fields) {}

  void run() {
    if (size_ == 0) return;
    std::int32_t DA = 0;
    while (DA < size_) {
      const std::int32_t here = DA % size_;
      std::int32_t angle = here;
      std::uint8_t RB = WAIT_FIELD(rec_, angle);
      if (angle < 0) return;  // no D5 AA pair anywhere on the track
      const std::int32_t mark = DA + distance(here, angle, size_);
      // A mark that is not an address prologue, or an address field that is rejected, is
      // passed by one byte; every scan position up to the mark would find the same mark
      // again with the same outcome, so the scan moves straight past it.
      if (RB != 0x96) {
        DA = mark + 1;
        continue;
      }
      start(mark + 3);
      CURSEC_ = 0xFF;
      ADR_FIELD();
      if (CURSEC_ >= SECTORS) {
        DA = mark + 1;
        continue;
      }
      // The data field of this sector is the first mark after the address field, however far.
      DA = pos_;
      angle = DISKANGLE_;
      RB = WAIT_FIELD(rec_, angle);
      if (RB == 0xAD) {
        start(DA + distance(DISKANGLE_, angle, size_) + 3);
        DA = DATA_FIELD() ? pos_ : DA + 1;  // a bad data field is passed like a bad address
      }
      // Otherwise DA stays just after the address field and the mark is examined again.
    }
  }

 private:
  void start(std::int32_t pos) {
    pos_ = pos;
    DISKANGLE_ = pos % size_;
  }

  std::uint8_t GETBYTE() {
    const std::uint8_t b = rec_[DISKANGLE_];
    NEXTOFS(DISKANGLE_, size_);
    ++pos_;
    return b;
  }

  // 4-and-4 code: the odd bits of the value in the first byte, the even bits in the second.
  std::uint8_t GETFMBYTE() {
    const std::uint8_t first = GETBYTE();
    return static_cast<std::uint8_t>(((first & 0x55) << 1) | (GETBYTE() & 0x55));
  }

  // Volume and track are not compared with anything, and the third epilogue byte is not
  // examined. On acceptance CURSEC is the logical sector.
  void ADR_FIELD() {
    const std::uint8_t volume = GETFMBYTE();
    const std::uint8_t track = GETFMBYTE();
    const std::uint8_t sector = GETFMBYTE();
    const std::uint8_t checksum = GETFMBYTE();
    const std::uint8_t e1 = GETBYTE();
    const std::uint8_t e2 = GETBYTE();
    GETBYTE();
    if (e1 == 0xDE && e2 == 0xAA && (volume ^ track ^ sector) == checksum && sector < SECTORS) {
      CURSEC_ = PH2LG[sector];
    }
  }

  // Undoes the chaining of the 342 values, checks the checksum byte and the epilogue, and
  // stores the sector only when all of them are right.
  bool DATA_FIELD() {
    const std::int32_t body = DISKANGLE_;
    constexpr std::int32_t kBytes = BUF2_SIZE + 256 + 1;  // the values and the checksum byte
    // A field that runs over the end of the record is gathered first; any other is read
    // straight from the record.
    std::array<std::uint8_t, kBytes> gathered;
    const std::uint8_t* bytes = rec_.data() + DISKANGLE_;
    if (DISKANGLE_ + kBytes <= size_) {
      start(pos_ + kBytes);
    } else {
      for (auto& b : gathered) b = GETBYTE();
      bytes = gathered.data();
    }
    // Checked apart from the chaining, in a loop of its own, which the compiler widens.
    std::uint8_t lowest = 0xFF;
    for (int j = 0; j < kBytes; ++j) lowest = std::min(lowest, bytes[j]);
    if (lowest < LOWEST_DISK_BYTE) return false;
    // Each value is the one before it xor-ed with the next byte's table value.
    const std::uint8_t R = unchain_(bytes, n_.values.data());
    if (TABLR[bytes[kBytes - 1]] != R) return false;
    const std::uint8_t e1 = GETBYTE();
    const std::uint8_t e2 = GETBYTE();
    GETBYTE();
    if (e1 != 0xDE || e2 != 0xAA) return false;
    DECODER(n_, B_[CURSEC_]);
    if (fields_ != nullptr) (*fields_)[CURSEC_] = body;
    return true;
  }

  TRAW rec_;
  std::int32_t size_;
  TTRACK& B_;
  TrackFields* fields_;
  std::int32_t pos_ = 0;        // current position, counted without wrapping
  std::int32_t DISKANGLE_ = 0;  // the same position on the record
  std::uint8_t CURSEC_ = 0xFF;
  Nibbles n_;
  const Unchain unchain_ = unchain();
};

// Writes the 342 chained values of sector B_SEC and its checksum byte from position `pos`
// on, round the record; answers the position after them. Each value goes out xor-ed with
// the one before it; the checksum byte is the last value. The bytes are made first and
// then copied, in two pieces where they run over the end of the record.
std::int32_t put_data_body(std::span<std::uint8_t, NIB140_TRACK_SIZE> record, std::int32_t pos,
                           const TSECTOR& B_SEC) {
  const NibbleDataBody bytes = nib140_data_body(B_SEC);
  const std::size_t before_end = std::min<std::size_t>(bytes.size(), TRACK_SIZE - pos);
  std::copy_n(bytes.begin(), before_end, record.begin() + pos);
  std::copy(bytes.begin() + before_end, bytes.end(), record.begin());
  return (pos + static_cast<std::int32_t>(bytes.size())) % TRACK_SIZE;
}

}  // namespace

NibbleDataBody nib140_data_body(const TSECTOR& B_SEC) {
  Nibbles n;
  CODER(B_SEC, n);
  NibbleDataBody bytes;
  std::uint8_t previous = 0;
  for (std::size_t k = 0; k < n.values.size(); ++k) {
    bytes[k] = TABLW[n.values[k] ^ previous];
    previous = n.values[k];
  }
  bytes.back() = TABLW[previous];
  return bytes;
}

NibbleAddressField nib140_address_field(std::uint8_t T, int logical) {
  const std::uint8_t sector = LG2PH[static_cast<std::size_t>(logical) % SECTORS];
  NibbleAddressField field{0xD5, 0xAA, 0x96};
  std::size_t at = 3;
  // 4-and-4 code: the odd bits of each value in the first byte, the even bits in the second.
  for (const std::uint8_t v : {VOLUME, T, sector, static_cast<std::uint8_t>(VOLUME ^ T ^ sector)}) {
    field[at++] = static_cast<std::uint8_t>((v >> 1) | 0xAA);
    field[at++] = static_cast<std::uint8_t>(v | 0xAA);
  }
  field[at++] = 0xDE;
  field[at++] = 0xAA;
  field[at] = 0xEB;
  return field;
}

void nib140_read_stream(std::span<const std::uint8_t> stream, TTRACK& B, TrackFields& fields) {
  for (int s = 0; s < SECTORS; ++s) B[s].fill(UNREAD_FILL);
  fields.fill(NO_FIELD);
  TrackReader(stream, B, &fields).run();
}

void NIB_READ_TRACK140(std::span<const std::uint8_t, NIB140_TRACK_SIZE> record, std::uint8_t /*T*/,
                       TTRACK& B) {
  for (int s = 0; s < SECTORS; ++s) B[s].fill(UNREAD_FILL);
  TrackReader(record, B, nullptr).run();
}

void nib140_read_fields(std::span<const std::uint8_t, NIB140_TRACK_SIZE> record, TTRACK& B,
                        TrackFields& fields) {
  for (int s = 0; s < SECTORS; ++s) B[s].fill(UNREAD_FILL);
  fields.fill(NO_FIELD);
  TrackReader(record, B, &fields).run();
}

void nib140_write_fields(std::span<std::uint8_t, NIB140_TRACK_SIZE> record,
                         const TrackFields& fields, const TTRACK& B) {
  for (int s = 0; s < SECTORS; ++s)
    if (fields[s] >= 0 && fields[s] < TRACK_SIZE) put_data_body(record, fields[s], B[s]);
}

void NIB_WRITE_TRACK140(std::span<std::uint8_t, NIB140_TRACK_SIZE> record, std::uint8_t T,
                        const TTRACK& B) {
  std::ranges::fill(record, FILL);
  std::int32_t pos = LEAD_GAP;
  const auto PUTBYTE = [&](std::uint8_t b) {
    record[pos] = b;
    NEXTOFS(pos, TRACK_SIZE);
  };
  const auto DATA_FIELD = [&](const TSECTOR& B_SEC) {
    for (const std::uint8_t b : {0xD5, 0xAA, 0xAD}) PUTBYTE(b);
    pos = put_data_body(record, pos, B_SEC);
    for (const std::uint8_t b : {0xDE, 0xAA, 0xEB}) PUTBYTE(b);
  };
  // Sectors go along the track in logical order 15, 14, ..., 0.
  for (int CURSEC = SECTORS - 1; CURSEC >= 0; --CURSEC) {
    for (const std::uint8_t b : nib140_address_field(T, CURSEC)) PUTBYTE(b);
    pos += GAP2;
    DATA_FIELD(B[CURSEC]);
    pos = (pos + GAP3) % TRACK_SIZE;
  }
}

}  // namespace agat
