#include "content/host_containers.h"

#include "content/apple_single.h"
#include "content/content_buffer.h"
#include "content/exec_proc.h"
#include "content/export_import.h"
#include "content/format_control.h"
#include "content/host_transfer.h"
#include "core/catalog_entry.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/host_file_io.h"
#include "core/host_fs.h"

namespace agat {

namespace {

constexpr HostContainer kContainers[] = {
    {"applesingle", "AppleSingle", ".as", is_apple_single, unpack_apple_single, pack_apple_single},
};

// The longest signature of a container.
constexpr std::size_t kSignatureSize = 4;

}  // namespace

std::span<const HostContainer> host_containers() {
  return kContainers;
}

const HostContainer* host_container_named(std::string_view name) {
  for (const HostContainer& c : kContainers)
    if (c.name == name) return &c;
  return nullptr;
}

const HostContainer* host_container_of_file(const std::string& PATH) {
  if (host_status(PATH).kind != HostKind::regular) return nullptr;
  std::vector<std::uint8_t> head;
  if (read_file_prefix(PATH, kSignatureSize, head) != FileIoResult::ok) return nullptr;
  const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
  for (const HostContainer& c : kContainers)
    if (c.recognised(text)) return &c;
  return nullptr;
}

bool import_contained(const std::string& SRC, TCATREC& DST, const HostContainer& C, bool SUBMODE,
                      bool REPLACE) {
  if (DST.PMEDIA == nullptr) return false;
  const std::string prefix = std::string("Импорт файла: "_w) + quoted_host_path(SRC);
  std::string file;
  if (!read_host_file(SRC, EP_IMPORT_MAXFILE, file, "Импорт файла"_w)) return false;
  ContainedCode contained;
  std::string why;
  if (!C.unpack(file, contained, why)) {
    report_critical(prefix + std::string(" не читается как "_w) + std::string(C.title) + ": " +
                    why);
    return false;
  }
  if (!contained.left_out.empty()) {
    std::string names;
    for (const std::string& name : contained.left_out) names += (names.empty() ? "" : ", ") + name;
    report_warning(prefix + std::string(": записи "_w) + std::string(C.title) +
                   std::string(", которым нет места в файле Агата, пропущены: "_w) + names);
  }
  TFILEBUF& buf = content_buffer();
  place_imported_code(DST, buf, code_format(0x04), contained.code,
                      contained.address.value_or(EP_IMPORT_ADDRESS), SUBMODE);
  return save_import(DST, buf, REPLACE);
}

bool export_contained(TCATREC& CR, TFILEBUF& BUF, const HostContainer& C, const std::string& NM,
                      bool SUBMODE) {
  const std::uint8_t type = CR.EXT & 0x7F;
  if (type != 0x04 && type != 0x20) {
    report_critical(std::string("Экспорт файла: файл "_w) + quoted_agat_name(CR.AGATNAME) +
                    std::string(" не двоичный (B или К), в "_w) + std::string(C.title) +
                    std::string(" он не записывается"_w));
    return false;
  }
  std::uint8_t* code = nullptr;
  std::int32_t size = 0, address = 0;
  GETSIZEANDOFFS(CR, BUF, code_format(type), code, size, address);
  if (SUBMODE) A2L(code, size);
  const std::string file =
      C.pack(std::string_view(reinterpret_cast<const char*>(code), static_cast<std::size_t>(size)),
             static_cast<std::uint16_t>(address));
  return write_host_file(NM, file, "Экспорт файла"_w);
}

}  // namespace agat
