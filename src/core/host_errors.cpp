#include "core/host_errors.h"

#include <cerrno>

#include "core/cp1251_literal.h"

namespace agat {

std::string host_error_text(int error) {
  switch (error) {
    case ENOSPC:
      return std::string("на диске нет места"_w);
    case EDQUOT:
      return std::string("превышена дисковая квота"_w);
    case EACCES:
      return std::string("нет доступа"_w);
    case EPERM:
      return std::string("операция не разрешена"_w);
    case EROFS:
      return std::string("файловая система доступна только для чтения"_w);
    case ENOENT:
      return std::string("нет такого файла или каталога"_w);
    case ENOTDIR:
      return std::string("часть пути не является каталогом"_w);
    case EISDIR:
      return std::string("это каталог"_w);
    case ENAMETOOLONG:
      return std::string("слишком длинное имя"_w);
    case EFBIG:
      return std::string("файл слишком велик"_w);
    case EIO:
      return std::string("ошибка ввода-вывода"_w);
    case EMFILE:
    case ENFILE:
      return std::string("открыто слишком много файлов"_w);
    case EEXIST:
      return std::string("файл уже существует"_w);
    case ELOOP:
      return std::string("слишком много символических ссылок"_w);
    case EBUSY:
    case ETXTBSY:
      return std::string("файл занят"_w);
    case ENOMEM:
      return std::string("недостаточно памяти"_w);
    case ENXIO:
    case ENODEV:
      return std::string("устройство недоступно"_w);
    default:
      // The system's own text may be in the user's locale and encoding: the number only.
      return std::string("системная ошибка "_w) + std::to_string(error);
  }
}

std::string host_error_suffix(int error) {
  return error == 0 ? std::string() : " (" + host_error_text(error) + ")";
}

}  // namespace agat
