// The standard streams of agatdisk as byte streams on every host, and text shown where it
// goes: written as it is into a file or a pipe (UTF-8), shown as its characters by a
// Windows console (whatever its code page). One definition per host.
#pragma once

#include <cstdio>
#include <string_view>

namespace agat {

// Makes standard input, output and error carry bytes unchanged (on Windows they would
// turn LF into CR LF). Called once at start.
void prepare_standard_streams();

// Whether STREAM is a terminal (a console on Windows), where a progress bar may be drawn.
bool is_terminal(std::FILE* stream);

// Writes UTF-8 text to STREAM.
void write_text(std::FILE* stream, std::string_view utf8);

}  // namespace agat
