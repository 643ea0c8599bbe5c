#include "image_access.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "core/catalog_read.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/host_fs.h"
#include "core/host_names.h"
#include "core/host_paths.h"
#include "core/image_form.h"
#include "terminal.h"

namespace agat {

void split_host_path(const std::string& path, std::string& directory, std::string& name) {
  const std::size_t start = host_name_start(path);
  directory = start == 0 ? std::string(".") + HOST_SEPARATOR : path.substr(0, start);
  name = path.substr(start);
}

void point_at_image(TMEDIA& md, const std::string& path, TIMAGET type) {
  md.MEDIAT = MDIMAGE;
  split_host_path(path, md.HOSTPATH, md.IMAGENAME);
  set_geometry(md, type);
  md.held_catalog.reset();
  md.known_root.reset();
  md.loaded_digest.reset();
}

std::unique_ptr<TMEDIA> image_medium(const std::string& path, TIMAGET type) {
  auto md = std::make_unique<TMEDIA>();
  point_at_image(*md, path, type);
  return md;
}

bool image_form_of_file(const std::string& path, TIMAGET& type) {
  const HostStatus st = host_status(path);
  if (st.kind == HostKind::missing) {
    print_error(st.error == ENOENT
                    ? std::string("файл образа "_w) + quoted_host(path) +
                          std::string(" не найден"_w)
                    : std::string("нет доступа к файлу образа "_w) + quoted_host(path));
    return false;
  }
  if (st.kind != HostKind::regular) {
    print_error(quoted_host(path) + std::string(" — не файл и не может быть образом диска"_w));
    return false;
  }
  const std::uint64_t size = st.size;
  if (!image_type_of_file(path, size, type)) {
    TIMAGET by_size;
    print_error(std::string("файл "_w) + quoted_host(path) + std::string(" не образ диска: "_w) +
                std::to_string(size) +
                (image_type_of_size(size, by_size)
                     ? std::string(" байт, но в начале нет заголовка образа эмулятора"_w)
                     : std::string(" байт — не размер ни одной из форм образа и нет подписи WOZ, HFE или MFI"_w)));
    return false;
  }
  return true;
}

bool lock_for_command(std::string_view command, const std::string& path,
                      std::optional<ImageLock>& lock) {
  static constexpr std::array<std::string_view, 9> kWriters = {
      "put", "rm", "undelete", "lock", "unlock", "mkdir", "cd", "recover", "import"};
  if (std::find(kWriters.begin(), kWriters.end(), command) == kWriters.end()) return true;
  // No lock file beside a name that is no image file: opening it says what is wrong.
  if (host_status(path).kind != HostKind::regular) return true;
  lock.emplace(path);
  if (lock->state() != ImageLockState::busy) return true;
  print_error(std::string("образ "_w) + quoted_host(path) +
              std::string(" занят: его записывает другая программа, и за "_w) +
              std::to_string(IMAGE_LOCK_WAIT_MS / 1000) +
              std::string(" секунд он не освободился; образ не изменён"_w));
  return false;
}

std::unique_ptr<TMEDIA> open_image(const std::string& path) {
  TIMAGET type;
  if (!image_form_of_file(path, type)) return nullptr;
  auto md = image_medium(path, type);
  FC_READCAT(*md);
  if (core_failed()) return nullptr;
  return md;
}

bool typed_agat_name(const std::string& utf8, TypedName& name, std::string& error) {
  std::string cp1251;
  if (!utf8_to_cp1251(utf8, cp1251)) {
    error = std::string("в имени "_w) + quoted_host(utf8) +
            std::string(" есть знак, которого нет в кодировке Агата"_w);
    return false;
  }
  if (cp1251.empty() || cp1251.size() > name.agat.size()) {
    error =
        std::string("имя "_w) + quoted_host(utf8) + std::string(" должно быть от 1 до 30 знаков"_w);
    return false;
  }
  // Host names are made into Agat names by the same rule.
  name.agat = HOST2AGATFNAME(utf8);
  name.shown = cp1251.substr(0, cp1251.find_last_not_of(' ') + 1);
  return true;
}

namespace {

bool kind_fits(const TCATREC& e, EntryKind kind) {
  switch (kind) {
    case EntryKind::file:
      return e.CATRECT == CRTAGATFILE;
    case EntryKind::btk:
      return e.CATRECT == CRTBTKDIR;
    case EntryKind::any:
      return e.CATRECT == CRTAGATFILE || e.CATRECT == CRTBTKDIR;
  }
  return false;
}

}  // namespace

TCATREC* find_named(TMEDIA& md, const TypedName& name, EntryKind kind, bool deleted,
                    bool& ambiguous) {
  // A deleted entry keeps a track number in its 30th character.
  const std::size_t length = deleted ? 29 : 30;
  const auto same_bytes = [length](const TAGATNAME& a, const TAGATNAME& b) {
    return std::equal(a.begin(), a.begin() + length, b.begin());
  };
  TCATREC* found = nullptr;
  for (std::int32_t i = 0; i < md.CAT.CATNUM; ++i) {
    TCATREC& e = md.CAT.CATREC[i];
    if (!kind_fits(e, kind) || is_deleted(e) != deleted) continue;
    if (!same_bytes(e.AGATNAME, name.agat) && agat_name_text(e.AGATNAME, length) != name.shown)
      continue;
    if (found == nullptr) {
      found = &e;
    } else if (!same_bytes(e.AGATNAME, found->AGATNAME)) {
      ambiguous = true;
      return nullptr;
    }
  }
  return found;
}

TCATREC* find_file_to_read(TMEDIA& md, const TypedName& name, bool& ambiguous) {
  TCATREC* e = find_named(md, name, EntryKind::file, false, ambiguous);
  if (e == nullptr && !ambiguous) e = find_named(md, name, EntryKind::file, true, ambiguous);
  return e;
}

}  // namespace agat
