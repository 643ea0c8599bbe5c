// Disk images as agatdisk opens them: like a panel does, with the medium on the heap and
// the form of the image found from the size of its file; and the catalog entries that
// names typed on the command line stand for.
#pragma once

#include <memory>
#include <string>

#include "core/world_formats.h"

namespace agat {

// A host path split into its directory (ending in "/", "./" for a bare name) and its name.
void split_host_path(const std::string& path, std::string& directory, std::string& name);

// A medium on the image file `path` of form `type`, nothing loaded yet.
std::unique_ptr<TMEDIA> image_medium(const std::string& path, TIMAGET type);

// The form of the image file `path`, from its size (and the header of the one form that
// has one). Prints a message and answers false when the file cannot be looked at, is not
// a file, has the size of no image form, or lacks the header its size calls for.
bool image_form_of_file(const std::string& path, TIMAGET& type);

// An image medium whose current catalog has been read, or nullptr after a message (the
// file is not an image, or the core could not read the catalog).
std::unique_ptr<TMEDIA> open_image(const std::string& path);

// The Agat name of a name typed on the command line (UTF-8): converted with L2A and padded
// with Agat blanks. False, with a Windows-1251 message in `error`, for an empty name, one
// longer than 30 characters, or one with a character that Windows-1251 lacks.
bool typed_agat_name(const std::string& utf8, TAGATNAME& name, std::string& error);

enum class EntryKind { file, btk, any };

// The first live entry of this kind in the current catalog, in catalog order, whose 30
// name bytes are `name`; nullptr when there is none.
TCATREC* find_live(TMEDIA& md, const TAGATNAME& name, EntryKind kind);
// The first deleted Agat file whose name matches `name` in its first 29 bytes (deletion
// overwrote the 30th); nullptr when there is none.
TCATREC* find_deleted(TMEDIA& md, const TAGATNAME& name);

inline bool is_deleted(const TCATREC& e) {
  return e.TTSL == 0xFF;
}

}  // namespace agat
