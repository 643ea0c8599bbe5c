// The program's command-line arguments as host text: the bytes given on POSIX hosts, UTF-8
// made from the wide command line on Windows (where the narrow one would have lost every
// character of other code pages). One definition per host.
#pragma once

#include <string>
#include <vector>

namespace agat {

// The arguments after the program's name.
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace agat
