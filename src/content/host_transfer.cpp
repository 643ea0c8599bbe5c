#include "content/host_transfer.h"

#include <cerrno>
#include <vector>

#include "core/catalog_entry.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/host_fs.h"

namespace agat {

namespace {

// Why a host call failed: the reason of the error number, or, for 0, that the object is
// there but is no regular file.
std::string reason(int err) {
  return err == 0 ? std::string("это не обычный файл"_w) : host_error_text(err);
}

void report_failure(std::string_view operation, std::string_view what, const std::string& path,
                    int err) {
  report_critical(std::string(operation) + std::string(": ошибка "_w) + std::string(what) +
                  std::string(" файла "_w) + quoted_host_path(path) + " (" + reason(err) + ")");
}

// An existing object that is no regular file (a directory, a device) cannot be written
// over or read as a file; errno would not tell so.
bool is_other_than_file(const std::string& path) {
  const HostKind kind = host_status(path).kind;
  return kind != HostKind::missing && kind != HostKind::regular;
}

}  // namespace

bool write_host_file(const std::string& NM, std::string_view DATA, std::string_view OPERATION) {
  if (is_other_than_file(NM)) {
    report_failure(OPERATION, "создания"_w, NM, 0);
    return false;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(DATA.data());
  int err = 0;
  FileIoResult result = create_file(NM, bytes, DATA.size(), &err);
  if (result == FileIoResult::exists) result = replace_file(NM, bytes, DATA.size(), &err);
  if (result == FileIoResult::ok) return true;
  report_failure(OPERATION, result == FileIoResult::write_failed ? "записи"_w : "создания"_w, NM,
                 err);
  return false;
}

bool read_host_file(const std::string& NM, std::uint64_t LIMIT, std::string& DATA,
                    std::string_view OPERATION) {
  const HostStatus st = host_status(NM);
  if (st.kind == HostKind::missing) {
    report_failure(OPERATION, "открытия"_w, NM, st.error);
    return false;
  }
  if (st.kind != HostKind::regular) {
    report_failure(OPERATION, "открытия"_w, NM, 0);
    return false;
  }
  if (st.size > LIMIT) {
    report_critical(std::string(OPERATION) + std::string(": файл "_w) + quoted_host_path(NM) +
                    std::string(" слишком велик: "_w) + std::to_string(st.size) +
                    std::string(" байт"_w));
    return false;
  }
  std::vector<std::uint8_t> bytes;
  int err = 0;
  const FileIoResult result = read_file(NM, bytes, &err);
  if (result != FileIoResult::ok) {
    if (result == FileIoResult::read_failed)
      report_critical(std::string(OPERATION) + std::string(": ошибка чтения файла "_w) +
                      quoted_host_path(NM) + " (" + host_read_error_text(err) + ")");
    else
      report_failure(OPERATION, "открытия"_w, NM, err);
    return false;
  }
  DATA.assign(bytes.begin(), bytes.end());
  return true;
}

std::string text_from_host(std::string_view host) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (host.substr(0, kByteOrderMark.size()) == kByteOrderMark && is_valid_utf8(host))
    host.remove_prefix(kByteOrderMark.size());
  return host_to_cp1251(host);
}

}  // namespace agat
