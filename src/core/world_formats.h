// The types every part of the toolset uses to talk about media, catalogs and the
// on-disk structures of the Agat DOS 3.3 file system (with the Agat volume name,
// the VTOC extension sectors of 800 KB disks and the BTK sub-catalogs).
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace agat {

inline constexpr std::int32_t MAXFILESIZE = 1023999;  // highest index of the file buffer
inline constexpr std::int32_t MAXCATSIZE = 1023;      // highest index of the catalog array
inline constexpr std::uint8_t MAXTRACK = 159;         // highest track held in memory
inline constexpr std::uint8_t MAXSECTOR = 20;         // highest sector held in memory
inline constexpr std::string_view FC_FIL_EXT = ".FIL";
inline constexpr int CATLEN = 2;  // catalog sectors of a new BTK sub-catalog

inline constexpr std::uint8_t AGAT_SPACE = 0xA0;
inline constexpr std::uint8_t UNREAD_FILL = 0xBD;  // a sector of 256 such bytes was not read

using TSECTOR = std::array<std::uint8_t, 256>;
using TTRACK = std::array<TSECTOR, MAXSECTOR + 1>;  // 21 sectors whatever the geometry

// What a sector that a track reader took whole has that its track form does not prescribe
// (the marks of copy-protected disks), as bits; 0 for a standard sector and for every
// sector of the plain forms. None of them makes the sector unreadable.
inline constexpr std::uint8_t ODD_EPILOGUE = 1;   // the address field closed by another byte
inline constexpr std::uint8_t ODD_XOR_SUM = 2;    // the data checksum an exclusive or
inline constexpr std::uint8_t ODD_SYNC_DATA = 4;  // a cell with the mark flag among the data
using TrackOddities = std::array<std::uint8_t, MAXSECTOR + 1>;
using MediaOddities = std::array<TrackOddities, MAXTRACK + 1>;  // [track][sector]
using TFILEBUF = std::array<std::uint8_t, MAXFILESIZE + 1>;
using TAGATNAME = std::array<std::uint8_t, 30>;  // Agat codes padded with $A0
using TVOLNAME = std::array<std::uint8_t, 31>;   // VTOC bytes 8..38: index 0 is byte 8
using TTSDATA = std::array<std::uint8_t, 9>;     // T/S-list bytes 3..11: index 0 is byte 3
using THOSTNAME = std::string;                   // host bytes (UTF-8 on Linux)
using TVTOCMASKS = std::array<std::uint32_t, 32>;

enum TMEDIAT : std::uint8_t { MDIMAGE = 0, MDHOSTFS = 1 };

// The order is also the order of kinds in a sorted panel.
enum TCATRECT : std::uint8_t {
  CRTHOSTFSDIR = 0,  // host directory, and every ".." entry
  CRTDISKIMAGE = 1,  // host file recognised as a disk image
  CRTBTKDIR = 2,     // BTK sub-catalog inside an image
  CRTAGATFILE = 3,   // Agat file in an image, or a host ".FIL" file
};

enum TIMAGET : std::uint8_t {
  ITI140 = 0,
  IT4I140 = 1,
  IT128I140 = 2,
  ITN140 = 3,
  ITI800 = 4,
  IT4I800 = 5,
  IT128I800 = 6,
  ITN800 = 7,
  ITA800 = 8,
  ITE800 = 9,  // an emulator's 256-byte header, then the sectors
  ITH800 = 10,  // HFE: MFM cells of both sides in blocks (core/hfe_file.h)
  ITM800 = 11,  // MFI: zlib-packed flux changes of each track (core/mfi_file.h)
  ITW140 = 12,  // a WOZ file of bit streams (core/woz_file.h)
  ITM140 = 13,  // MFI of a 140 KB disk: its tracks unpack to WOZ bit streams (core/mfi_file.h)
};
inline constexpr int IMAGE_TYPE_COUNT = 14;

enum TSORTMODE : std::uint8_t { SMNO = 0, SMNAME = 1, SMTYPE = 2 };

struct TMEDIA;

// The place of one sector: track and sector.
struct TSREF {
  std::uint8_t TR = 0;
  std::uint8_t SC = 0;
  bool operator==(const TSREF&) const = default;
};

// One catalog entry as the panels show it.
struct TCATREC {
  TCATRECT CATRECT = CRTHOSTFSDIR;
  TMEDIA* PMEDIA = nullptr;
  THOSTNAME HOSTNAME;
  TAGATNAME AGATNAME{};
  TTSDATA TSDATA{};
  std::int32_t SIZECAT = 0;  // size in sectors as the catalog states it
  std::int32_t SIZE = 0;     // data bytes in the file buffer
  std::int32_t OCAT = 0;     // index 0..6 within its catalog sector
  std::uint8_t TTSL = 0;     // first T/S list (BTK: first catalog sector); $FF when deleted
  std::uint8_t STSL = 0;
  std::uint8_t TCAT = 0;  // catalog sector that holds the entry
  std::uint8_t SCAT = 0;
  std::uint8_t EXT = 0;  // type byte
  std::uint8_t HID = 0;  // last byte of the entry; bit 7 = hidden
  TIMAGET IMAGET = ITI140;
  bool SELECT = false;
};

// The sectors of a medium, MASS[T][S]: MAXTRACK + 1 tracks of 21 sectors, zero when made.
// They live in one block of their own, taken zeroed from the system, whose pages are
// touched only as they are used: a program that opens one 140 KB image pays for the tracks
// of that image, not for the whole 800 KB. Copies are deep.
class TMASS {
 public:
  using Tracks = std::array<TTRACK, MAXTRACK + 1>;

  TMASS() : tracks_(static_cast<Tracks*>(std::calloc(1, sizeof(Tracks)))) {
    if (tracks_ == nullptr) throw std::bad_alloc();
  }
  TMASS(const TMASS& other) : TMASS() { *tracks_ = *other.tracks_; }
  TMASS& operator=(const TMASS& other) {
    *tracks_ = *other.tracks_;
    return *this;
  }
  ~TMASS() { std::free(tracks_); }

  TTRACK& operator[](std::size_t track) { return (*tracks_)[track]; }
  const TTRACK& operator[](std::size_t track) const { return (*tracks_)[track]; }
  TTRACK* data() { return tracks_->data(); }
  const TTRACK* data() const { return tracks_->data(); }
  static constexpr std::size_t size() { return MAXTRACK + 1; }
  Tracks::iterator begin() { return tracks_->begin(); }
  Tracks::iterator end() { return tracks_->end(); }
  Tracks::const_iterator begin() const { return tracks_->begin(); }
  Tracks::const_iterator end() const { return tracks_->end(); }
  bool operator==(const TMASS& other) const { return *tracks_ == *other.tracks_; }

 private:
  Tracks* tracks_;
};

struct TCAT {
  std::int32_t CATNUM = 0;
  std::array<TCATREC, MAXCATSIZE + 1> CATREC;
  TSORTMODE SORTMODE = SMNO;
};

// One opened medium: a host directory, or one disk image held whole in memory.
struct TMEDIA {
  bool VTOCINVALID = false;
  TMEDIAT MEDIAT = MDHOSTFS;
  TCAT CAT;
  TVOLNAME VOLUMEID{};
  std::uint32_t SELSPACE = 0;  // kept in the record; nothing reads or writes it
  std::uint32_t FREESPACE = 0;
  THOSTNAME HOSTPATH;  // always ends in the path separator
  THOSTNAME IMAGENAME;
  TIMAGET IMAGET = ITI140;
  std::uint8_t NUMTR = 34;  // highest track number
  std::uint8_t NUMSC = 15;  // highest sector number
  const TVTOCMASKS* VTOCMASKS = nullptr;
  TMASS MASS;  // MASS[T][S] is sector S of track T
  // The description in the header of an ITE800 image (Windows-1251): every load sets it
  // (empty for the other forms), and a new ITE800 file gets it in its header.
  std::string DESCRIPTION;
  // nonstandard[T][S]: the ODD_ bits of sector S of track T as the last load decoded it.
  MediaOddities nonstandard{};

  // What this medium alone knows of its image, never written to it; entering or leaving
  // an image forgets both. held_catalog: the first sector of the catalog shown instead of
  // the VTOC's, after a sub-catalog was entered in an image that cannot be written.
  // known_root: the first sector of a catalog seen to be the image's root (its first
  // entry did not lead anywhere), which tells a sub-catalog in that entry from a way back.
  std::optional<TSREF> held_catalog;
  std::optional<TSREF> known_root;
  // A digest of the image's tracks (and header) as this medium last loaded or saved them:
  // a save that finds other bytes in the file knows that another program wrote it since,
  // and writes nothing rather than lose that program's change.
  std::optional<std::uint64_t> loaded_digest;
  // Per track, the sectors (bit S for sector S) of a nibble or AIM file whose field the
  // last load did not find: a save cannot write them, so they are never given to a file.
  std::array<std::uint32_t, MAXTRACK + 1> unwritable{};
};

// Everything the programs know of one image form, one row per form in TIMAGET's order
// (world_formats.cpp checks at compile time that every form has its row, in order). How a
// track of the form is coded is its row of the codecs (core/track_codecs.h).
struct TIMAGEDESC {
  TIMAGET form;      // the form this row describes
  std::uint8_t NTR;  // highest track number
  std::uint8_t NSC;  // highest sector number
  std::int32_t FULLSIZE;  // bytes of the whole file: header, tracks, trailer
  std::int32_t header;    // bytes before the tracks
  std::int32_t trailer;   // bytes after the tracks, kept as they are by a save
  bool signed_header;     // the header is an emulator's: the form is known by it and its size
  bool creatable;         // a new file of the form can be made (its header, if any, made anew)
  std::string_view form_name;  // the name of the form in agatdisk's --form
  std::string_view extension;  // of a new file of the form
  std::string_view SHNAME;
  std::string_view HMNAME;      // Windows-1251
  std::string_view menu_label;  // the item that makes a new file, Windows-1251; "" if none
};

extern const std::array<TIMAGEDESC, IMAGE_TYPE_COUNT> IMAGEDESC;
extern const TVTOCMASKS FC_VTOCMASK140;
extern const TVTOCMASKS FC_VTOCMASK800;

// The image type of a host file of this size; false when no form has that size. A file of
// the size of a form with signed_header is that form only when it holds the header
// (image_type_of_file).
bool image_type_of_size(std::uint64_t size, TIMAGET& type);

// The form whose agatdisk name is NAME; false when none is.
bool image_type_of_name(std::string_view name, TIMAGET& type);

// Bytes of one track in a file of the form; of all its tracks; before its tracks (the header).
std::size_t image_record_size(TIMAGET type);
std::size_t image_data_size(TIMAGET type);
std::size_t image_header_size(TIMAGET type);

// Sets NUMTR, NUMSC and VTOCMASKS for an image of this type.
void set_geometry(TMEDIA& md, TIMAGET type);

// ---------------------------------------------------------------------------
// On-disk records. Each is a byte-for-byte view of a 256-byte sector (or of a
// 35-byte catalog entry); multi-byte numbers are little-endian.

struct TVTOCSECTOR {
  std::uint8_t R0;
  std::uint8_t TE;  // first sector of the current catalog
  std::uint8_t SE;
  std::uint8_t R1[3];
  std::uint8_t VOLNUM;
  std::uint8_t R2;
  std::uint8_t VOLNAME[31];
  std::uint8_t TSPAIRNUM;
  std::uint8_t R3[8];
  std::uint8_t NEXTAVAILTR;
  std::uint8_t DIRECTTOTR;  // signed: +1 or -1
  std::uint8_t R4;
  std::uint8_t R5;
  std::uint8_t TRNUM;
  std::uint8_t SCNUM;
  std::uint8_t BTNUM[2];
  std::uint8_t MAP[50][4];  // masks of tracks 0..49
};

struct TVTOCESECTOR {
  std::uint8_t MAP[64][4];
};

struct TCATREC33 {
  std::uint8_t TF;  // 0 = never used (ends the catalog), $FF = deleted
  std::uint8_t SF;
  std::uint8_t E;  // type byte; $FF = BTK sub-catalog
  std::uint8_t N[30];
  std::uint8_t L;  // length in sectors
  std::uint8_t R;  // bit 7 = hidden
};

struct TCATSECTOR {
  std::uint8_t R0;
  std::uint8_t TE;  // next catalog sector; track 0 ends the chain
  std::uint8_t SE;
  std::uint8_t R1[8];
  TCATREC33 CR[7];
};

struct TTSLSECTOR {
  std::uint8_t R;
  std::uint8_t TE;  // next T/S-list sector; track 0 ends the chain
  std::uint8_t SE;
  std::uint8_t DATA[9];
  std::uint8_t TSL[122][2];
};

struct TFILHEADER {
  std::uint8_t AGATNAME[30];
  std::uint8_t TSDATA[9];
  std::uint8_t EXT;
};

struct T128EPILOG {
  char SIGN[9];
  std::uint8_t HEADER;
  std::uint8_t FMT;
  std::uint8_t ID;
  std::uint8_t CHS[2];
  std::uint8_t DATA[2];
  char NAME[48];
  char AUTHOR[16];
  char CONTACT[32];
  std::uint8_t RES[12];
  std::uint8_t DESCOFS[2];
  std::uint8_t MACROOFS[2];
};

static_assert(sizeof(TVTOCSECTOR) == 256 && alignof(TVTOCSECTOR) == 1);
static_assert(sizeof(TVTOCESECTOR) == 256);
static_assert(sizeof(TCATREC33) == 35);
static_assert(sizeof(TCATSECTOR) == 256);
static_assert(sizeof(TTSLSECTOR) == 256);
static_assert(sizeof(TFILHEADER) == 40);
static_assert(sizeof(T128EPILOG) == 128);

// A sector seen as one of the records above.
template <class Record>
Record& as(TSECTOR& sector) {
  static_assert(sizeof(Record) == 256 && std::is_trivially_copyable_v<Record> &&
                alignof(Record) == 1);
  return *reinterpret_cast<Record*>(sector.data());
}
template <class Record>
const Record& as(const TSECTOR& sector) {
  static_assert(sizeof(Record) == 256 && std::is_trivially_copyable_v<Record> &&
                alignof(Record) == 1);
  return *reinterpret_cast<const Record*>(sector.data());
}

inline std::uint32_t get_le32(const std::uint8_t* p) {
  return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}
inline void put_le32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline std::uint16_t get_le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline void put_le16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace agat
