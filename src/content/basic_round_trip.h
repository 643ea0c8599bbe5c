// The export of a BASIC program in Agat keywords made exact: whatever the lister's text
// cannot carry is written so that the import (content/basic_tokenise.h) gives back the
// very bytes of the file, line links, length word, long-name table and the bytes after it
// included.
#pragma once

#include <string>
#include <string_view>

#include "core/world_formats.h"

namespace agat {

// LISTING is the lister's text of the loaded program BUF of entry CR (Agat keywords, one
// text line per program line, then the long-name heading and list). Returns it with every
// line the import would read otherwise written as its codes ("^$" and hex each), followed
// by the lines that say where the program differs from the usual layout: its load address,
// its length word, the bytes after its last line, the file's size. A program whose line
// chain the text cannot rebuild at all (links that follow no one load address, numbers
// out of order, lines over 255 bytes) is written as its length word and its bytes alone.
std::string exact_basic_text(std::string_view LISTING, const TCATREC& CR, const TFILEBUF& BUF);

}  // namespace agat
