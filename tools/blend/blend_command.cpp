// blend with arguments: the reads named on the command line, of any image form and of one
// disk size, blended into one image by the core (core/blend_reads.h).
#include "blend_command.h"

#include "core/blend_reads.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/host_fs.h"

namespace blend {

namespace {

using agat::operator""_w;

constexpr int kUsage = 2;

void print(std::FILE* stream, std::string_view cp1251) {
  const std::string text = agat::cp1251_to_host(cp1251);
  std::fwrite(text.data(), 1, text.size(), stream);
}

int usage(std::FILE* err, std::string_view why) {
  print(err, "blend: " + std::string(why) + "\n");
  print(err, "Запуск: blend [--form ФОРМА] [--output ФАЙЛ] [--force] [--json] ОБРАЗ...\n"_w);
  return kUsage;
}

// The core's messages, one a line, emptied.
void print_messages(std::FILE* err) {
  std::string text = agat::FC_CRITICALERRORBUFFER + agat::FC_WARNINGBUFFER;
  agat::FC_CRITICALERRORBUFFER.clear();
  agat::FC_WARNINGBUFFER.clear();
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  print(err, text);
}

}  // namespace

bool names_reads(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--form" || a == "--output" || a == "--force" || a == "--json" || a == "--")
      return true;
    if (agat::host_status(a).kind != agat::HostKind::missing) return true;
  }
  return false;
}

int blend_command(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  std::vector<std::string> reads;
  std::optional<agat::TIMAGET> form;
  std::string output;
  bool force = false, json = false, options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool valued = a == "--form" || a == "--output";
    if (options && valued && i + 1 == args.size())
      return usage(err, a + std::string(": нет значения"_w));
    if (options && a == "--form") {
      agat::TIMAGET type;
      if (!agat::image_type_of_name(args[++i], type))
        return usage(err,
                     std::string("неизвестная форма образа: "_w) + agat::host_to_cp1251(args[i]));
      form = type;
    } else if (options && a == "--output") {
      output = args[++i];
    } else if (options && a == "--force") {
      force = true;
    } else if (options && a == "--json") {
      json = true;
    } else if (options && a == "--") {
      options = false;
    } else if (options && a.size() > 1 && a[0] == '-') {
      return usage(err, std::string("неизвестный ключ: "_w) + agat::host_to_cp1251(a));
    } else {
      reads.push_back(a);
    }
  }
  if (reads.empty()) return usage(err, "не назван ни один образ"_w);
  std::vector<agat::BlendRead> loaded;
  agat::BlendResult result;
  const int status = agat::blend_files(reads, form, output, force, loaded, result);
  print_messages(err);
  if (status == 1 || status == kUsage) return status;
  if (json) {
    const std::string text = agat::blend_report_json(loaded, result) + "\n";
    std::fwrite(text.data(), 1, text.size(), out);
  } else {
    for (const std::string& line : agat::blend_report_lines(loaded, result))
      print(out, line + "\n");
  }
  return std::fflush(out) == 0 && std::ferror(out) == 0 ? status : 1;
}

}  // namespace blend
