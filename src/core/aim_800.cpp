// The AIM track: 6464 little-endian 16-bit cells. A cell below $100 is a byte of the track
// stream, $100 the synchronising byte that opens a field prologue, $200 the end of the
// track (the stream goes on at cell 0), and a cell above $200 is skipped. The track is
// only ever read and rewritten in place: the codec never creates its structure.
#include "core/aim_800.h"

#include <array>
#include <bit>
#include <cstring>

#include "core/track_checksum.h"

namespace agat {
namespace {

constexpr int SECTORS = MAXSECTOR + 1;

constexpr std::uint16_t MARK = 0x100;
constexpr std::uint16_t END_OF_TRACK = 0x200;
constexpr std::uint8_t ADDRESS_PROLOG = 0x95;  // $100 $95 $6A
constexpr std::uint8_t DATA_PROLOG = 0x6A;     // $100 $6A $95
constexpr std::uint8_t CLOSING = 0x5A;         // the last cell of both kinds of field
constexpr std::int32_t DATA_SEARCH = 256;      // start positions tried for a data prologue

// The scan of one track record of CELLS cells: the position of every sector's data, found
// in one pass over the stream that starts at cell 0.
class AimTrack {
 public:
  // Without `scan` the track only serves to move along its stream.
  AimTrack(const std::uint8_t* AIMTRACK, std::int32_t CELLS, bool scan = true)
      : AIMTRACK_(AIMTRACK), LAST_CELL(CELLS - 1) {
    DF_.fill(-1);
    odd_DF_.fill(-1);
    if (scan) FIND_AF();
  }

  std::uint16_t cell(std::int32_t O) const { return get_le16(AIMTRACK_ + 2 * O); }

  // The last of the data cells (below $100) that follow cell O without a break, or O. Such
  // a cell opens no prologue, and the advance onto it from the cell before is a plain step
  // that cannot end the pass, so the scan may go over the run in one move. (The advance
  // from the end-of-track cell, and from cell 6463, is no plain step: they stay.)
  std::int32_t end_of_data_run(std::int32_t O) const {
    if (cell(O) == END_OF_TRACK) return O;
    // Sixteen, then four cells at a time while their high bytes are all zero.
    constexpr std::uint64_t HIGH_BYTES =
        std::endian::native == std::endian::little ? 0xFF00FF00FF00FF00u : 0x00FF00FF00FF00FFu;
    for (std::uint64_t w[4]; O + 16 <= LAST_CELL; O += 16) {
      std::memcpy(w, AIMTRACK_ + 2 * (O + 1), sizeof w);
      if (((w[0] | w[1] | w[2] | w[3]) & HIGH_BYTES) != 0) break;
    }
    for (std::uint64_t four; O + 4 <= LAST_CELL; O += 4) {
      std::memcpy(&four, AIMTRACK_ + 2 * (O + 1), sizeof four);
      if ((four & HIGH_BYTES) != 0) break;
    }
    while (O < LAST_CELL && cell(O + 1) <= 0xFF) ++O;
    return O;
  }

  // Whether the 256 cells from cell O on are all stream cells that are not the end of the
  // track (below $200), one after another: then each advance from one of them but the last
  // is a plain step to the next.
  bool stream_runs_straight(std::int32_t O) const {
    if (O < 0 || O + 255 > LAST_CELL) return false;
    unsigned high = 0;
    for (int k = 0; k < 256; ++k) high |= AIMTRACK_[2 * (O + k) + 1] >> 1;
    return high == 0;
  }

  // The 256 data bytes of a field whose cells lie one after another from cell O on, all of
  // them data cells, so that each advance between them is a plain step; false (and `out`
  // spoilt) when they do not.
  bool read_data_run(std::int32_t O, TSECTOR& out) const {
    if (O < 0 || O + 255 > LAST_CELL) return false;
    const std::uint8_t* cells = AIMTRACK_ + 2 * O;
    unsigned high = 0;
    for (int k = 0; k < 256; ++k) {
      out[k] = cells[2 * k];
      high |= cells[2 * k + 1];
    }
    return high == 0;
  }

  // Position of the first data cell of each sector's data field, or -1.
  const std::array<std::int32_t, SECTORS>& DF() const { return DF_; }
  // The same for the last address field of each sector that was closed by a byte other
  // than $5A (as copy-protected disks write them), or -1: taken only where DF gives nothing.
  const std::array<std::int32_t, SECTORS>& odd_DF() const { return odd_DF_; }

  // Moves O to the next cell of the stream: from the end-of-track cell or from cell 6463 on
  // to cell 0, then on over every cell of $200 or more. An advance that wraps round to
  // STARTPOINT sets FIN even when cell 0 is itself skipped, so that a record whose cell 0 is
  // $200 or more also ends its pass after one turn; where cell 0 is a stream cell this is
  // the same as landing on it. A second wrap within one advance means that the record has
  // no cell to stop on: the advance then ends at cell 0.
  void NEXTOFS(std::int32_t& O) {
    int wraps = 0;
    do {
      if (cell(O) == END_OF_TRACK || O == LAST_CELL) {
        O = STARTPOINT;
        if (++wraps == 2) break;
      } else {
        ++O;
      }
    } while (cell(O) >= END_OF_TRACK);
    if (wraps != 0) FIN_ = true;
  }

 private:
  // True when cell F opens the prologue $100 S (not S); T is then the cell after it.
  bool IS_PROLOG(std::uint8_t S, std::int32_t F, std::int32_t& T) {
    T = F;
    if (cell(T) != MARK) return false;
    NEXTOFS(T);
    if (cell(T) != S) return false;
    NEXTOFS(T);
    if (cell(T) != static_cast<std::uint8_t>(~S)) return false;
    NEXTOFS(T);
    return true;
  }

  // The first data cell of the data field whose prologue starts at one of the 256 cells
  // from POS on, counted plainly (flagged cells included); past cell 6463 the count goes
  // on at cell 0. -1 when there is none.
  std::int32_t FIND_DF(std::int32_t POS) {
    for (std::int32_t k = 0; k < DATA_SEARCH; ++k) {
      std::int32_t T;
      if (IS_PROLOG(DATA_PROLOG, (POS + k) % (LAST_CELL + 1), T)) return T;
    }
    return -1;
  }

  // One pass over the stream. Every advance can end it, also those made while a field is
  // examined, so a field that runs over the end of the stream is still taken whole. When a
  // sector number occurs twice, the later address field decides, found data or not. An
  // address field closed by another data byte is kept apart.
  void FIND_AF() {
    DF_.fill(-1);
    odd_DF_.fill(-1);
    std::int32_t POS = STARTPOINT;
    FIN_ = false;
    do {
      std::int32_t T;
      if (IS_PROLOG(ADDRESS_PROLOG, POS, T)) {
        POS = T;       // volume
        NEXTOFS(POS);  // track
        NEXTOFS(POS);  // sector
        const std::uint16_t s = cell(POS);
        if (s <= MAXSECTOR) {
          NEXTOFS(POS);
          if (cell(POS) == CLOSING)
            DF_[s] = FIND_DF(POS);
          else if (cell(POS) <= 0xFF)
            odd_DF_[s] = FIND_DF(POS);
        }
      }
      POS = end_of_data_run(POS);
      NEXTOFS(POS);
    } while (!FIN_);
  }

  static constexpr std::int32_t STARTPOINT = 0;

  const std::uint8_t* AIMTRACK_;
  std::int32_t LAST_CELL;
  std::array<std::int32_t, SECTORS> DF_{};
  std::array<std::int32_t, SECTORS> odd_DF_{};
  bool FIN_ = false;
};

// Writes sector D into the data, checksum and closing cells of the field whose first data
// cell is SK. The stream is followed as the scan found it: every advance from a stream
// cell stops on a stream cell (below $200), so cells of $200 or more, the end-of-track cell
// among them, are never written; as only bytes are stored, every advance stays the same.
// The advance from a cell reads it before it is rewritten, which gives the same next cell
// (neither value is the end cell) and keeps the store apart from the next load. With
// KEEP_FLAGS a data cell keeps its mark flag and only its byte changes; the checksum is of
// the kind ODD names.
void write_sector(AimTrack& track, std::uint8_t* record, std::int32_t SK, const TSECTOR& D,
                  std::uint8_t odd, bool keep_flags) {
  const auto put = [&](std::int32_t at, std::uint8_t v) {
    if (keep_flags)
      record[2 * at] = v;  // the low byte of the little-endian cell
    else
      put_le16(record + 2 * at, v);
  };
  if (track.stream_runs_straight(SK)) {
    // The 256 advances are plain steps: the cells go one after another.
    for (int k = 0; k < 256; ++k) put(SK + k, D[k]);
    SK += 255;
    track.NEXTOFS(SK);
  } else {
    for (const std::uint8_t b : D) {
      const std::int32_t at = SK;
      track.NEXTOFS(SK);
      put(at, b);
    }
  }
  const std::int32_t at = SK;
  track.NEXTOFS(SK);
  put_le16(record + 2 * at, sector_checksum(D, odd));
  put_le16(record + 2 * SK, CLOSING);
}

// Reads the data field whose first data cell is POS into OUT: 256 data cells, the checksum
// and $5A. A data cell with the mark flag gives its byte, and the checksum may be an
// exclusive or; ODD gets the bits of such departures. False when the field is bad.
bool read_field(AimTrack& track, std::int32_t POS, TSECTOR& out, std::uint8_t& odd) {
  if (POS <= 0) return false;
  if (track.read_data_run(POS, out)) {
    POS += 255;
    track.NEXTOFS(POS);
  } else {
    for (int O = 0; O < 256; ++O) {
      const std::uint16_t c = track.cell(POS);
      if (c >= END_OF_TRACK) return false;
      if (c > 0xFF) odd |= ODD_SYNC_DATA;
      out[O] = static_cast<std::uint8_t>(c);
      track.NEXTOFS(POS);
    }
  }
  if (!checksum_holds(out, track.cell(POS), odd)) return false;
  track.NEXTOFS(POS);
  return track.cell(POS) == CLOSING;
}

}  // namespace

// A sector is taken from 256 data cells followed by its checksum and $5A; a data field that
// starts at cell 0 counts as not found. The field of an address field closed by $5A is
// tried first, then that of one closed by another byte, unless another address field
// leads to it too.
void aim800_read_fields(std::span<const std::uint8_t, ATRSIZE> record, TTRACK& B,
                        TrackFields& fields, TrackOddities& odd) {
  aim800_read_cells(record, B, fields, odd);
}

void aim800_read_cells(std::span<const std::uint8_t> record, TTRACK& B, TrackFields& fields,
                       TrackOddities& odd) {
  AimTrack track(record.data(), static_cast<std::int32_t>(record.size() / 2));
  // A data field that another address field also leads to belongs to that one: a damaged
  // address field just before another sector's finds that sector's data.
  const auto shared = [&track](int S) {
    for (int other = 0; other < SECTORS; ++other)
      if (other != S &&
          (track.DF()[other] == track.odd_DF()[S] || track.odd_DF()[other] == track.odd_DF()[S]))
        return true;
    return false;
  };
  for (int S = 0; S < SECTORS; ++S) {
    odd[S] = 0;
    fields[S] = track.DF()[S];
    if (read_field(track, fields[S], B[S], odd[S])) continue;
    odd[S] = ODD_EPILOGUE;
    fields[S] = track.odd_DF()[S];
    if (!shared(S) && read_field(track, fields[S], B[S], odd[S])) continue;
    B[S].fill(UNREAD_FILL);
    fields[S] = NO_FIELD;
    odd[S] = 0;
  }
}

void AIM_READ_TRACK800(std::span<const std::uint8_t, ATRSIZE> record, std::uint8_t /*T*/,
                       TTRACK& B) {
  TrackFields fields;
  TrackOddities odd;
  aim800_read_fields(record, B, fields, odd);
}

void aim800_write_fields(std::span<std::uint8_t, ATRSIZE> record, const TrackFields& fields,
                         const TrackOddities& odd, const TTRACK& B) {
  constexpr auto CELLS = static_cast<std::int32_t>(AIM_TRACK_CELLS);
  AimTrack track(record.data(), CELLS, false);
  for (int S = 0; S < SECTORS; ++S)
    if (fields[S] > 0 && fields[S] < CELLS)
      write_sector(track, record.data(), fields[S], B[S], odd[S], true);
}

// Every sector that can be located is written, whether it decoded or not.
void AIM_WRITE_TRACK800(std::span<std::uint8_t, ATRSIZE> record, std::uint8_t /*T*/,
                        const TTRACK& B) {
  AimTrack track(record.data(), static_cast<std::int32_t>(AIM_TRACK_CELLS));
  for (int S = 0; S < SECTORS; ++S)
    if (track.DF()[S] > 0) write_sector(track, record.data(), track.DF()[S], B[S], 0, false);
}

}  // namespace agat
