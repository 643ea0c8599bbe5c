// The folder in which a fuzz target writes the files its input describes: one per process,
// in memory where the system offers a tmpfs (/dev/shm), removed when the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace agat::fuzz {

// The folder, with a trailing separator, as media keep host paths.
const std::string& scratch_dir();

// Writes BYTES as the file NAME in the folder and answers its path.
std::string write_scratch_file(const std::string& name, const std::uint8_t* bytes,
                               std::size_t size);

// The bytes of the file NAME in the folder (empty when it cannot be read).
std::vector<std::uint8_t> read_scratch_file(const std::string& name);

}  // namespace agat::fuzz
