// What agatdisk writes to the terminal. Every text inside the program is Windows-1251, as
// the core's messages are; it becomes UTF-8 only here, on its way out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

// Windows-1251 text as UTF-8 with LF line ends (a CR LF of the core's messages loses its CR).
std::string terminal_text(std::string_view cp1251);

// Writes Windows-1251 text to standard output, converted.
void print(std::string_view cp1251);
// A report printed on standard output while it is made, however long: its lines go out
// as the report passes them on, as plain text or as the viewer shows them (content/
// report_reader.h), and nothing is held back or cut.
class PrintedReport {
 public:
  enum Form { PLAIN, SHOWN };
  explicit PrintedReport(Form form);
  PrintedReport(const PrintedReport&) = delete;
  PrintedReport& operator=(const PrintedReport&) = delete;

  TextReport& report() { return report_; }
  // Prints what is left, and a line feed when the report ends without one.
  void end();

 private:
  Form form_;
  char last_ = '\n';  // the last character printed
  TextReport report_;
};

// Writes host bytes (a path as given) to standard output as they are.
void print_host(std::string_view host);
// Writes "agatdisk: " and one line of Windows-1251 text to standard error, converted.
void print_error(std::string_view cp1251);

// While a command goes through several images, every message names the one it is about
// after "agatdisk: " (the path as given, host bytes); "" names none.
void set_message_subject(std::string_view host);

// Shows what the core's two message buffers hold on standard error and empties them.
// True when the critical buffer held something: the operation failed.
bool core_failed();

// An Agat name as Windows-1251 text: its first `length` characters (30, or 29 for a
// deleted entry, whose last character holds a track number) with trailing blanks dropped.
std::string agat_name_text(const std::uint8_t* name, std::size_t length);
inline std::string agat_name_text(const TAGATNAME& name, std::size_t length = 30) {
  return agat_name_text(name.data(), length);
}

// Windows-1251 text as a JSON string literal, quotes included; still Windows-1251, like
// all text on its way to print().
std::string json_string(std::string_view cp1251);

// Host bytes (a path, a name typed on the command line) between double quotes, in
// Windows-1251 for a message.
std::string quoted_host(std::string_view host);

}  // namespace agat
