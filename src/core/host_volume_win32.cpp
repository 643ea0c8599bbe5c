#include "core/host_volume.h"

#include <windows.h>

#include <limits>

#include "core/win32_host.h"

namespace agat {

namespace {

constexpr const char* kNoLabel = "<fault>";

std::string volume_label(const std::wstring& path) {
  wchar_t root[MAX_PATH + 1];
  // The root of the volume that holds the path: "C:\", or a folder a volume is mounted on.
  if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH + 1)) return kNoLabel;
  wchar_t label[MAX_PATH + 1], file_system[MAX_PATH + 1];
  DWORD serial = 0, longest = 0, flags = 0;
  if (!GetVolumeInformationW(root, label, MAX_PATH + 1, &serial, &longest, &flags, file_system,
                             MAX_PATH + 1))
    return kNoLabel;
  return utf8_of_wide(label);
}

}  // namespace

std::string GETVOLNAME() {
  return volume_label(L".");
}

std::string GETHOSTVOLUMEID(const std::string& PT) {
  return volume_label(wide_of_utf8(PT));
}

std::uint32_t GETFREESPACE(const std::string& PT) {
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExW(wide_of_utf8(PT).c_str(), &available, &total, &free)) return 0;
  // The bytes free to this user, in 256-byte units, saturated to 32 bits.
  const unsigned long long units = available.QuadPart / 256;
  constexpr unsigned long long kMax = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(units > kMax ? kMax : units);
}

}  // namespace agat
