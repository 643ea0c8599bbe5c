#include "core/win32_host.h"

#include <windows.h>

#include <cerrno>

#include "core/cp1251.h"

namespace agat {

namespace {

// The three-byte form of a lone surrogate at text[pos] (which no valid UTF-8 holds, but
// utf8_of_wide makes of a Windows name), or -1.
char32_t lone_surrogate(std::string_view text, std::size_t pos) {
  if (pos + 3 > text.size()) return static_cast<char32_t>(-1);
  const auto b0 = static_cast<unsigned char>(text[pos]),
             b1 = static_cast<unsigned char>(text[pos + 1]),
             b2 = static_cast<unsigned char>(text[pos + 2]);
  if (b0 != 0xED || (b1 & 0xE0) != 0xA0 || (b2 & 0xC0) != 0x80) return static_cast<char32_t>(-1);
  return 0xD000 | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
}

}  // namespace

std::wstring wide_of_utf8(std::string_view utf8) {
  std::wstring wide;
  wide.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t start = pos;
    char32_t c = utf8_decode(utf8, pos);
    if (c == static_cast<char32_t>(-1)) {
      c = lone_surrogate(utf8, start);
      if (c != static_cast<char32_t>(-1))
        pos = start + 3;
      else
        c = unicode_from_cp1251(static_cast<std::uint8_t>(utf8[start]));
    }
    if (c >= 0x10000) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<wchar_t>(c);
    }
  }
  return wide;
}

std::string utf8_of_wide(std::wstring_view wide) {
  std::string utf8;
  utf8.reserve(wide.size() * 2);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t c = static_cast<char16_t>(wide[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) {
      const char32_t low = static_cast<char16_t>(wide[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    utf8_append(utf8, c);
  }
  return utf8;
}

int errno_of_win32(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_NETWORK_ACCESS_DENIED:
      return EACCES;
    case ERROR_PRIVILEGE_NOT_HELD:
      return EPERM;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
    case ERROR_USER_MAPPED_FILE:
      return EBUSY;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
      return ENODEV;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_CANT_RESOLVE_FILENAME:
      return ELOOP;
    case ERROR_FILE_TOO_LARGE:
      return EFBIG;
    default:
      return EIO;
  }
}

int errno_from_last_error() {
  errno = errno_of_win32(GetLastError());
  return errno;
}

}  // namespace agat
