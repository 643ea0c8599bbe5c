// The names of the complete copies that a save writes beside a file before it puts them in
// the file's place: they start with a prefix tied to the file's name, so that a later save
// of the same file finds the copies that saves killed midway left behind.
#pragma once

#include <string>
#include <string_view>

namespace agat {

// ".agat-save-" + a hash of NAME (the file's name without its directory) + "-".
std::string save_copy_prefix(std::string_view name);

}  // namespace agat
