// Host files that wrap an Agat binary: the code together with what the host keeps of it (its
// load address). They are no content format of Agat files but ways of carrying one to and from
// the host, one row each; an import unpacks the container into a B file, an export packs a B or
// K file into one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/world_formats.h"

namespace agat {

// What a container gives an Agat binary.
struct ContainedCode {
  std::string code;
  std::optional<std::uint16_t> address;  // none: the import's usual one
  std::vector<std::string> left_out;     // what the Agat file has no place for, named
};

struct HostContainer {
  std::string_view name;    // `agatdisk`'s --format name
  std::string_view title;   // in messages and menus
  std::string_view suffix;  // of the host file an export writes
  bool (*recognised)(std::string_view file);
  bool (*unpack)(std::string_view file, ContainedCode& out, std::string& why);
  std::string (*pack)(std::string_view code, std::uint16_t address);
};

// Every container, in the order the help and the menus list them.
std::span<const HostContainer> host_containers();

// The container of that --format name; nullptr for none.
const HostContainer* host_container_named(std::string_view name);

// The container whose signature the host file PATH starts with; nullptr when none does or
// the file cannot be read (the import that follows says why).
const HostContainer* host_container_of_file(const std::string& PATH);

// Reads the host file SRC in container C as a new B file (SUBMODE: its bytes converted from
// Windows-1251 to the Agat code) and saves it as CC_IMPORT does: loading at the address the
// container gives, or EP_IMPORT_ADDRESS; a warning names what was left out. True when it was
// saved; otherwise a critical message says why and nothing was written.
bool import_contained(const std::string& SRC, TCATREC& DST, const HostContainer& C, bool SUBMODE,
                      bool REPLACE);

// Writes the code of the loaded B or K file BUF of entry CR, with its load address, as the
// host file NM in container C (SUBMODE: converted from the Agat code to Windows-1251). False,
// with a critical message, for a file of another type or one that cannot be written.
bool export_contained(TCATREC& CR, TFILEBUF& BUF, const HostContainer& C, const std::string& NM,
                      bool SUBMODE);

}  // namespace agat
