// What the commands of agatdisk share: operands and option values turned into what the
// core takes, host files that must not be overwritten, and names as they are shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "content/format_defines.h"
#include "core/cp1251_literal.h"
#include "core/host_file_io.h"
#include "core/immap_summary.h"
#include "core/world_formats.h"
#include "image_access.h"

namespace agat {

// The option that lets a command replace an existing host file.
inline constexpr Option kForce{"--force", "-f", {}};
// The option of the reading commands that reads inside a sub-catalog of the current one.
inline constexpr Option kIn{"--in", {}, "КАТАЛОГ"_w};

// With --in NAME, the reading commands read inside the sub-catalog NAME of the current
// catalog, entered in memory only: the image is not written, so this works on images that
// cannot be written too. The catalog is read again there. False after a message.
bool enter_in(TMEDIA& md, const ParsedArgs& args);

// A name typed on the command line; a UsageError when it cannot be one.
TypedName typed_name(const std::string& utf8);

// Says why the name typed as `utf8` found no entry: `missing` and the name when none has
// it, or that entries of different names have it.
void not_found(const std::string& utf8, std::string_view missing, bool ambiguous);

// The entry of this kind (live, or with `deleted` a deleted file) that the name typed as
// `utf8` stands for; nullptr after a message.
TCATREC* named_entry(TMEDIA& md, const std::string& utf8, EntryKind kind, bool deleted,
                     std::string_view missing);

// The form given with --form, one of those a new image file can have (IMAGEDESC's
// creatable); a UsageError for a missing or unknown form, or one that cannot be made.
TIMAGET creatable_form(const ParsedArgs& args);

// The description given with --description (Windows-1251), "" without it; a UsageError
// when `form` has no header to hold it, or the text does not fit one unchanged.
std::string typed_description(const ParsedArgs& args, TIMAGET form);

// The type byte of a --type value: a type letter (Latin or Cyrillic, either case), or
// any type byte but $FF in hexadecimal ("0x84", "$84"), lock bit included.
std::uint8_t type_byte(const std::string& utf8);

// The name of a content format on the command line: its name without "FF", in lower case
// ("auto", "asis", "binary" ... "mgfragm").
std::string_view format_name(TFILEFORMAT f);

// The names of the content formats that PICK accepts, in the order of TFILEFORMAT, joined
// by ", ", the last one by LAST: the lists of formats in the help texts.
std::string format_names(bool (*pick)(const ContentFormat&), std::string_view last = ", ");

// TEXT kept for as long as the program runs: a help text made when the table is built.
std::string_view kept_text(std::string text);

// The format given with --format, "auto" when none is; a UsageError for an unknown name.
TFILEFORMAT format_option(const ParsedArgs& args);

// Whether anything (a file, a directory, a dangling link) has this name.
bool host_object_exists(const std::string& path);

// True, after a message, when `path` exists and --force was not given.
bool refuse_existing(const std::string& path, const ParsedArgs& args);

// Writes DATA into the host file PATH; a file that exists is replaced only by a complete
// new copy. A new file is synced unless SYNC says otherwise. False after a message.
bool write_host_file(const std::string& path, const std::uint8_t* data, std::size_t size,
                     FileSync sync = FileSync::durable);

// Loads into BUF the file of the current catalog that the name TYPED stands for: a live file
// first, a deleted one when no live file has the name (it reads well while its sectors are
// not reused). nullptr after a message when there is none or the core cannot load it.
TCATREC* load_named_file(TMEDIA& md, const std::string& typed, TFILEBUF& buf);

// The file of the current catalog of IMAGE that the name TYPED stands for, as get finds it:
// a live one first, a deleted one when no live file has the name. nullptr after a message.
TCATREC* file_named(TMEDIA& md, const std::string& image, const std::string& typed);

// A host-directory medium on the directory of `path`; `name` gets the rest of the path.
std::unique_ptr<TMEDIA> host_medium_for(const std::string& path, std::string& name);

// Control codes of a name (Agat $80..$9F) would act on the terminal; they show as "?".
std::string visible(std::string text);

// A sector a track reader took although it departs from the track form (the marks of
// protected disks), with the ODD_ bits of its departures.
struct NonstandardSector {
  TSECTORPLACE at;
  std::uint8_t odd;
};
std::vector<NonstandardSector> nonstandard_sectors(const TMEDIA& md);

// Whether list shows the entry: a file or a BTK sub-catalog, live or deleted.
inline bool is_listed(const TCATREC& e) {
  return e.CATRECT == CRTAGATFILE || e.CATRECT == CRTBTKDIR;
}

// The shown name of an entry: a deleted entry's last character is a track number.
std::string entry_name(const TCATREC& e);

// The volume name as the panels show it (the core has dropped the $8D that ends it).
std::string volume_name(const TMEDIA& md);

}  // namespace agat
