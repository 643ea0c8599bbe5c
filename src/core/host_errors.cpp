#include "core/host_errors.h"

#include <cerrno>
#include <string_view>

#include "core/cp1251_literal.h"

namespace agat {

namespace {

struct Reason {
  int error;
  std::string_view text;
};

constexpr Reason REASONS[] = {
    {ENOSPC, "на диске нет места"_w},
#ifdef EDQUOT  // not on Windows, where a full quota is a full disk
    {EDQUOT, "превышена дисковая квота"_w},
#endif
    {EACCES, "нет доступа"_w},
    {EPERM, "операция не разрешена"_w},
    {EROFS, "файловая система доступна только для чтения"_w},
    {ENOENT, "нет такого файла или каталога"_w},
    {ENOTDIR, "часть пути не является каталогом"_w},
    {EISDIR, "это каталог"_w},
    {ENAMETOOLONG, "слишком длинное имя"_w},
    {EFBIG, "файл слишком велик"_w},
    {EIO, "ошибка ввода-вывода"_w},
    {EMFILE, "открыто слишком много файлов"_w},
    {ENFILE, "открыто слишком много файлов"_w},
    {EEXIST, "файл уже существует"_w},
    {ELOOP, "слишком много символических ссылок"_w},
    {EBUSY, "файл занят"_w},
    {ETXTBSY, "файл занят"_w},
    {ENOMEM, "недостаточно памяти"_w},
    {ENXIO, "устройство недоступно"_w},
    {ENODEV, "устройство недоступно"_w},
};

}  // namespace

std::string host_error_text(int error) {
  for (const Reason& r : REASONS)
    if (r.error == error) return std::string(r.text);
  // The system's own text may be in the user's locale and encoding: the number only.
  return std::string("системная ошибка "_w) + std::to_string(error);
}

std::string host_read_error_text(int error) {
  return error == 0 ? std::string("файл прочитан не до конца"_w) : host_error_text(error);
}

std::string host_error_suffix(int error) {
  return error == 0 ? std::string() : " (" + host_error_text(error) + ")";
}

}  // namespace agat
