// Disk images as agatdisk opens them: like a panel does, with the medium on the heap and
// the form of the image found from the size of its file; and the catalog entries that
// names typed on the command line stand for.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/image_lock.h"

#include "core/world_formats.h"

namespace agat {

// A host path split into its directory (ending in the separator, "./" for a bare name)
// and its name.
void split_host_path(const std::string& path, std::string& directory, std::string& name);

// Makes `md` a medium on the image file `path` of form `type`, nothing loaded yet; what it
// knew of an image before is forgotten.
void point_at_image(TMEDIA& md, const std::string& path, TIMAGET type);

// A new medium on the image file `path` of form `type`, nothing loaded yet.
std::unique_ptr<TMEDIA> image_medium(const std::string& path, TIMAGET type);

// The form of the image file `path`, from its size (and the header of the one form that
// has one). Prints a message and answers false when the file cannot be looked at, is not
// a file, has the size of no image form, or lacks the header its size calls for.
bool image_form_of_file(const std::string& path, TIMAGET& type);

// For a command that changes the image it names first (COMMAND: its name), takes that
// image's write lock into LOCK before the image is read, so that its read-change-save is
// one turn; other commands take none. False, after a message, when another writer kept
// the image busy for the whole wait.
bool lock_for_command(std::string_view command, const std::string& path,
                      std::optional<ImageLock>& lock);

// An image medium whose current catalog has been read, or nullptr after a message (the
// file is not an image, or the core could not read the catalog).
std::unique_ptr<TMEDIA> open_image(const std::string& path);

// A name typed on the command line: in Agat codes by the rule for host names (L2A, padded
// with Agat blanks), and as text to compare with names as the listing shows them.
struct TypedName {
  TAGATNAME agat{};
  std::string shown;  // Windows-1251, without trailing blanks
};

// The name typed as UTF-8. False, with a Windows-1251 message in `error`, for an empty
// name, one longer than 30 characters, or one with a character that Windows-1251 lacks.
bool typed_agat_name(const std::string& utf8, TypedName& name, std::string& error);

enum class EntryKind { file, btk, any };

// The first entry of this kind in catalog order, live or deleted, that the typed name
// stands for: its name bytes equal the name in Agat codes, or its name as the listing
// shows it equals the typed text (a deleted entry on its first 29 characters, since
// deletion overwrote the 30th). nullptr when none is; nullptr with `ambiguous` set when
// entries whose names differ in their bytes are.
TCATREC* find_named(TMEDIA& md, const TypedName& name, EntryKind kind, bool deleted,
                    bool& ambiguous);

// The file `get` reads: a live one first, a deleted one when no live file has the name.
TCATREC* find_file_to_read(TMEDIA& md, const TypedName& name, bool& ambiguous);

inline bool is_deleted(const TCATREC& e) {
  return e.TTSL == 0xFF;
}

}  // namespace agat
