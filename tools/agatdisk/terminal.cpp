#include "terminal.h"

#include <cstdio>

#include "content/report_reader.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "streams.h"

namespace agat {

namespace {

std::string message_subject;

void write_all(std::FILE* stream, std::string_view text) {
  write_text(stream, text);
}

// "agatdisk: " and the image the message is about, if one is named. A message about an
// image comes after what was shown of the images before it.
std::string message_head() {
  if (message_subject.empty()) return "agatdisk: ";
  std::fflush(stdout);
  return "agatdisk: " + message_subject + ": ";
}

// Each line of a message buffer on standard error, after `prefix`; the buffer is emptied.
void show_buffer(std::string& buffer, std::string_view prefix) {
  const std::string text = terminal_text(buffer);
  buffer.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    // The blank lines of a buffer that holds line ends alone carry nothing.
    if (end > start)
      write_all(stderr,
                message_head() + terminal_text(prefix) + text.substr(start, end - start) + "\n");
    start = end + 1;
  }
}

}  // namespace

std::string terminal_text(std::string_view cp1251) {
  std::string text;
  text.reserve(cp1251.size());
  for (std::size_t i = 0; i < cp1251.size(); ++i)
    if (!(cp1251[i] == '\r' && i + 1 < cp1251.size() && cp1251[i + 1] == '\n')) text += cp1251[i];
  return cp1251_to_utf8(text);
}

void print(std::string_view cp1251) {
  write_all(stdout, terminal_text(cp1251));
}

PrintedReport::PrintedReport(Form form)
    : form_(form), report_([this](std::string_view bytes) {
        const std::string text = form_ == SHOWN ? shown_text(bytes) : plain_text(bytes);
        if (text.empty()) return;
        last_ = text.back();
        print(text);
      }) {}

void PrintedReport::end() {
  report_.finish();
  if (last_ != '\n') print("\n");
}

void print_host(std::string_view host) {
  write_all(stdout, host);
}

void print_error(std::string_view cp1251) {
  write_all(stderr, message_head() + terminal_text(cp1251) + "\n");
}

void set_message_subject(std::string_view host) {
  message_subject = host;
}

bool core_failed() {
  const bool failed = !FC_CRITICALERRORBUFFER.empty();
  show_buffer(FC_CRITICALERRORBUFFER, "");
  show_buffer(FC_WARNINGBUFFER, "предупреждение: "_w);
  return failed;
}

std::string agat_name_text(const std::uint8_t* name, std::size_t length) {
  std::string text = A2L(std::string_view(reinterpret_cast<const char*>(name), length));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string json_string(std::string_view cp1251) {
  std::string out = "\"";
  for (const char c : cp1251) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20 || b == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", b);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string quoted_host(std::string_view host) {
  std::string quoted = "\"";
  quoted += host_to_cp1251(host);
  return quoted += '"';
}

}  // namespace agat
