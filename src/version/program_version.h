// The version of the programs: the project's version, and the commit of the sources they were
// built from when the build knew it. Kept out of the libraries, so that a new commit rebuilds
// only this small library and relinks the programs.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace agat {

// The project's version ("0.9.0") and the short commit hash ("" when unknown). Defined in
// the source the build generates.
std::string_view project_version();
std::string_view build_commit();

// The line `--version` prints, without its line end: "agatdisk 0.9.0 (abc1234)", or
// "agatdisk 0.9.0" when the commit is unknown.
std::string version_line(std::string_view program);

// True when the arguments ask for the version: the first of them is exactly "--version". A
// file of that name is still reached as "./--version".
bool asks_for_version(std::span<const std::string> args);

}  // namespace agat
